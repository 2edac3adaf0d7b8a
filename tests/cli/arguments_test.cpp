// Reading the command line: every option family, the value tokens, the
// numbers and the checks after the loop.
#include <gtest/gtest.h>

#include "cli_helpers.h"

namespace {

struct flagCase {
  const char* spelling;
  bool dataArg::*field;
};

TEST(OptionFlags, EverySpellingSetsItsField) {
  const flagCase cases[] = {
      {"-A", &dataArg::A},          {"-a", &dataArg::A},          {"-CCP", &dataArg::CCP},
      {"-ccp", &dataArg::CCP},      {"-LCP", &dataArg::LCP},      {"-lcp", &dataArg::LCP},
      {"-IIC", &dataArg::IIC},      {"-iic", &dataArg::IIC},      {"-BC", &dataArg::BC},
      {"-bc", &dataArg::BC},        {"-BCIIC", &dataArg::BCIIC},  {"-bciic", &dataArg::BCIIC},
      {"-NC", &dataArg::NC},        {"-nc", &dataArg::NC},        {"-NL", &dataArg::NL},
      {"-nl", &dataArg::NL},        {"-H", &dataArg::H},          {"-F", &dataArg::F},
      {"-f", &dataArg::F},          {"-AWF", &dataArg::AWF},      {"-awf", &dataArg::AWF},
      {"-PC", &dataArg::PC},        {"-pc", &dataArg::PC},        {"-BCPC", &dataArg::BCPC},
      {"-bcpc", &dataArg::BCPC},    {"-add", &dataArg::addNodes}, {"-noout", &dataArg::bexecution_events},
      {"-*", &dataArg::searchSimilar}, {"-reference", &dataArg::reference},
  };
  for (const flagCase& c : cases) {
    parsedLine p = parseLine({c.spelling});
    EXPECT_TRUE(p.arg.*(c.field)) << c.spelling;
    EXPECT_EQ(p.arg.help, 0) << c.spelling;
  }
}

TEST(OptionFlags, OutputSwitchesSurviveWithTheirIndices) {
  parsedLine p = parseLine({"-NC", "-PC", "-confAdj", "10", "-confProb", "10", "0.5", "-wcomp", "-wlinks",
                            "-wprobdir", "-wprobmax"});
  EXPECT_EQ(p.errors, 0);
  EXPECT_EQ(p.messages, "");
  EXPECT_TRUE(p.arg.bcomponents);
  EXPECT_TRUE(p.arg.blinks);
  EXPECT_TRUE(p.arg.bdirect_probabilities);
  EXPECT_TRUE(p.arg.bmaximum_product_probabilities);
}

TEST(OptionFlags, HelpSpellingsAndTheUpperCaseH) {
  for (const char* spelling : {"-h", "--help", "-help", "-?", "/?"}) {
    parsedLine p = parseLine({spelling});
    EXPECT_NE(p.arg.help, 0) << spelling;
    EXPECT_FALSE(p.arg.H) << spelling;
  }
  EXPECT_NE(parseLine({}).arg.help, 0);
  parsedLine h = parseLine({"-H", "-confAdj", "5"});
  EXPECT_EQ(h.arg.help, 0);
  EXPECT_TRUE(h.arg.H);
  EXPECT_EQ(h.errors, 0);
}

TEST(OptionFlags, PrecisionLastOneWins) {
  EXPECT_EQ(parseLine({"-simple"}).arg.precission, 0.0f);
  EXPECT_EQ(parseLine({"-double", "-simple"}).arg.precission, 0.0f);
  EXPECT_EQ(parseLine({"-simple", "-double"}).arg.precission, 1.0f);
  EXPECT_EQ(parseLine({"-NC"}).arg.precission, 1.0f);
}

TEST(FileOptions, NamesAndMissingValues) {
  parsedLine p = parseLine({"-nodeFile", "n.txt", "-conFile", "c.txt"});
  EXPECT_EQ(p.arg.fileNodes, "n.txt");
  EXPECT_EQ(p.arg.fileConnections, "c.txt");
  EXPECT_EQ(p.errors, 0);

  parsedLine n = parseLine({"-nodeFile"});
  EXPECT_EQ(n.messages, "No nodes file defined\n");
  EXPECT_EQ(n.errors, 1);
  parsedLine c = parseLine({"-conFile"});
  EXPECT_EQ(c.messages, "No connections file is defined\n");
  EXPECT_EQ(c.errors, 1);
}

TEST(ConnexionType, KindsAndStructure) {
  parsedLine prob = parseLine({"-t", "prob"});
  EXPECT_FALSE(prob.arg.inputDist);
  EXPECT_TRUE(prob.arg.inputProb);
  EXPECT_FALSE(prob.arg.inputAdjacen);
  parsedLine adj = parseLine({"-conFileType", "adj", "notall"});
  EXPECT_TRUE(adj.arg.inputAdjacen);
  EXPECT_FALSE(adj.arg.inputProb || adj.arg.inputDist);
  EXPECT_FALSE(adj.arg.structType);
  EXPECT_EQ(adj.errors, 0);

  parsedLine all = parseLine({"-t", "dist", "all", "-NC", "-confAdj", "1000", "-nodeFile", "n.txt", "-conFile", "c.txt"});
  EXPECT_EQ(all.errors, 0);
  EXPECT_EQ(all.messages, "");
  EXPECT_TRUE(all.arg.structType);
  EXPECT_TRUE(all.arg.inputDist);

  parsedLine last = parseLine({"-t", "prob", "all", "-t", "dist", "notall"});
  EXPECT_TRUE(last.arg.inputDist);
  EXPECT_FALSE(last.arg.structType);
}

TEST(ConnexionType, BadValues) {
  parsedLine structure = parseLine({"-t", "prob", "0.5"});
  EXPECT_EQ(structure.messages, "\nArgument '0.5' not valid\n");
  EXPECT_EQ(structure.errors, 1);
  EXPECT_TRUE(structure.arg.inputProb);

  parsedLine kind = parseLine({"-t", "0.5"});
  EXPECT_EQ(kind.messages, "\nArgument '0.5' not valid as connexion type\n");
  EXPECT_EQ(kind.errors, 1);
  EXPECT_TRUE(kind.arg.inputDist);

  parsedLine missing = parseLine({"-t"});
  EXPECT_EQ(missing.messages, "No connexion type is defined\n");
  EXPECT_EQ(missing.errors, 1);

  // Any other word after the kind leaves the structure as it was.
  parsedLine other = parseLine({"-t", "dist", "all", "-t", "dist", "maybe"});
  EXPECT_TRUE(other.arg.structType);
  EXPECT_EQ(other.messages, "\nArgument 'maybe' not valid\n");
}

TEST(Numbers, AtofSemantics) {
  EXPECT_EQ(parseLine({"-confAdj", "12abc"}).arg.adjacentTail, 12.0f);
  EXPECT_EQ(parseLine({"-confAdj", "  7.5"}).arg.adjacentTail, 7.5f);
  EXPECT_EQ(parseLine({"-confAdj", "1e3"}).arg.adjacentTail, 1000.0f);
  EXPECT_EQ(parseLine({"-confAdj", ".5x"}).arg.adjacentTail, 0.5f);
  EXPECT_EQ(parseLine({"-landArea", "-3"}).arg.landscapeArea, -3.0f);
  // Stored in single precision.
  EXPECT_EQ(parseLine({"-landArea", "0.1"}).arg.landscapeArea, 0.1f);
  EXPECT_EQ(parseLine({"-confAdj", "12abc"}).errors, 0);
}

TEST(Numbers, UnreadableTokensKeepTheField) {
  parsedLine p = parseLine({"-confAdj", "5", "-confAdj", "abc"});
  EXPECT_EQ(p.messages, "\nArgument 'abc' could not be a number\n");
  EXPECT_EQ(p.errors, 1);
  EXPECT_EQ(p.arg.adjacentTail, 5.0f);

  parsedLine prob = parseLine({"-confProb", "x", "0.5"});
  EXPECT_EQ(prob.messages, "\nArgument 'x' could not be a number\n");
  EXPECT_EQ(prob.errors, 1);
  EXPECT_EQ(prob.arg.kDistanceProb, 0.0f);
  EXPECT_EQ(prob.arg.kProbProb, 0.5f);

  parsedLine empty = parseLine({"-landArea", ""});
  EXPECT_EQ(empty.messages, "\nArgument '' could not be a number\n");
  EXPECT_EQ(empty.errors, 1);
}

TEST(Thresholds, ConfAdjDependsOnTheInputKindSoFar) {
  EXPECT_EQ(parseLine({"-confAdj", "1000"}).arg.adjacentTail, 1000.0f);
  EXPECT_EQ(parseLine({"-t", "prob", "-confAdj", "0.3"}).arg.adjacentTail, 0.3f);

  parsedLine dist = parseLine({"-confAdj"});
  EXPECT_EQ(dist.messages, "No distance value defined in adjacent indices -confAdj\n");
  EXPECT_EQ(dist.errors, 1);
  parsedLine prob = parseLine({"-t", "prob", "-confAdj"});
  EXPECT_EQ(prob.messages, "No probability value defined in adjacent indices -confAdj\n");
  EXPECT_EQ(prob.errors, 1);
  // With binary links the threshold is refused without a message; its value
  // is then taken as the value of -confAdj.
  parsedLine adj = parseLine({"-t", "adj", "-confAdj", "5"});
  EXPECT_EQ(adj.messages, "");
  EXPECT_EQ(adj.errors, 1);
  EXPECT_EQ(adj.arg.adjacentTail, 0.0f);
}

TEST(Thresholds, ConfProbNeedsDistancesAtItsMoment) {
  parsedLine p = parseLine({"-confProb", "1000", "0.5"});
  EXPECT_EQ(p.arg.kDistanceProb, 1000.0f);
  EXPECT_EQ(p.arg.kProbProb, 0.5f);
  EXPECT_EQ(p.errors, 0);

  parsedLine prob = parseLine({"-t", "prob", "-confProb", "1000", "0.5"});
  EXPECT_EQ(prob.messages, "Problems in definition of probabilistic indices -confProb\n");
  EXPECT_EQ(prob.errors, 1);
  EXPECT_EQ(prob.arg.kDistanceProb, 0.0f);

  parsedLine shortLine = parseLine({"-confProb", "1000"});
  EXPECT_EQ(shortLine.messages, "Problems in definition of probabilistic indices -confProb\n");
  EXPECT_EQ(shortLine.errors, 1);
}

TEST(Thresholds, MultipleValuesAndPcHeur) {
  parsedLine m = parseLine({"-confMultipleValues", "100", "1000", "100", "-nodeFile", "n"});
  EXPECT_TRUE(m.arg.type1_iteration);
  EXPECT_EQ(m.arg.min_iteration, 100.0f);
  EXPECT_EQ(m.arg.max_iteration, 1000.0f);
  EXPECT_EQ(m.arg.step_iteration, 100.0f);
  EXPECT_EQ(m.errors, 0);

  parsedLine missing = parseLine({"-confMultipleValues", "100", "1000"});
  EXPECT_TRUE(missing.arg.type1_iteration);
  EXPECT_EQ(missing.messages, "Problems defining -iterate max min step\n");
  EXPECT_EQ(missing.errors, 1);

  parsedLine all = parseLine({"-PC", "-confProb", "10", "0.5", "-pcHeur", "all"});
  EXPECT_TRUE(all.arg.allpathsp);
  parsedLine value = parseLine({"-PC", "-confProb", "10", "0.5", "-pcHeur", "all", "-pcHeur", "0.01"});
  EXPECT_FALSE(value.arg.allpathsp);
  EXPECT_EQ(value.arg.minProbp, 0.01f);
  EXPECT_EQ(value.errors, 0);
  parsedLine none = parseLine({"-pcHeur"});
  EXPECT_EQ(none.messages, "Problems in -pcHeur. Missed argument.\n");
  EXPECT_EQ(none.errors, 1);
}

TEST(LinkAnalyses, RemovalImprovementChange) {
  parsedLine p = parseLine({"-removal", "maxValue", "0.3", "-improvement", "-change"});
  EXPECT_TRUE(p.arg.linkImportances1 && p.arg.blink_importances_removal);
  EXPECT_TRUE(p.arg.linkImportances2 && p.arg.blink_importances_improvement);
  EXPECT_TRUE(p.arg.linkImportances3 && p.arg.blink_importances_improvementDiff);
  EXPECT_EQ(p.arg.linkImportancesPij, 0.3f);
  EXPECT_EQ(p.errors, 0);
  EXPECT_EQ(parseLine({"-removal"}).arg.linkImportancesPij, -1.0f);

  parsedLine r = parseLine({"-removal", "maxValue"});
  EXPECT_EQ(r.messages, "maxValue is not defined\n");
  EXPECT_EQ(r.errors, 1);
  parsedLine i = parseLine({"-improvement", "maxValue"});
  EXPECT_EQ(i.messages, "maxValue is not defined.\n");
  EXPECT_EQ(i.errors, 1);
  // A value needs the word maxValue in front of it.
  parsedLine bare = parseLine({"-removal", "0.3"});
  EXPECT_EQ(bare.messages, "\nArgument '0.3' not valid\n");
  EXPECT_EQ(bare.arg.linkImportancesPij, -1.0f);
}

TEST(OnlyOverall, SwitchesOffWhatWasSelectedBefore) {
  parsedLine p = parseLine({"-BC", "-removal", "-improvement", "-change", "onlyoverall"});
  EXPECT_EQ(p.messages,
            "No compatible link removal, link improvement and link change with onlyoverall execution\n"
            "When the onlyoverall option is selected, indices BC, BC(IIC), or BC(PC) will not be calculated \n");
  EXPECT_EQ(p.errors, 0);
  EXPECT_TRUE(p.arg.onlyoverall);
  EXPECT_FALSE(p.arg.bnode_importances);
  EXPECT_FALSE(p.arg.BC);
  EXPECT_FALSE(p.arg.linkImportances1 || p.arg.linkImportances2 || p.arg.linkImportances3);
  EXPECT_FALSE(p.arg.blink_importances_removal || p.arg.blink_importances_improvement ||
               p.arg.blink_importances_improvementDiff);
  EXPECT_EQ(parseLine({"onlyoverall"}).messages, "");
}

TEST(OnlyOverall, RefusesWhatComesAfter) {
  parsedLine p = parseLine({"onlyoverall", "-BC", "-bciic", "-BCPC", "-removal", "maxValue", "0.2", "-improvement",
                            "-change"});
  EXPECT_EQ(p.messages,
            "When the onlyoverall option is selected, index BC will not be calculated\n"
            "When the onlyoverall option is selected, index BCIIC will not be calculated\n"
            "When the onlyoverall option is selected, index BCPC will not be calculated\n"
            "No compatible execution link removal with onlyoverall\n"
            "No compatible execution link improvement with onlyoverall\n"
            "No compatible execution link change with onlyoverall\n");
  EXPECT_EQ(p.errors, 0);
  EXPECT_FALSE(p.arg.BC || p.arg.BCIIC || p.arg.BCPC);
  EXPECT_FALSE(p.arg.linkImportances1 || p.arg.linkImportances2 || p.arg.linkImportances3);
  EXPECT_FALSE(p.arg.blink_importances_improvementDiff);
}

TEST(OtherOptions, LandAreaPrefixThreads) {
  EXPECT_EQ(parseLine({"-landArea", "500"}).arg.landscapeArea, 500.0f);
  parsedLine area = parseLine({"-landArea"});
  EXPECT_EQ(area.messages, "landArea is not defined\n");
  EXPECT_EQ(area.errors, 1);

  EXPECT_EQ(parseLine({"-prefix", "run1"}).arg.node_importances, "run1_node_importances.txt");
  parsedLine prefix = parseLine({"-prefix"});
  EXPECT_EQ(prefix.messages, "");
  EXPECT_EQ(prefix.errors, 1);

  EXPECT_EQ(parseLine({"-threads", "4"}).arg.threads, 4);
  EXPECT_EQ(parseLine({"-threads", "0"}).arg.threads, 0);
  EXPECT_EQ(parseLine({"-threads", "4"}).errors, 0);
  for (const char* bad : {"-1", "4x", "abc", "2.5", "99999999999"}) {
    parsedLine t = parseLine({"-threads", bad});
    EXPECT_EQ(t.errors, 1) << bad;
    EXPECT_EQ(t.arg.threads, 0) << bad;
    EXPECT_NE(t.messages.find(bad), std::string::npos) << bad;
  }
  EXPECT_EQ(parseLine({"-threads"}).errors, 1);
}

TEST(ValueTokens, AcceptedOnlyAfterTheirOption) {
  EXPECT_EQ(parseLine({"stray"}).messages, "\nArgument 'stray' not valid\n");
  EXPECT_EQ(parseLine({"-foo", "-bar"}).errors, 2);
  // The program name is never the option of a value.
  EXPECT_EQ(parseLine({"x"}, "-nodeFile").errors, 1);
  EXPECT_EQ(parseLine({"-confMultipleValues", "1", "2", "3", "4"}).messages, "\nArgument '4' not valid\n");
  EXPECT_EQ(parseLine({"-confProb", "1", "2", "3"}).messages, "\nArgument '3' not valid\n");
  EXPECT_EQ(parseLine({"-t", "dist", "all", "x"}).messages, "\nArgument 'x' not valid\n");
  EXPECT_EQ(parseLine({"-threads", "3"}).messages, "");
  EXPECT_EQ(parseLine({"-prefix", "p", "-pcHeur", "all", "-PC", "-confProb", "1", "0.5"}).messages, "");
}

TEST(ValueTokens, AValueSpelledLikeAnOptionActsAsIt) {
  parsedLine p = parseLine({"-nodeFile", "-PC"});
  EXPECT_EQ(p.arg.fileNodes, "-PC");
  EXPECT_TRUE(p.arg.PC);
  parsedLine h = parseLine({"-prefix", "-h"});
  EXPECT_NE(h.arg.help, 0);
  EXPECT_EQ(h.arg.prefix_name, "-h");
}

TEST(Checks, ErrorsInTheirOrder) {
  parsedLine p = parseLine({"-CCP", "-F", "-pcHeur", "0.1", "-BCIIC", "-BCPC"});
  EXPECT_EQ(p.messages,
            "\n -confAdj not defined\n"
            "\n -confProb not defined\n"
            "\n -pcHeur not active. PC not selected.\n"
            "\n To calculate BCIIC you also have to select IIC.\n"
            "\n To calculate BCPC you also have to select PC.\n");
  EXPECT_EQ(p.errors, 5);
}

TEST(Checks, ProbabilisticIndicesAndTheInputKind) {
  parsedLine prob = parseLine({"-confProb", "1000", "0.5", "-t", "prob", "-PC"});
  EXPECT_EQ(prob.messages, "\n With Prob connections, is not necessary define -confProb \n");
  EXPECT_EQ(prob.errors, 1);
  EXPECT_EQ(parseLine({"-t", "prob", "-PC"}).errors, 0);

  parsedLine adj = parseLine({"-t", "adj", "-AWF"});
  EXPECT_EQ(adj.messages, "\n With adjacent input, is not possible calculate probabilistic indices\n");
  EXPECT_EQ(adj.errors, 1);
  EXPECT_EQ(parseLine({"-PC", "-confProb", "1000", "0"}).messages, "\n -confProb not defined\n");
}

TEST(Checks, ConfAdjNotNeededWithRangesOrBinaryLinks) {
  EXPECT_EQ(parseLine({"-IIC"}).messages, "\n -confAdj not defined\n");
  EXPECT_EQ(parseLine({"-A"}).errors, 0);
  EXPECT_EQ(parseLine({"-IIC", "-confMultipleValues", "100", "500", "200"}).errors, 0);
  EXPECT_EQ(parseLine({"-t", "adj", "-NC"}).errors, 0);
  EXPECT_EQ(parseLine({"-t", "prob", "-NL"}).messages, "\n -confAdj not defined\n");
}

TEST(Checks, WarningsClearTheirOptionAndDoNotCount) {
  parsedLine p = parseLine({"-wcomp", "-wlinks", "-wprobdir", "-wprobmax", "-BCIIC"});
  const std::string wcomp = "\n The option -wcomp will only be used if the NC index is selected (-NC)\x94.\n";
  EXPECT_EQ(p.messages,
            "\n -confAdj not defined\n"
            "\n To calculate BCIIC you also have to select IIC.\n" +
                wcomp +
                "\n The option -wprobdir will only be used if there is at least one probabilistic index selected.\n"
                "\n The option -wprobmax will only be used if the PC index has been selected.\n");
  EXPECT_EQ(p.errors, 2);
  EXPECT_FALSE(p.arg.bcomponents || p.arg.bdirect_probabilities || p.arg.bmaximum_product_probabilities);
  // BCIIC counts as a binary index, so the links file stays.
  EXPECT_TRUE(p.arg.blinks);

  parsedLine links = parseLine({"-wlinks", "-F", "-confProb", "1", "0.5"});
  EXPECT_EQ(links.messages,
            "\n The option -wlinks will only be used if there is at least one binary index selected.\n");
  EXPECT_EQ(links.errors, 0);
  EXPECT_FALSE(links.arg.blinks);
  EXPECT_EQ(wcomp.find('\x94'), wcomp.size() - 3);
}

TEST(Checks, RangeStepMustAdvance) {
  const std::string notPositive = "Error: The step of -confMultipleValues must be greater than 0\n";
  for (const char* step : {"0", "-5"}) {
    parsedLine p = parseLine({"-confMultipleValues", "100", "500", step});
    EXPECT_EQ(p.messages, notPositive) << step;
    EXPECT_EQ(p.errors, 1) << step;
  }
  // Without a range to walk, the step does not matter.
  EXPECT_EQ(parseLine({"-confMultipleValues", "100", "100", "0"}).errors, 0);
  EXPECT_EQ(parseLine({"-confMultipleValues", "500", "100", "-1"}).errors, 0);
  // 1e8 + 1 is 1e8 in single precision.
  parsedLine tiny = parseLine({"-confMultipleValues", "100000000", "100000010", "1"});
  EXPECT_EQ(tiny.messages, "Error: The step of -confMultipleValues is too small to reach its last value\n");
  EXPECT_EQ(tiny.errors, 1);
  // The step check comes after the others.
  parsedLine order = parseLine({"-BCPC", "-PC", "-confProb", "1", "0.5", "-wcomp", "-confMultipleValues", "1", "2", "0"});
  EXPECT_EQ(order.messages,
            "\n The option -wcomp will only be used if the NC index is selected (-NC)\x94.\n" + notPositive);
}

}  // namespace
