// The column check of input files and the initial check of settings and
// file shapes.
#include <string>

#include "load_fixture.h"

namespace verdalis {

namespace {

struct columnCount {
  int errors, words, lines;
  std::string printed;
};

columnCount countOf(const scratchDir& dir, const std::string& content) {
  runSetup setup;
  auto program = makeProgram(setup);
  std::string file = dir.write("f.txt", content);
  columnCount c{0, -7, -7, ""};
  c.printed = printedBy([&] { c.errors = program->verifyFile(file, c.words, c.lines); });
  return c;
}

std::string mismatch(int line, int columns) {
  return "Error: Not all the lines within the node or connection file have the same number of columns. \nLine " +
         std::to_string(line) + " in the node or connection file has " + std::to_string(columns) +
         " columns, which is different from previous line(s) in the same file.\n";
}

TEST(VerifyFile, SeparatorsAndLineEnds) {
  scratchDir dir;
  columnCount c = countOf(dir, "1  2\t\t3\r\n4\t5 6\r\n\r\n  \t \n7 8 9");
  EXPECT_EQ(c.errors, 0);
  EXPECT_EQ(c.words, 3);
  EXPECT_EQ(c.lines, 3);  // blank lines are not counted; the last one needs no line end
  EXPECT_EQ(c.printed, "");
}

TEST(VerifyFile, LongLinesAreReadInChunksOf99Characters) {
  scratchDir dir;
  std::string ninetyNine = "4 5 6" + std::string(94, ' ');
  // A longer line whose second chunk has the same columns counts twice.
  columnCount twice = countOf(dir, "1 2 3\n" + ninetyNine + "7 8 9\n");
  EXPECT_EQ(twice.errors, 0);
  EXPECT_EQ(twice.lines, 3);
  // 99 characters and the line feed: the line feed alone is a blank chunk.
  columnCount once = countOf(dir, "1 2 3\n" + ninetyNine + "\n7 8 9\n");
  EXPECT_EQ(once.errors, 0);
  EXPECT_EQ(once.lines, 3);
  // A 100-character line cut inside its last column.
  columnCount cut = countOf(dir, "1 2 3\n4 5 " + std::string(96, '6') + "\n7 8 9\n");
  EXPECT_EQ(cut.errors, 1);
  EXPECT_EQ(cut.lines, 4);
  EXPECT_EQ(cut.printed, mismatch(3, 1));
}

TEST(VerifyFile, MismatchedLinesAreNumberedWithoutBlankLines) {
  scratchDir dir;
  columnCount c = countOf(dir, "1 2\n\n3 4 5\n6 7\n8\n");
  EXPECT_EQ(c.errors, 2);
  EXPECT_EQ(c.words, 2);
  EXPECT_EQ(c.lines, 4);
  EXPECT_EQ(c.printed, mismatch(2, 3) + mismatch(4, 1));
}

TEST(VerifyFile, BlankFirstLineMakesEveryLaterLineAnError) {
  scratchDir dir;
  columnCount c = countOf(dir, "\n1 2\n3 4\n");
  EXPECT_EQ(c.errors, 2);
  EXPECT_EQ(c.words, 0);
  EXPECT_EQ(c.lines, 3);
  EXPECT_EQ(c.printed, mismatch(2, 2) + mismatch(3, 2));
}

TEST(VerifyFile, EmptyAndMissingFiles) {
  scratchDir dir;
  columnCount empty = countOf(dir, "");
  EXPECT_EQ(empty.errors, 0);
  EXPECT_EQ(empty.words, 0);
  EXPECT_EQ(empty.lines, 1);

  auto program = makeProgram(runSetup{});
  int words = -7, lines = -7, errors = 0;
  std::string printed = printedBy([&] { errors = program->verifyFile("/nonexistent/n.txt", words, lines); });
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(words, -7);
  EXPECT_EQ(lines, -7);
  EXPECT_EQ(printed, "Error: Cannot open node file or connection file /nonexistent/n.txt\n");
}

// ---- initial check: settings ----

struct checkResult {
  int errors;
  std::string printed;
};

checkResult checked(runSetup setup) {
  auto program = makeProgram(setup);
  checkResult r{0, ""};
  r.printed = printedBy([&] { r.errors = program->initial_check(); });
  return r;
}

const char* const kDistanceNegative =
    "Error: The value for the distance threshold cannot be negative (binary indices)\n";
const char* const kProbabilityRange =
    "Error: The probability value must range between 0 and 1 (probabilistic indices)\n";
const char* const kDistanceZero = "Error: The distance value cannot be negative nor zero (probabilistic indices)\n";
const char* const kMinimumRange = "Error: The minimum probability value (PC index) must range between 0 and 1\n";
const char* const kProbThreshold =
    "Error: The value for the probability threshold must range between 0 and 1 (binary indices)\n";
const char* const kBinaryProbabilistic =
    "Error: Probabilistic indices (F, AWF, PC) cannot be computed when binary links is the type of connection file\n";

class InitialCheck : public testing::Test {
 protected:
  void SetUp() override {
    base.nodes = dir.write("nodes.txt", nodeLines(3));
    base.connections = dir.write("con.txt", "1 2 5\n2 3 5\n");
  }
  scratchDir dir;
  runSetup base;
};

TEST_F(InitialCheck, ThresholdsAtTheirLimitsAreAccepted) {
  runSetup zeroDistance = base;
  zeroDistance.adjacentTail = 0;
  EXPECT_EQ(checked(zeroDistance).errors, 0);

  runSetup oneProbability = base;
  oneProbability.dist = false;
  oneProbability.prob = true;
  oneProbability.adjacentTail = 1;
  EXPECT_EQ(checked(oneProbability).errors, 0);

  runSetup pc = base;
  pc.iic = false;
  pc.pc = true;
  pc.kProb = 1;
  checkResult r = checked(pc);
  EXPECT_EQ(r.errors, 0);
  EXPECT_EQ(r.printed, "");
}

TEST_F(InitialCheck, EachBadSettingHasItsMessageInOrder) {
  runSetup s = base;
  s.pc = true;
  s.adjacentTail = -1;
  s.kProb = 1.5f;
  s.kDistance = 0;
  s.minProb = 1.5f;
  checkResult r = checked(s);
  EXPECT_EQ(r.errors, 4);
  EXPECT_EQ(r.printed, std::string(kDistanceNegative) + kProbabilityRange + kDistanceZero + kMinimumRange);

  runSetup prob = base;
  prob.dist = false;
  prob.prob = true;
  prob.adjacentTail = 1.5f;
  r = checked(prob);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, kProbThreshold);
  prob.adjacentTail = 0;
  EXPECT_EQ(checked(prob).printed, kProbThreshold);

  runSetup binary = base;
  binary.dist = false;
  binary.adj = true;
  binary.iic = false;
  binary.awf = true;
  r = checked(binary);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, kBinaryProbabilistic);
}

TEST_F(InitialCheck, SettingsOfIndicesNotRequestedAreNotChecked) {
  runSetup s = base;
  s.kProb = 7;          // no probabilistic index
  s.minProb = 3;
  EXPECT_EQ(checked(s).errors, 0);
  runSetup p = base;
  p.iic = false;
  p.f = true;
  p.adjacentTail = -5;  // no binary index
  EXPECT_EQ(checked(p).errors, 0);
}

TEST_F(InitialCheck, SettingErrorsSkipTheFileChecks) {
  runSetup s = base;
  s.nodes = "/nonexistent/nodes.txt";
  s.adjacentTail = -1;
  checkResult r = checked(s);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, kDistanceNegative);
}

TEST_F(InitialCheck, DerivesWhichKindsOfIndexAreNeeded) {
  runSetup s = base;
  s.iic = false;
  s.pc = true;
  auto program = makeProgram(s);
  printedBy([&] { program->initial_check(); });
  EXPECT_FALSE(program->adjTypeFunction());
  EXPECT_TRUE(program->probTypeFunction());
  EXPECT_FALSE(program->componentType);

  runSetup b = base;
  b.iic = false;
  b.bc = true;
  b.nc = true;
  auto other = makeProgram(b);
  printedBy([&] { other->initial_check(); });
  EXPECT_TRUE(other->adjType);
  EXPECT_FALSE(other->probType);
  EXPECT_TRUE(other->componentType);
  EXPECT_TRUE(other->betweenness_centrality);
}

// ---- initial check: files ----

TEST_F(InitialCheck, NodeFileColumns) {
  runSetup three = base;
  three.nodes = dir.write("n3.txt", "1 1 1\n2 1 0\n");
  checkResult r = checked(three);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, "Error: Node file must have 2 columns (unless there are nodes to add, which was not selected).\n");

  runSetup two = base;
  two.add = true;
  r = checked(two);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, "Error: Node file must have 3 columns (when there are nodes to add, as selected).\n");

  runSetup empty = base;
  empty.nodes = dir.write("empty.txt", "");
  EXPECT_EQ(checked(empty).errors, 1);

  runSetup missing = base;
  missing.nodes = dir.write("bad.txt", "1 1\n2\n");
  missing.connections = "/nonexistent/c.txt";  // not looked at: the node file failed
  r = checked(missing);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, mismatch(2, 1));
}

TEST_F(InitialCheck, ConnectionFileColumns) {
  runSetup s = base;
  s.connections = dir.write("c4.txt", "1 2 5 6\n");
  checkResult r = checked(s);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, "Error: Error in the format of the connection file. The file may not have three columns.\n");

  runSetup change = base;
  change.change = true;
  r = checked(change);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed,
            "Error: Error in the format of the connection file. The file may not have four columns as required by "
            "the link change option.\n");
  change.connections = s.connections;
  EXPECT_EQ(checked(change).errors, 0);

  runSetup missing = base;
  missing.connections = "/nonexistent/c.txt";
  r = checked(missing);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, "Error: Cannot open node file or connection file /nonexistent/c.txt\n");
}

std::string fullMessage(int lines, const std::string& expected) {
  return "Error: Error in the format of the connection file. Some of the pairs of nodes may not be listed (as "
         "required by the full option) or too many pairs may be listed. The connection file has " +
         std::to_string(lines) + " lines (pairs of nodes), instead of the full " + expected +
         " lines expected from the number of nodes in the node file.\n";
}

const char* const kTooMany = "Error: Error in the format of the connection file. Too many lines.\n";

TEST_F(InitialCheck, FullStructureNeedsEveryOrderedPair) {
  runSetup s = base;
  s.all = true;
  s.nodes = dir.write("n10.txt", nodeLines(10));
  std::string pairs = allPairs(10);

  s.connections = dir.write("c90.txt", pairs);
  auto program = makeProgram(s);
  std::string printed = printedBy([&] { EXPECT_EQ(program->initial_check(), 0); });
  EXPECT_EQ(printed, "");
  EXPECT_EQ(program->nNodesTotal, 10);

  s.connections = dir.write("c89.txt", pairs.substr(0, pairs.rfind('\n', pairs.size() - 2) + 1));
  checkResult r = checked(s);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, fullMessage(89, "90"));

  s.connections = dir.write("c91.txt", pairs + "1 2 3\n");
  r = checked(s);
  EXPECT_EQ(r.errors, 2);
  EXPECT_EQ(r.printed, fullMessage(91, "90") + kTooMany);

  // Only some pairs are required without the full structure, but never more
  // than all of them.
  s.all = false;
  EXPECT_EQ(checked(s).printed, kTooMany);
  s.connections = dir.write("c3.txt", "1 2 3\n");
  EXPECT_EQ(checked(s).errors, 0);
}

TEST_F(InitialCheck, ExpectedPairCountIsWrittenAsASinglePrecisionValue) {
  runSetup s = base;
  s.all = true;
  s.nodes = dir.write("n1005.txt", nodeLines(1005));
  checkResult r = checked(s);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.printed, fullMessage(2, "1.00902e+06"));
}

}  // namespace

}  // namespace verdalis
