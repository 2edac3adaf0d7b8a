// Reading the command line: option families, value tokens, numbers, and
// the messages and error counts of the loop and of the checks after it.
#include <gtest/gtest.h>

#include "cli_helpers.h"

namespace verdalis {

namespace {

const std::string kWcomp = "\n The option -wcomp will only be used if the NC index is selected (-NC)\x94.\n";
const std::string kBadStep = "Error: The step of -confMultipleValues must be greater than 0\n";

struct messageCase {
  std::vector<std::string> words;
  std::string messages;
  int errors;
};

TEST(Messages, EveryLineGivesItsTextAndCount) {
  const messageCase cases[] = {
      {{"-t", "dist", "all", "-NC", "-confAdj", "1000", "-nodeFile", "n.txt", "-conFile", "c.txt"}, "", 0},
      {{"-nodeFile"}, "No nodes file defined\n", 1},
      {{"-conFile"}, "No connections file is defined\n", 1},
      {{"-t"}, "No connexion type is defined\n", 1},
      {{"-t", "0.5"}, "\nArgument '0.5' not valid as connexion type\n", 1},
      {{"-t", "prob", "0.5"}, "\nArgument '0.5' not valid\n", 1},
      {{"-confAdj", "abc"}, "\nArgument 'abc' could not be a number\n", 1},
      {{"-landArea", ""}, "\nArgument '' could not be a number\n", 1},
      {{"-confAdj"}, "No distance value defined in adjacent indices -confAdj\n", 1},
      {{"-t", "prob", "-confAdj"}, "No probability value defined in adjacent indices -confAdj\n", 1},
      {{"-t", "adj", "-confAdj", "5"}, "", 1},
      {{"-t", "prob", "-confProb", "1000", "0.5"}, "Problems in definition of probabilistic indices -confProb\n", 1},
      {{"-confProb", "1000"}, "Problems in definition of probabilistic indices -confProb\n", 1},
      {{"-confMultipleValues", "100", "1000"}, "Problems defining -iterate max min step\n", 1},
      {{"-pcHeur"}, "Problems in -pcHeur. Missed argument.\n", 1},
      {{"-removal", "maxValue"}, "maxValue is not defined\n", 1},
      {{"-improvement", "maxValue"}, "maxValue is not defined.\n", 1},
      {{"-landArea"}, "landArea is not defined\n", 1},
      {{"-prefix"}, "", 1},
      {{"-threads"}, "No number of threads defined -threads\n", 1},
      {{"-progress"}, "No progress lines defined -progress (all or brief)\n", 1},
      {{"-progress", "some"}, "\nArgument 'some' not valid as progress lines (all or brief)\n", 1},
      // Value tokens: silent only right after their option.
      {{"stray", "-foo"}, "\nArgument 'stray' not valid\n\nArgument '-foo' not valid\n", 2},
      {{"-removal", "0.3"}, "\nArgument '0.3' not valid\n", 1},
      {{"-confMultipleValues", "1", "2", "3", "4"}, "\nArgument '4' not valid\n", 1},
      {{"-confProb", "1", "2", "3"}, "\nArgument '3' not valid\n", 1},
      {{"-t", "dist", "maybe"}, "\nArgument 'maybe' not valid\n", 1},
      {{"-prefix", "p", "-pcHeur", "all", "-PC", "-confProb", "1", "0.5", "-threads", "3"}, "", 0},
      // onlyoverall notices do not count.
      {{"-BC", "-removal", "-change", "onlyoverall"},
       "No compatible link removal, link improvement and link change with onlyoverall execution\n"
       "When the onlyoverall option is selected, indices BC, BC(IIC), or BC(PC) will not be calculated \n",
       0},
      {{"onlyoverall", "-BC", "-bciic", "-BCPC", "-removal", "maxValue", "0.2", "-improvement", "-change"},
       "When the onlyoverall option is selected, index BC will not be calculated\n"
       "When the onlyoverall option is selected, index BCIIC will not be calculated\n"
       "When the onlyoverall option is selected, index BCPC will not be calculated\n"
       "No compatible execution link removal with onlyoverall\n"
       "No compatible execution link improvement with onlyoverall\n"
       "No compatible execution link change with onlyoverall\n",
       0},
      // Checks after the loop, in their order; warnings do not count.
      {{"-CCP", "-F", "-pcHeur", "0.1", "-BCIIC", "-BCPC"},
       "\n -confAdj not defined\n\n -confProb not defined\n\n -pcHeur not active. PC not selected.\n"
       "\n To calculate BCIIC you also have to select IIC.\n\n To calculate BCPC you also have to select PC.\n",
       5},
      {{"-confProb", "1000", "0.5", "-t", "prob", "-PC"},
       "\n With Prob connections, is not necessary define -confProb \n", 1},
      {{"-t", "adj", "-AWF"}, "\n With adjacent input, is not possible calculate probabilistic indices\n", 1},
      {{"-PC", "-confProb", "1000", "0"}, "\n -confProb not defined\n", 1},
      {{"-t", "prob", "-NL"}, "\n -confAdj not defined\n", 1},
      {{"-IIC", "-confMultipleValues", "100", "500", "200"}, "", 0},
      {{"-t", "adj", "-NC"}, "", 0},
      {{"-wcomp", "-wlinks", "-wprobdir", "-wprobmax", "-BCIIC"},
       "\n -confAdj not defined\n\n To calculate BCIIC you also have to select IIC.\n" + kWcomp +
           "\n The option -wprobdir will only be used if there is at least one probabilistic index selected.\n"
           "\n The option -wprobmax will only be used if the PC index has been selected.\n",
       2},
      {{"-wlinks", "-F", "-confProb", "1", "0.5"},
       "\n The option -wlinks will only be used if there is at least one binary index selected.\n", 0},
      // A range must be walkable, checked last.
      {{"-BCPC", "-PC", "-confProb", "1", "0.5", "-wcomp", "-confMultipleValues", "1", "2", "0"}, kWcomp + kBadStep, 1},
      {{"-confMultipleValues", "100", "500", "-5"}, kBadStep, 1},
      {{"-confMultipleValues", "100", "100", "0"}, "", 0},
      {{"-confMultipleValues", "500", "100", "-1"}, "", 0},
      {{"-confMultipleValues", "100000000", "100000010", "1"},
       "Error: The step of -confMultipleValues is too small to reach its last value\n", 1},
  };
  for (const messageCase& c : cases) {
    parsedLine p = parseLine(c.words);
    std::string line;
    for (const std::string& w : c.words) line += w + " ";
    EXPECT_EQ(p.messages, c.messages) << line;
    EXPECT_EQ(p.errors, c.errors) << line;
  }
  // The program name is never the option of a value.
  EXPECT_EQ(parseLine({"x"}, "-nodeFile").errors, 1);
}

TEST(OptionFlags, SpellingsAndPrecision) {
  const std::pair<const char*, bool dataArg::*> cases[] = {
      {"-A", &dataArg::A},        {"-a", &dataArg::A},         {"-CCP", &dataArg::CCP},   {"-ccp", &dataArg::CCP},
      {"-LCP", &dataArg::LCP},    {"-lcp", &dataArg::LCP},     {"-IIC", &dataArg::IIC},   {"-iic", &dataArg::IIC},
      {"-BC", &dataArg::BC},      {"-bc", &dataArg::BC},       {"-BCIIC", &dataArg::BCIIC}, {"-bciic", &dataArg::BCIIC},
      {"-NC", &dataArg::NC},      {"-nc", &dataArg::NC},       {"-NL", &dataArg::NL},     {"-nl", &dataArg::NL},
      {"-H", &dataArg::H},        {"-F", &dataArg::F},         {"-f", &dataArg::F},       {"-AWF", &dataArg::AWF},
      {"-awf", &dataArg::AWF},    {"-PC", &dataArg::PC},       {"-pc", &dataArg::PC},     {"-BCPC", &dataArg::BCPC},
      {"-bcpc", &dataArg::BCPC},  {"-add", &dataArg::addNodes}, {"-noout", &dataArg::bexecution_events},
      {"-*", &dataArg::searchSimilar}, {"-reference", &dataArg::reference}, {"-dense", &dataArg::dense},
  };
  for (const auto& c : cases) {
    parsedLine p = parseLine({c.first});
    EXPECT_TRUE(p.arg.*(c.second)) << c.first;
    EXPECT_EQ(p.arg.help, 0) << c.first;
  }
  for (const char* spelling : {"-h", "--help", "-help", "-?", "/?"}) EXPECT_NE(parseLine({spelling}).arg.help, 0);
  EXPECT_NE(parseLine({}).arg.help, 0);
  EXPECT_EQ(parseLine({"-NC"}).arg.precission, 1.0f);
  EXPECT_EQ(parseLine({"-double", "-simple"}).arg.precission, 0.0f);
  EXPECT_EQ(parseLine({"-simple", "-double"}).arg.precission, 1.0f);
}

TEST(OptionValues, NumbersAreWholeDecimalTokensInSinglePrecision) {
  // A token that only begins with a number is refused, not read as its
  // beginning; so are hexadecimal, infinity and what single precision
  // cannot hold.
  for (const char* bad : {"12abc", "1km", "0,5", "0x96", "1e", "inf", "1e39", "", " "}) {
    parsedLine p = parseLine({"-confAdj", "5", "-confAdj", bad});
    EXPECT_EQ(p.errors, 1) << bad;
    EXPECT_EQ(p.messages, std::string("\nArgument '") + bad + "' could not be a number\n") << bad;
    EXPECT_EQ(p.arg.adjacentTail, 5.0f) << bad;
  }
  EXPECT_EQ(parseLine({"-confAdj", "  7.5 "}).arg.adjacentTail, 7.5f);
  EXPECT_EQ(parseLine({"-confAdj", "1e3"}).arg.adjacentTail, 1000.0f);
  EXPECT_EQ(parseLine({"-confAdj", ".5"}).arg.adjacentTail, 0.5f);
  EXPECT_EQ(parseLine({"-confAdj", "+2."}).arg.adjacentTail, 2.0f);
  EXPECT_EQ(parseLine({"-landArea", "-3"}).arg.landscapeArea, -3.0f);
  EXPECT_EQ(parseLine({"-landArea", "0.1"}).arg.landscapeArea, 0.1f);
  // An unreadable number leaves the earlier value.
  EXPECT_EQ(parseLine({"-confAdj", "5", "-confAdj", "abc"}).arg.adjacentTail, 5.0f);
  parsedLine prob = parseLine({"-confProb", "x", "0.5"});
  EXPECT_EQ(prob.arg.kDistanceProb, 0.0f);
  EXPECT_EQ(prob.arg.kProbProb, 0.5f);
  parsedLine m = parseLine({"-confMultipleValues", "100", "1000", "50"});
  EXPECT_TRUE(m.arg.type1_iteration);
  EXPECT_EQ(m.arg.min_iteration + m.arg.max_iteration + m.arg.step_iteration, 1150.0f);
  EXPECT_TRUE(parseLine({"-confMultipleValues"}).arg.type1_iteration);
}

TEST(OptionValues, InputKindStructureAndHeuristics) {
  parsedLine prob = parseLine({"-t", "prob", "all", "-confAdj", "0.3"});
  EXPECT_TRUE(prob.arg.inputProb && !prob.arg.inputDist && !prob.arg.inputAdjacen);
  EXPECT_TRUE(prob.arg.structType);
  EXPECT_EQ(prob.arg.adjacentTail, 0.3f);
  parsedLine last = parseLine({"-t", "prob", "all", "-conFileType", "adj", "maybe", "-t", "dist"});
  EXPECT_TRUE(last.arg.inputDist && !last.arg.inputAdjacen);
  EXPECT_TRUE(last.arg.structType);
  EXPECT_TRUE(parseLine({"-t", "0.5"}).arg.inputDist);

  parsedLine heur = parseLine({"-pcHeur", "all", "-pcHeur", "0.01"});
  EXPECT_FALSE(heur.arg.allpathsp);
  EXPECT_EQ(heur.arg.minProbp, 0.01f);
  EXPECT_TRUE(parseLine({"-pcHeur", "all"}).arg.allpathsp);
  EXPECT_EQ(parseLine({"-threads", "4"}).arg.threads, 4);
  EXPECT_EQ(parseLine({"-PC"}).arg.progress, progressRequest::automatic);
  EXPECT_EQ(parseLine({"-progress", "brief", "-progress", "all"}).arg.progress, progressRequest::all);
  EXPECT_EQ(parseLine({"-progress", "brief"}).arg.progress, progressRequest::brief);
  for (const char* bad : {"-1", "4x", "2.5", "99999999999"}) {
    parsedLine t = parseLine({"-threads", bad});
    EXPECT_EQ(t.errors, 1) << bad;
    EXPECT_NE(t.messages.find(bad), std::string::npos) << bad;
  }
}

TEST(OptionValues, LinkAnalysesAndOnlyOverall) {
  parsedLine p = parseLine({"-removal", "maxValue", "0.3", "-improvement", "-change"});
  EXPECT_TRUE(p.arg.linkImportances1 && p.arg.blink_importances_removal);
  EXPECT_TRUE(p.arg.linkImportances2 && p.arg.blink_importances_improvement);
  EXPECT_TRUE(p.arg.linkImportances3 && p.arg.blink_importances_improvementDiff);
  EXPECT_EQ(p.arg.linkImportancesPij, 0.3f);
  EXPECT_EQ(parseLine({"-removal", "0.3"}).arg.linkImportancesPij, -1.0f);

  for (auto words : {std::vector<std::string>{"-BC", "-removal", "-improvement", "-change", "onlyoverall"},
                     std::vector<std::string>{"onlyoverall", "-BC", "-removal", "-improvement", "-change"}}) {
    parsedLine o = parseLine(words);
    EXPECT_TRUE(o.arg.onlyoverall);
    EXPECT_FALSE(o.arg.bnode_importances || o.arg.BC);
    EXPECT_FALSE(o.arg.linkImportances1 || o.arg.linkImportances2 || o.arg.linkImportances3);
    EXPECT_FALSE(o.arg.blink_importances_removal || o.arg.blink_importances_improvement ||
                 o.arg.blink_importances_improvementDiff);
  }
}

TEST(OptionValues, WarningsClearOnlyTheirSwitch) {
  parsedLine p = parseLine({"-wcomp", "-wlinks", "-wprobdir", "-wprobmax", "-BCIIC"});
  EXPECT_FALSE(p.arg.bcomponents || p.arg.bdirect_probabilities || p.arg.bmaximum_product_probabilities);
  EXPECT_TRUE(p.arg.blinks);  // BCIIC is a binary index
  parsedLine kept = parseLine({"-NC", "-PC", "-confAdj", "1", "-confProb", "1", "0.5", "-wcomp", "-wprobdir", "-wprobmax"});
  EXPECT_TRUE(kept.arg.bcomponents && kept.arg.bdirect_probabilities && kept.arg.bmaximum_product_probabilities);
}

TEST(OptionValues, AValueSpelledLikeAnOptionActsAsIt) {
  parsedLine p = parseLine({"-nodeFile", "-PC", "-conFile", "c.txt"});
  EXPECT_EQ(p.arg.fileNodes, "-PC");
  EXPECT_EQ(p.arg.fileConnections, "c.txt");
  EXPECT_TRUE(p.arg.PC);
  parsedLine h = parseLine({"-prefix", "-h"});
  EXPECT_NE(h.arg.help, 0);
  EXPECT_EQ(h.arg.prefix_name, "-h");
}

}  // namespace

}  // namespace verdalis
