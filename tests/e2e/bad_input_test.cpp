// The built program on input files that users get wrong: missing, empty,
// binary, oddly encoded, with out-of-range numbers or far too many nodes.
// Every case must end with a clear message and the expected exit status,
// never with a crash. docs/bad-input.md lists the same cases.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/under_sanitizer.h"

namespace verdalis {

namespace {

namespace fs = std::filesystem;

// A file of the case; kFolder as content makes a folder of that name.
struct inputFile {
  std::string name;
  std::string content;
  bool unreadable = false;
};

const char* const kFolder = "<folder>";

struct badInput {
  std::string name;
  std::vector<inputFile> files;
  std::string arguments;
  int status = 0;
  std::vector<std::string> said;      // texts the console must contain
  std::vector<std::string> notSaid;   // texts it must not contain
  std::string resultFile;             // a result file to look into, if any
  std::vector<std::string> holds;     // texts that file must contain
  bool needsSmallMemory = false;      // runs under an address-space limit
};

std::ostream& operator<<(std::ostream& out, const badInput& c) { return out << c.name; }

const std::string kNodes = "1\t10\n2\t20\n3\t30\n";
// The binary link of a pair comes from the line that names the later node
// first: 2 and 1 are joined, 3 and 2 are not (200 is above the threshold).
const std::string kLinks = "2\t1\t100\n3\t2\t200\n";
const std::string kNC = " -NC -confAdj 150 -prefix r";
const std::string kStopNode = "\nNo more lines will be read from this file. RESULTS WILL BE INVALID.";

// The node importances of that landscape with NC at 150: components {1, 2}
// and {3}; only removing node 3 lowers NC.
const std::vector<std::string> kThreeNodeRows = {"Node\tdNC\tvarNC\t\n1\t0\t0\t\n2\t0\t0\t\n3\t50\t1\t\n"};

inputFile nodes(const std::string& content) { return {"n.txt", content, false}; }
inputFile links(const std::string& content) { return {"c.txt", content, false}; }

std::string garbage() {
  // A fixed pseudo-random sequence, so that every run sees the same bytes.
  std::string bytes;
  std::uint32_t state = 12345;
  for (int k = 0; k < 4000; ++k) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(state >> 24));
  }
  return bytes;
}

std::string manyNodes(int count) {
  std::string text;
  text.reserve(static_cast<std::size_t>(count) * 10);
  for (int id = 1; id <= count; ++id) text += std::to_string(id) + "\t1\n";
  return text;
}

std::string nodeLineOne(const std::string& id, const std::string& attribute) {
  return id + "\t" + attribute + "\n2\t20\n3\t30\n";
}

std::vector<badInput> cases() {
  std::vector<badInput> all;
  auto add = [&all](std::string name, std::vector<inputFile> files, std::string arguments, int status,
                    std::vector<std::string> said, std::vector<std::string> notSaid = {},
                    std::string resultFile = "", std::vector<std::string> holds = {},
                    bool needsSmallMemory = false) {
    badInput c;
    c.name = std::move(name);
    c.files = std::move(files);
    c.arguments = std::move(arguments);
    c.status = status;
    c.said = std::move(said);
    c.notSaid = std::move(notSaid);
    c.resultFile = std::move(resultFile);
    c.holds = std::move(holds);
    c.needsSmallMemory = needsSmallMemory;
    all.push_back(std::move(c));
  };

  // ---- files that cannot be read ----
  add("MissingNodeFile", {links(kLinks)}, "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Error: Cannot open node file or connection file n.txt\n"}, {"Number of nodes"});
  add("MissingConnectionFile", {nodes(kNodes)}, "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Error: Cannot open node file or connection file c.txt\n"}, {"Number of nodes"});
  add("FolderAsNodeFile", {{"n.txt", kFolder, false}, links(kLinks)}, "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Error: Cannot open node file or connection file n.txt\n"});
  add("FolderAsConnectionFile", {nodes(kNodes), {"c.txt", kFolder, false}}, "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Error: Cannot open node file or connection file c.txt\n"});
  add("UnreadableNodeFile", {{"n.txt", kNodes, true}, links(kLinks)}, "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Error: Cannot open node file or connection file n.txt\n"});
  add("NoFileNamesAtAll", {}, "-NC -confAdj 150", 2, {"Error: Cannot open node file or connection file \n"});

  // ---- empty files and binary content ----
  add("EmptyNodeFile", {nodes(""), links(kLinks)}, "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Error: Node file must have 2 columns (unless there are nodes to add, which was not selected).\n",
        "Found: n.txt is empty.\n"});
  add("EmptyConnectionFile", {nodes(kNodes), links("")}, "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Error: Error in the format of the connection file. The file may not have three columns.\n"});
  add("BlankLinesOnly", {nodes("\n\n \t\n"), links(kLinks)}, "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Error: Node file must have 2 columns"});
  add("BinaryGarbageNodeFile", {nodes(garbage()), links(kLinks)}, "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Error: Not all the lines within the node or connection file have the same number of columns."});
  add("BinaryGarbageConnectionFile", {nodes(kNodes), links(garbage())}, "-nodeFile n.txt -conFile c.txt" + kNC,
       2, {"Error: Not all the lines within the node or connection file have the same number of columns."});
  add("NulSeparatesColumns", {nodes(std::string("1\t10\n2\0\t20\n3\t30\n", 15)), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Number of nodes to process: 3\n"}, {"Error"},
       "r_node_importances.txt", kThreeNodeRows);
  add("NulInsideANumber", {nodes(std::string("1\t10\n2\0" "5\t20\n3\t30\n", 16)), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Line 2 in the node or connection file has 3 columns, which is different from previous line(s)",
        "Found: 3 columns in line 2 of n.txt, which starts \"2\\x005\\t20\" (its first line has 2); columns are "
        "separated by blanks or tabs.\n"});

  // ---- encodings and line ends ----
  add("ByteOrderMarkInNodeFile", {nodes("\xEF\xBB\xBF" + kNodes), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Sum of the attributes of existing nodes: 60\n"}, {"Error"},
       "r_node_importances.txt", kThreeNodeRows);
  add("ByteOrderMarkInConnectionFile", {nodes(kNodes), links("\xEF\xBB\xBF" + kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Number of nodes to process: 3\n"}, {"Error"},
       "r_node_importances.txt", kThreeNodeRows);
  add("ByteOrderMarkInsideTheFile", {nodes("1\t10\n\xEF\xBB\xBF" "2\t20\n3\t30\n"), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 3,
       {"A non-numerical node ID value has been found in line 2 of the node file (first column)." + kStopNode});
  add("WindowsLineEnds", {nodes("1\t10\r\n2\t20\r\n3\t30\r\n"), links("2\t1\t100\r\n3\t2\t200\r\n")},
       "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Sum of the attributes of existing nodes: 60\n"}, {"Error"},
       "r_node_importances.txt", kThreeNodeRows);
  add("OldMacLineEnds", {nodes("1\t10\r2\t20\r3\t30\r"), links("2\t1\t100\r3\t2\t200\r")},
       "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Sum of the attributes of existing nodes: 60\n"}, {"Error"},
       "r_node_importances.txt", kThreeNodeRows);
  add("TenMegabyteLine", {nodes("1\t" + std::string(10 << 20, '7') + "\n"), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 2,
       {"Line 2 in the node or connection file has 1 columns", "Line 105917 in the node or connection file"},
       {"Number of nodes"});

  // ---- numbers ----
  add("IdentifierOverflowsToInfinity", {nodes(nodeLineOne("1e999", "10")), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 3,
       {"Error: A non-numerical node ID value has been found in line 1 of the node file (first column)." +
        kStopNode});
  add("IdentifierNan", {nodes(nodeLineOne("nan", "10")), links(kLinks)}, "-nodeFile n.txt -conFile c.txt" + kNC,
       3, {"A non-numerical node ID value has been found in line 1 of the node file (first column)."});
  add("IdentifierHexadecimal", {nodes(nodeLineOne("0x1A", "10")), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 3,
       {"A non-numerical node ID value has been found in line 1 of the node file (first column).",
        "Found: \"0x1A\" in line 1, column 1 of n.txt; a number is written with digits and a decimal point (12.5), "
        "without units, letters or a decimal comma.\n"});
  add("IdentifierBeyond32Bits", {nodes(nodeLineOne("4294967296", "10")), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 3,
       {"Error: A non-integer node ID value has been found in line 1 of the node file (first column)." +
        kStopNode});
  add("IdentifierBelow32Bits", {nodes(nodeLineOne("-2147483649", "10")), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 3,
       {"A non-integer node ID value has been found in line 1 of the node file (first column)."});
  add("IdentifierAtThe32BitLimit", {nodes(nodeLineOne("2147483647", "10")), links("2\t2147483647\t100\n")},
       "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Processing importance of node with ID 2147483647\n"},
       {"Error"}, "r_node_importances.txt", {"2147483647\t0\t0\t\n"});
  add("IdentifierMinusZero", {nodes(nodeLineOne("-0", "10")), links("2\t0\t100\n3\t2\t200\n")},
       "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Processing importance of node with ID 0\n"}, {"Error"},
       "r_node_importances.txt", {"0\t0\t0\t\n2\t0\t0\t\n3\t50\t1\t\n"});
  add("AttributeInfinity", {nodes(nodeLineOne("1", "inf")), links(kLinks)}, "-nodeFile n.txt -conFile c.txt" + kNC,
       3, {"A non-numerical node attribute value has been found in line 1 of the node file (second column)."});
  add("AttributeBeyondSinglePrecision", {nodes(nodeLineOne("1", "1e39")), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt" + kNC, 3,
       {"A non-numerical node attribute value has been found in line 1 of the node file (second column)."});
  add("AttributeNegative", {nodes(nodeLineOne("1", "-10")), links(kLinks)}, "-nodeFile n.txt -conFile c.txt" + kNC,
       3,
       {"A negative node attribute value has been found in line 1 of the node file (second column). \nPlease "
        "correct.\nProcessing will continue"});
  add("DistanceOverflowsToInfinity", {nodes(kNodes), links("1\t2\t1e999\n")}, "-nodeFile n.txt -conFile c.txt" + kNC,
       3,
       {"Error: A non-numerical value has been found in line 1 of the connection file (third column). \nPlease "
        "correct." +
        kStopNode});
  add("DistanceNan", {nodes(kNodes), links("1\t2\tnan\n")}, "-nodeFile n.txt -conFile c.txt" + kNC, 3,
       {"A non-numerical value has been found in line 1 of the connection file (third column)."});
  add("DistanceMinusZero", {nodes(kNodes), links("2\t1\t-0\n3\t2\t200\n")}, "-nodeFile n.txt -conFile c.txt" + kNC,
       0, {"Number of nodes to process: 3\n"}, {"Error"}, "r_node_importances.txt", kThreeNodeRows);
  add("ProbabilityAboveOne", {nodes(kNodes), links("1\t2\t1.5\n")},
       "-nodeFile n.txt -conFile c.txt -t prob -NC -confAdj 0.5 -prefix r", 3,
       {"Error: Error: A probability value smaller than 0 or bigger than 1 for the nodes with IDs 1 and 2 has "
        "been found in the third column of the connection file."});

  // ---- identifiers that do not match ----
  add("DuplicateIdentifiers", {nodes("1\t10\n1\t20\n2\t30\n"), links("2\t1\t100\n")},
       "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Number of nodes to process: 3\n"}, {"Error"},
       "r_node_importances.txt", {"1\t0\t0\t\n1\t50\t1\t\n2\t0\t0\t\n"});
  // The same run tells the user which identifier repeats.
  all.back().said.push_back("Warning: 1 node line repeats an identifier of an earlier line in n.txt (first: 1 again "
                            "in line 2); every connection of it goes to its first line");
  add("ConnectionNamesUnknownNode", {nodes(kNodes), links("2\t1\t100\n7\t3\t200\n")},
       "-nodeFile n.txt -conFile c.txt" + kNC, 3,
       {"Error: Error: Error in the format of the connection file. \nNodes with IDs 7 and 3 are found in line 2 of "
        "the connection file, but at least one of them may not be listed in the node file."});
  add("LastNodeLineWithoutLineEnd", {nodes("1\t10\n2\t20\n3\t30"), links(kLinks)},
      "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Number of nodes to process: 3\n"}, {"Error"},
      "r_node_importances.txt", kThreeNodeRows);
  add("FullStructureWithMissingPairs", {nodes(kNodes), links(kLinks)},
       "-nodeFile n.txt -conFile c.txt -t dist all" + kNC, 2,
       {"The connection file has 2 lines (pairs of nodes), instead of the full 6 lines expected"});

  // ---- sizes beyond memory ----
  add("HundredThousandNodes", {nodes(manyNodes(100000)), links("1\t2\t100\n2\t3\t100\n5\t9\t100\n")},
       "-nodeFile n.txt -conFile c.txt -dense" + kNC, 2, {"error23"}, {"Execution ended at"}, "", {}, true);
  add("HundredThousandNodesByNeighbour", {nodes(manyNodes(100000)), links("1\t2\t100\n2\t3\t100\n5\t9\t100\n")},
      "-nodeFile n.txt -conFile c.txt" + kNC, 0, {"Execution ended at"}, {"error23"});
  add("MillionNodeLines", {nodes(manyNodes(1000000)), links("1\t2\t100\n")}, "-nodeFile n.txt -conFile c.txt -dense" + kNC,
       2, {"error23"}, {"Execution ended at"});

  // ---- numbers on the command line ----
  add("ThresholdNan", {nodes(kNodes), links(kLinks)}, "-nodeFile n.txt -conFile c.txt -NC -confAdj nan", 1,
       {"\nArgument 'nan' could not be a number\n", "\nError\n"});
  add("ProbabilityNan", {nodes(kNodes), links(kLinks)}, "-nodeFile n.txt -conFile c.txt -PC -confProb 100 NaN", 1,
       {"\nArgument 'NaN' could not be a number\n"});
  add("HexadecimalThreshold", {nodes(kNodes), links(kLinks)},
      "-nodeFile n.txt -conFile c.txt -NC -confAdj 0x96 -prefix r", 1,
      {"\nArgument '0x96' could not be a number\n", "\nError\n"});
  add("ThresholdWithAUnit", {nodes(kNodes), links(kLinks)}, "-nodeFile n.txt -conFile c.txt -NC -confAdj 1km", 1,
      {"\nArgument '1km' could not be a number\n\n -confAdj not defined\n\nError\n"});
  add("ProbabilityWithADecimalComma", {nodes(kNodes), links(kLinks)},
      "-nodeFile n.txt -conFile c.txt -PC -confProb 1000 0,5", 1,
      {"\nArgument '0,5' could not be a number\n\n -confProb not defined\n\nError\n"});
  return all;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

#ifdef VERDALIS_UNDER_ASAN
// Total memory and swap of the machine, in bytes.
double machineMemory() {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return 0;
  return (static_cast<double>(info.totalram) + static_cast<double>(info.totalswap)) * info.mem_unit;
}
#endif

class BadInput : public testing::TestWithParam<badInput> {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "verdalis_bad_input_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    directory = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(directory, ignored))
      chmod(entry.path().c_str(), 0700);
    fs::remove_all(directory, ignored);
  }

  int run(const std::string& arguments, const std::string& shellPrefix) {
    const std::string command = "cd '" + directory + "' && " + shellPrefix + "'" VERDALIS_BINARY "' " + arguments +
                                " > console.out 2>&1";
    const int status = std::system(command.c_str());
    console = readFile(directory + "/console.out");
    fs::remove(directory + "/console.out");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  }

  std::string directory;
  std::string console;
};

TEST_P(BadInput, EndsWithItsMessageAndStatus) {
  const badInput& c = GetParam();
  std::string shellPrefix;
  if (c.needsSmallMemory) {
#ifdef VERDALIS_UNDER_ASAN
    // The address sanitizer cannot run under an address-space limit; the
    // machine's own memory is the limit then.
    if (machineMemory() > 40e9) GTEST_SKIP() << "this machine could hold the matrices";
#else
    shellPrefix = "ulimit -v 4000000 && ";
#endif
  }
  for (const inputFile& file : c.files) {
    const std::string path = directory + "/" + file.name;
    if (file.content == kFolder) {
      fs::create_directory(path);
      continue;
    }
    std::ofstream(path, std::ios::binary) << file.content;
    if (file.unreadable) {
      if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root from reading";
      chmod(path.c_str(), 0);
    }
  }
  EXPECT_EQ(run(c.arguments, shellPrefix), c.status) << console.substr(0, 2000);
  for (const std::string& text : c.said) EXPECT_NE(console.find(text), std::string::npos) << text << "\n---\n" << console.substr(0, 2000);
  for (const std::string& text : c.notSaid) EXPECT_EQ(console.find(text), std::string::npos) << text << "\n---\n" << console.substr(0, 2000);
  if (!c.resultFile.empty()) {
    const std::string result = readFile(directory + "/" + c.resultFile);
    for (const std::string& text : c.holds) EXPECT_NE(result.find(text), std::string::npos) << text << "\n---\n" << result;
  }
  // No run leaves a temporary result file behind.
  for (const auto& entry : fs::directory_iterator(directory))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInput, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<badInput>& info) { return info.param.name; });

}  // namespace

}  // namespace verdalis
