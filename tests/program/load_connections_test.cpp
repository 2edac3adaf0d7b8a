// Reading the connection file: storage in the three matrices, the stopping
// checks, the range checks, unknown nodes, and a full file of many nodes.
#include <limits>
#include <string>

#include "load_fixture.h"

namespace verdalis {

namespace {

const float kNoLink = std::numeric_limits<float>::max();
const std::string kStop = "\nNo more lines will be read from this file. RESULTS WILL BE INVALID.";
const std::string kFix =
    "\nPlease cancel and discard the processing and correct the format of the connection file.\n";
const std::string kGoesOn =
    "\nProcessing will continue, but the RESULTS WILL almost surely BE INVALID because of that error in the input "
    "data.";
const std::string kReplacement = "\xEF\xBF\xBD";

struct connectionLoad {
  std::unique_ptr<quivaraProgram<double>> program;
  int problems = -1;
  std::string printed;
};

// Loads both files as a run does and keeps what the connection reader said.
connectionLoad loadBoth(const scratchDir& dir, const std::string& nodes, const std::string& connections,
                        runSetup setup = runSetup{}) {
  setup.nodes = dir.write("nodes.txt", nodes);
  setup.connections = dir.write("con.txt", connections);
  connectionLoad load;
  load.program = makeProgram(setup);
  std::string before = printedBy([&] {
    EXPECT_EQ(load.program->initial_check(), 0);
    load.program->create_arrays();
    load.program->initialize_arrays_nodes();
  });
  EXPECT_EQ(before, "");
  load.printed = printedBy([&] { load.problems = load.program->initialize_arrays_connections(); });
  return load;
}

const std::string kFiveNodes = "1 1\n2 1\n3 1\n7 1\n9 1\n";

TEST(ConnectionFile, StoresEachDirectionOnItsOwn) {
  scratchDir dir;
  connectionLoad l = loadBoth(dir, kFiveNodes, "1\t2  5\r\n\r\n2 1 6\n3 7 1.5\n3 7 2.5");
  EXPECT_EQ(l.printed, "");
  EXPECT_EQ(l.problems, 0);
  const auto& c = l.program->connections;
  EXPECT_EQ(c(0, 1), 5);
  EXPECT_EQ(c(1, 0), 6);
  EXPECT_EQ(c(2, 3), 2.5f);  // a later line overwrites, the last line needs no line end
  EXPECT_EQ(c(3, 2), kNoLink);
  EXPECT_EQ(c(4, 0), kNoLink);
  EXPECT_EQ(c(0, 0), kNoLink);
}

TEST(ConnectionFile, NoLinkValueDependsOnTheKindOfInput) {
  scratchDir dir;
  runSetup prob;
  prob.dist = false;
  prob.prob = true;
  prob.adjacentTail = 0.5f;
  connectionLoad p = loadBoth(dir, kFiveNodes, "1 2 0.25\n", prob);
  EXPECT_EQ(p.program->connections(0, 1), 0.25f);
  EXPECT_EQ(p.program->connections(1, 0), 0);

  runSetup change;
  change.change = true;
  connectionLoad d = loadBoth(dir, kFiveNodes, "1 2 5 8\n", change);
  EXPECT_EQ(d.program->connectionsDiff(0, 1), 8);
  EXPECT_EQ(d.program->connectionsDiff(1, 0), 8);
  EXPECT_EQ(d.program->connectionsDiff(2, 1), kNoLink);
  EXPECT_EQ(d.program->connections(1, 0), kNoLink);
}

TEST(ConnectionFile, CandidateLinksInEitherOrder) {
  scratchDir dir;
  runSetup add;
  add.add = true;
  add.change = true;
  connectionLoad l = loadBoth(dir, "1 1 1\n8 1 0\n2 1 1\n9 1 0\n", "8 1 4 40\n2 8 7 70\n8 9 1 1\n9 2 3 30\n", add);
  EXPECT_EQ(l.printed, "");
  const auto& a = l.program->connectionsAdd;
  EXPECT_EQ(a(0, 0), 4);  // candidate 8 with existing 1
  EXPECT_EQ(a(0, 1), 7);  // existing 2 with candidate 8
  EXPECT_EQ(a(1, 1), 3);
  EXPECT_EQ(a(1, 0), kNoLink);
  // The changed value is not used for candidates.
  EXPECT_EQ(l.program->connectionsDiff(0, 1), kNoLink);
}

TEST(ConnectionFile, UnknownNodeIsReportedAndTheLineDropped) {
  scratchDir dir;
  connectionLoad l = loadBoth(dir, kFiveNodes, "1 2 5\n1 77 3\n55 66 4\n2 1 6\n");
  EXPECT_EQ(l.printed,
            "Error: Error: Error in the format of the connection file. \nNodes with IDs 1 and 77 are found in line 2 "
            "of the connection file, but at least one of them may not be listed in the node file. \nPlease check "
            "that the node file ends with a blank line. \nProcessing will continue without using the connection "
            "information for those two nodes, but the RESULTS will probably BE INVALID because of that error in "
            "the input data.\nPlease cancel and discard the processing and correct the format of the input "
            "files.\n\n");
  EXPECT_EQ(l.problems, 1);
  EXPECT_EQ(l.program->connections(1, 0), 6);  // reading went on
}

TEST(ConnectionFile, LinksOfTheLastNodeLineWithoutLineEndAreKept) {
  scratchDir dir;
  connectionLoad l = loadBoth(dir, "1 1\n2 1\n3 1", "1 3 5\n3 2 4\n");
  EXPECT_EQ(l.printed, "");
  EXPECT_EQ(l.program->connections(0, 2), 5);
  EXPECT_EQ(l.program->connections(2, 1), 4);
}

TEST(ConnectionFile, IdentifiersBeyondSinglePrecisionStayDistinct) {
  scratchDir dir;
  connectionLoad l = loadBoth(dir, "16777216 1\n16777217 1\n16777218 1\n", "16777217 16777218 5\n16777216 16777217 3\n");
  EXPECT_EQ(l.printed, "");
  EXPECT_EQ(l.program->connections(1, 2), 5);
  EXPECT_EQ(l.program->connections(0, 1), 3);
  EXPECT_EQ(l.program->connections(0, 2), kNoLink);
}

const std::string kValueColumn = " of the connection file (third column). \nPlease correct.";

std::string stopMessage(const std::string& opening, int line, const std::string& column) {
  return "Error: " + opening + std::to_string(line) + column + kStop + kFix;
}

TEST(ConnectionFile, StoppingChecksEndTheReading) {
  scratchDir dir;
  runSetup change;
  change.change = true;
  const std::string numerical = "A non-numerical node ID value has been found in line ";
  const std::string integer = "A non-integer node ID value has been found in line ";
  const std::string value = "A non-numerical value has been found in line ";
  const std::string first = " of the connection file (first column).";
  const std::string second = " of the connection file (second column).";
  struct stopCase {
    std::string badLine;
    std::string expected;
  };
  const stopCase cases[] = {
      {"x 2 3 3", stopMessage(numerical, 2, first)},
      {"1.5 2 3 3", stopMessage(integer, 2, first)},
      {"3e10 2 3 3", stopMessage(integer, 2, first)},
      {"1 y 3 3", stopMessage(numerical, 2, second)},
      {"1 2.5 3 3", stopMessage(integer, 2, second)},
      {"1 2 z 3", stopMessage(value, 2, kValueColumn)},
      {"1 2 3 w", stopMessage(value, 2, kValueColumn)},  // the fourth column has the third's text
  };
  for (const stopCase& c : cases) {
    connectionLoad l = loadBoth(dir, kFiveNodes, "1 3 5 5\n" + c.badLine + "\n2 1 6 6\n", change);
    EXPECT_EQ(l.printed, c.expected) << c.badLine;
    EXPECT_EQ(l.problems, 1);
    EXPECT_EQ(l.program->connections(0, 2), 5);
    EXPECT_EQ(l.program->connections(0, 1), kNoLink) << c.badLine;
    EXPECT_EQ(l.program->connections(1, 0), kNoLink) << c.badLine;
  }
}

std::string rangeMessage(const std::string& opening, const std::string& ids, const std::string& column,
                         const std::string& advice) {
  return "Error: Error: " + opening + ids + " has been found in the " + column + " column of the connection file. " +
         advice + kGoesOn + kFix + "\n";
}

TEST(ConnectionFile, ValuesOutOfRangeAreReportedAndKept) {
  scratchDir dir;
  runSetup change;
  change.change = true;
  const std::string negative = "A negative distance value for the nodes with IDs ";
  connectionLoad d = loadBoth(dir, kFiveNodes, "3 7 -1 2\n7 3 2 -4\n1 2 1 1\n", change);
  EXPECT_EQ(d.printed, rangeMessage(negative, "3 and 7", "third", "\nPlease correct.") +
                           rangeMessage(negative, "7 and 3", "four", "\nPlease correct."));
  EXPECT_EQ(d.problems, 2);
  EXPECT_EQ(d.program->connections(2, 3), -1);
  EXPECT_EQ(d.program->connectionsDiff(2, 3), -4);  // the later line of the pair set both directions
  EXPECT_EQ(d.program->connections(0, 1), 1);

  runSetup prob = change;
  prob.dist = false;
  prob.prob = true;
  prob.adjacentTail = 0.5f;
  connectionLoad p = loadBoth(dir, kFiveNodes, "1 2 1.5 0\n2 1 1 -0.1\n1 3 0 1\n", prob);
  const std::string probAdvice = "\nPlease correct or check if " + kReplacement + "Distances" + kReplacement +
                                 " may be the appropriate type of connection for your connection file.";
  const std::string probOpening = "A probability value smaller than 0 or bigger than 1 for the nodes with IDs ";
  EXPECT_EQ(p.printed, rangeMessage(probOpening, "1 and 2", "third", probAdvice) +
                           rangeMessage(probOpening, "2 and 1", "four", probAdvice));
  EXPECT_EQ(p.program->connections(0, 1), 1.5f);

  runSetup binary;
  binary.dist = false;
  binary.adj = true;
  connectionLoad b = loadBoth(dir, "16777217 1\n2 1\n", "16777217 2 0.5\n2 16777217 1\n", binary);
  const std::string binaryAdvice = "\nPlease correct or check if " + kReplacement + "Distances" + kReplacement +
                                   " or " + kReplacement + "Probabilities" + kReplacement +
                                   " may be the appropriate type of connection for your connection file.";
  // Identifiers are written as single-precision values in this message.
  EXPECT_EQ(b.printed, rangeMessage("A link value different from 0 or 1 for the nodes with IDs ",
                                    "1.67772e+07 and 2", "third", binaryAdvice));
  EXPECT_EQ(b.problems, 1);
  EXPECT_EQ(b.program->connections(0, 1), 0.5f);
}

TEST(ConnectionFile, RangeIsCheckedOnTheLineWhoseReadingStopped) {
  scratchDir dir;
  runSetup change;
  change.change = true;
  connectionLoad l = loadBoth(dir, kFiveNodes, "1 2 -1 x\n2 1 4 4\n", change);
  EXPECT_EQ(l.printed, stopMessage("A non-numerical value has been found in line ", 1, kValueColumn) +
                           rangeMessage("A negative distance value for the nodes with IDs ", "1 and 2", "third",
                                        "\nPlease correct."));
  EXPECT_EQ(l.problems, 2);
  EXPECT_EQ(l.program->connections(0, 1), kNoLink);
  EXPECT_EQ(l.program->connections(1, 0), kNoLink);
}

TEST(ConnectionFile, FullFileOfManyNodesMapsEveryPair) {
  scratchDir dir;
  const int n = 300;
  std::string connections;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      if (i != j) connections += std::to_string(i * 1000) + " " + std::to_string(j * 1000) + " " +
                                 std::to_string(i * n + j) + "\n";
  std::string nodes;
  for (int i = 1; i <= n; ++i) nodes += std::to_string(i * 1000) + " 1\n";
  runSetup all;
  all.all = true;
  connectionLoad l = loadBoth(dir, nodes, connections, all);
  EXPECT_EQ(l.printed, "");
  EXPECT_EQ(l.problems, 0);
  int wrong = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (i != j && l.program->connections(i, j) != static_cast<float>((i + 1) * n + j + 1)) ++wrong;
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(l.program->connections(7, 7), kNoLink);
}

}  // namespace

}  // namespace verdalis
