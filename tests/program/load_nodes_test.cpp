// Reading the node file: layout, the checks of every column and their
// messages, identifiers, candidates, and the maximum landscape attribute.
#include <string>
#include <vector>

#include "load_fixture.h"

namespace verdalis {

namespace {

const std::string kStop = "\nNo more lines will be read from this file. RESULTS WILL BE INVALID.";
const std::string kGoesOn =
    "\nProcessing will continue, but the RESULTS WILL almost surely BE INVALID because of that error in the input "
    "data.";
const std::string kFix = "\nPlease cancel and discard the processing and correct the format of the node file.\n";

struct nodeLoad {
  std::unique_ptr<quivaraProgram<double>> program;
  int result = -1;
  std::string printed;
};

// Counts, allocates and reads a node file as a run does.
nodeLoad loadNodes(const scratchDir& dir, const std::string& nodes, runSetup setup = runSetup{}) {
  setup.nodes = dir.write("nodes.txt", nodes);
  nodeLoad load;
  load.program = makeProgram(setup);
  int words = 0, lines = 0;
  std::string checkOutput = printedBy([&] { EXPECT_EQ(load.program->verifyFile(setup.nodes, words, lines), 0); });
  EXPECT_EQ(checkOutput, "");
  load.program->nNodesTotal = lines;
  load.printed = printedBy([&] {
    load.program->create_arrays();
    load.result = load.program->initialize_arrays_nodes();
  });
  return load;
}

runSetup withCandidates() {
  runSetup s;
  s.add = true;
  return s;
}

TEST(NodeFile, BlanksTabsCrLfAndBlankLines) {
  scratchDir dir;
  nodeLoad l = loadNodes(dir, "1\t10\r\n\r\n  2   20.5  \r\n\t\n3\t0\r\n");
  EXPECT_EQ(l.printed, "");
  EXPECT_EQ(l.result, 0);
  EXPECT_EQ(l.program->label, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(l.program->size, (std::vector<float>{10, 20.5f, 0}));
  EXPECT_FLOAT_EQ(l.program->midaSizeTotalHabitat(), 30.5f);
}

TEST(NodeFile, LastLineWithoutLineEndIsStored) {
  scratchDir dir;
  nodeLoad plain = loadNodes(dir, "1 10\n2 20");
  EXPECT_EQ(plain.program->label, (std::vector<int>{1, 2}));
  EXPECT_FLOAT_EQ(plain.program->sizeTotalHabitat, 30);
  int pos = -1;
  EXPECT_TRUE(plain.program->exist_nodes(2, pos));
  EXPECT_EQ(pos, 1);

  // The count of candidates sees that last line too.
  nodeLoad add = loadNodes(dir, "1 10 1\n2 20 0\n3 5 0", withCandidates());
  EXPECT_EQ(add.program->numberNodes(), 1);
  EXPECT_EQ(add.program->numberNodesAdd(), 2);
  EXPECT_EQ(add.program->labelAdd, (std::vector<int>{2, 3}));
  EXPECT_EQ(add.program->sizeAdd, (std::vector<float>{20, 5}));
  EXPECT_TRUE(add.program->exist_nodesAdd(3, pos));
  EXPECT_EQ(pos, 1);
}

TEST(NodeFile, CandidatesAndExistingNodesMixed) {
  scratchDir dir;
  nodeLoad l = loadNodes(dir, "7 1 0\n8 2 1\n9 4 0\n10 8 1\n11 16 1\n", withCandidates());
  EXPECT_EQ(l.printed, "");
  EXPECT_EQ(l.program->nNodesTotal, 5);
  EXPECT_EQ(l.program->label, (std::vector<int>{8, 10, 11}));
  EXPECT_EQ(l.program->labelAdd, (std::vector<int>{7, 9}));
  EXPECT_FLOAT_EQ(l.program->sizeTotalHabitat, 26);  // candidates are not summed
  int pos = 5;
  EXPECT_FALSE(l.program->exist_nodes(7, pos));
  EXPECT_EQ(pos, -1);
  EXPECT_FALSE(l.program->exist_nodesAdd(8, pos));
  EXPECT_EQ(pos, -1);
}

TEST(NodeFile, StoppingChecksOfIdentifierAndAttribute) {
  scratchDir dir;
  nodeLoad notNumber = loadNodes(dir, "1 10\nx 5\n3 4\n");
  EXPECT_EQ(notNumber.printed,
            "Error: A non-numerical node ID value has been found in line 2 of the node file (first column)." + kStop +
                kFix);
  EXPECT_EQ(notNumber.result, 1);
  // Entries that no line filled stay at identifier 0 and attribute 0.
  EXPECT_EQ(notNumber.program->label, (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(notNumber.program->size, (std::vector<float>{10, 0, 0}));
  int pos;
  EXPECT_FALSE(notNumber.program->exist_nodes(0, pos));
  EXPECT_FALSE(notNumber.program->exist_nodes(3, pos));

  EXPECT_EQ(loadNodes(dir, "1 10\n2 5\n3.5 4\n").printed,
            "Error: A non-integer node ID value has been found in line 3 of the node file (first column)." + kStop +
                kFix);
  EXPECT_EQ(loadNodes(dir, "1 10\n2 abc\n").printed,
            "Error: A non-numerical node attribute value has been found in line 2 of the node file (second "
            "column)." +
                kStop + kFix);
  EXPECT_EQ(loadNodes(dir, "abc 1\n2 2\n").printed,
            "Error: A non-numerical node ID value has been found in line 1 of the node file (first column)." + kStop +
                kFix);
}

TEST(NodeFile, TokenIsANumberOnlyAsAWhole) {
  scratchDir dir;
  const std::string idNotNumber =
      "Error: A non-numerical node ID value has been found in line 1 of the node file (first column)." + kStop + kFix;
  EXPECT_EQ(loadNodes(dir, "12abc 1\n").printed, idNotNumber);
  EXPECT_EQ(loadNodes(dir, "0x1A 1\n").printed, idNotNumber);
  EXPECT_EQ(loadNodes(dir, "inf 1\n").printed, idNotNumber);
  EXPECT_EQ(loadNodes(dir, "1e 1\n").printed, idNotNumber);
  EXPECT_EQ(loadNodes(dir, "1 1,5\n").printed,
            "Error: A non-numerical node attribute value has been found in line 1 of the node file (second "
            "column)." +
                kStop + kFix);
  nodeLoad forms = loadNodes(dir, "+4 .5\n5. 1e2\n-6 2.5E-1\n");
  EXPECT_EQ(forms.printed, "");
  EXPECT_EQ(forms.program->label, (std::vector<int>{4, 5, -6}));
  EXPECT_EQ(forms.program->size, (std::vector<float>{0.5f, 100, 0.25f}));
}

TEST(NodeFile, NegativeAttributeIsReportedAndKept) {
  scratchDir dir;
  nodeLoad l = loadNodes(dir, "1 10\n2 5\n3 4\n4 -2\n5 1\n6 -1");
  const std::string negative = "A negative node attribute value has been found in line ";
  const std::string column = " of the node file (second column). \nPlease correct.";
  EXPECT_EQ(l.printed, "Error: " + negative + "4" + column + kGoesOn + kFix + "Error: " + negative + "6" + column +
                           kGoesOn + kFix);
  EXPECT_EQ(l.result, 0);
  EXPECT_EQ(l.program->size, (std::vector<float>{10, 5, 4, -2, 1, -1}));
  EXPECT_FLOAT_EQ(l.program->sizeTotalHabitat, 17);
}

TEST(NodeFile, ChecksOfTheThirdColumn) {
  scratchDir dir;
  runSetup add = withCandidates();
  nodeLoad notNumber = loadNodes(dir, "1 1 1\n2 1 x\n", add);
  // Reported twice: first while counting candidates, then while reading.
  EXPECT_EQ(notNumber.printed,
            "Error: A non-numerical value has been found in the node file (third column)." + kStop + kFix +
                "Error: A non-numerical value has been found in line 2 of the node file (third column)." + kStop +
                kFix);
  EXPECT_EQ(loadNodes(dir, "1 1 1\n2 1 0.5\n", add).printed,
            "Error: A non-integer value has been found in line 2 of the node file (third column)." + kStop + kFix);
  nodeLoad two = loadNodes(dir, "1 1 0\n2 1 1\n3 1 2\n4 1 1\n", add);
  EXPECT_EQ(two.printed, "Error: A value different from 0 or 1 has been found in line 3 of the node file (third "
                         "column). \nPlease correct." +
                             kStop + kFix);
  EXPECT_EQ(two.program->label, (std::vector<int>{2, 0, 0}));
  EXPECT_EQ(two.program->labelAdd, (std::vector<int>{1}));
}

TEST(NodeFile, NegativeAttributeDoesNotExcuseABadThirdColumn) {
  scratchDir dir;
  nodeLoad l = loadNodes(dir, "1 1 1\n2 -1 7\n3 1 0\n", withCandidates());
  EXPECT_EQ(l.printed,
            "Error: A negative node attribute value has been found in line 2 of the node file (second column). "
            "\nPlease correct." +
                kGoesOn + kFix +
                "Error: A value different from 0 or 1 has been found in line 2 of the node file (third column). "
                "\nPlease correct." +
                kStop + kFix);
  EXPECT_EQ(l.result, 1);
  EXPECT_EQ(l.program->label, (std::vector<int>{1, 0}));
}

TEST(NodeFile, CandidateCountStopsAtTheFirstNonNumber) {
  scratchDir dir;
  runSetup add = withCandidates();
  auto program = makeProgram(add);
  auto countOf = [&](const std::string& content, std::string& printed) {
    int count = -1;
    std::string file = dir.write("count.txt", content);
    printed = printedBy([&] { count = program->verifyNodesNoExist(file); });
    return count;
  };
  std::string printed;
  EXPECT_EQ(countOf("1 1 0\n2 1 1\n3 1 0\n", printed), 2);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(countOf("1 1 0\n2 1 0\n3 y 0\n4 1 0\n", printed), 2);
  EXPECT_EQ(printed, "Error: A non-numerical node attribute value has been found in the node file (second column)." +
                         kStop + kFix);
  EXPECT_EQ(countOf("1 1 0\nz 1 0\n", printed), 1);
  EXPECT_EQ(printed,
            "Error: A non-numerical node ID value has been found in the node file (first column)." + kStop + kFix);
  // The first line is reported with the reader's own text.
  EXPECT_EQ(countOf("1 q 0\n2 1 0\n", printed), 0);
  EXPECT_EQ(printed,
            "Error: A non-numerical node attribute value has been found in line 1 of the node file (second "
            "column)." +
                kStop + kFix);
  // Integer checks are not the count's business.
  EXPECT_EQ(countOf("1.5 1 0\n2 1 0\n", printed), 2);
  EXPECT_EQ(printed, "");

  int count = -1;
  printed = printedBy([&] { count = program->verifyNodesNoExist("/nonexistent/n.txt"); });
  EXPECT_EQ(count, 0);
  EXPECT_EQ(printed, "Error: Cannot open node file /nonexistent/n.txt\n");
}

TEST(NodeIdentifiers, ReadExactlyBeyondSinglePrecision) {
  scratchDir dir;
  nodeLoad l = loadNodes(dir, "16777217 1\n16777216 1\n2147483647 1\n-2147483648 1\n");
  EXPECT_EQ(l.printed, "");
  EXPECT_EQ(l.program->label, (std::vector<int>{16777217, 16777216, 2147483647, -2147483647 - 1}));
  int pos = -1;
  EXPECT_TRUE(l.program->exist_nodes(16777217, pos));
  EXPECT_EQ(pos, 0);
  EXPECT_TRUE(l.program->exist_nodes(16777216, pos));
  EXPECT_EQ(pos, 1);
}

TEST(NodeIdentifiers, OutsideThe32BitRangeIsNonInteger) {
  scratchDir dir;
  const std::string nonInteger = "Error: A non-integer node ID value has been found in line 2 of the node file "
                                 "(first column)." +
                                 kStop + kFix;
  EXPECT_EQ(loadNodes(dir, "1 1\n3e10 1\n").printed, nonInteger);
  EXPECT_EQ(loadNodes(dir, "1 1\n2147483648 1\n").printed, nonInteger);
  EXPECT_EQ(loadNodes(dir, "1 1\n-2147483649 1\n").printed, nonInteger);
  EXPECT_EQ(loadNodes(dir, "1 1\n1e300 1\n").printed, nonInteger);
  EXPECT_EQ(loadNodes(dir, "1 1\n3.5 1\n").printed, nonInteger);
  EXPECT_EQ(loadNodes(dir, "1 1\n4.0 1\n").printed, "");
}

TEST(NodeIdentifiers, DuplicatesMapToTheFirstOccurrence) {
  scratchDir dir;
  nodeLoad l = loadNodes(dir, "5 1\n6 1\n5 2\n");
  EXPECT_EQ(l.printed, "");
  EXPECT_EQ(l.program->label, (std::vector<int>{5, 6, 5}));
  EXPECT_FLOAT_EQ(l.program->sizeTotalHabitat, 4);
  int pos = -1;
  EXPECT_TRUE(l.program->exist_nodes(5, pos));
  EXPECT_EQ(pos, 0);

  nodeLoad add = loadNodes(dir, "5 1 0\n6 1 1\n5 2 0\n", withCandidates());
  EXPECT_TRUE(add.program->exist_nodesAdd(5, pos));
  EXPECT_EQ(pos, 0);
}

TEST(LandscapeAttribute, SettledAfterTheNodesAreSummed) {
  scratchDir dir;
  runSetup small;
  small.landArea = 10;
  nodeLoad low = loadNodes(dir, "1 10\n2 20\n", small);
  EXPECT_EQ(low.printed,
            "Error:  Maximum landscape attribute (AL) is lower than the sum of node attributes.\n Only the numerators "
            "of the overall LCP, IIC and PC values will be computed.\n");
  EXPECT_EQ(low.result, 1);
  EXPECT_FALSE(low.program->utilLandscapeAreaFunction());
  EXPECT_EQ(low.program->midaSizeLandscapeArea(), 1);

  runSetup exact;
  exact.landArea = 30;
  nodeLoad fits = loadNodes(dir, "1 10\n2 20\n", exact);
  EXPECT_EQ(fits.printed, "");
  EXPECT_EQ(fits.result, 0);
  EXPECT_TRUE(fits.program->utilLandscapeArea);
  EXPECT_EQ(fits.program->sizeLandscapeArea, 30);

  nodeLoad none = loadNodes(dir, "1 10\n2 20\n");
  EXPECT_EQ(none.result, 0);
  EXPECT_FALSE(none.program->utilLandscapeArea);
  EXPECT_EQ(none.program->sizeLandscapeArea, 1);
}

}  // namespace

}  // namespace verdalis
