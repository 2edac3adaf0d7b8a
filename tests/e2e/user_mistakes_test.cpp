// The built program on the mistakes a new user makes: a header row, a
// decimal comma, a semicolon CSV, pairs listed one way, repeated identifiers,
// no index, no landscape area. Standard output keeps the run log; what the
// program adds for the user (warnings, what was found, the closing summary)
// is on standard error and compared here whole.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace verdalis {

namespace {

namespace fs = std::filesystem;

const char* const kNodes = "1\t10\n2\t20\n3\t30\n";
const char* const kBothWays = "1\t2\t100\n2\t1\t100\n2\t3\t200\n3\t2\t200\n";
const char* const kIIC = " -IIC -confAdj 150 -landArea 60 -prefix r";
const char* const kSummariesSkipped =
    "Summary: nothing was appended to the summary files, since the input had invalid values (-appendInvalid "
    "appends all the same).\n";
const char* const kNotANumber =
    "; a number is written with digits and a decimal point (12.5), without units, letters or a decimal comma.";

class UserMistakes : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "verdalis_mistakes_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    write("n.txt", kNodes);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  void write(const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
  }
  std::string file(const std::string& name) const {
    std::ifstream in(folder / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool exists(const std::string& name) const { return fs::exists(folder / name); }

  int run(const std::string& arguments) {
    const std::string command = "cd '" + folder.string() + "' && '" VERDALIS_BINARY "' " + arguments +
                                " > console.out 2> errors.out";
    const int status = std::system(command.c_str());
    console = file("console.out");
    errors = file("errors.out");
    fs::remove(folder / "console.out");
    fs::remove(folder / "errors.out");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path folder;
  std::string console;
  std::string errors;
};

TEST_F(UserMistakes, HeaderRowEndsWithStatus3AndLeavesTheSummaryFilesAlone) {
  write("c.txt", std::string("from\tto\tdistance\n") + kBothWays);
  EXPECT_EQ(run(std::string("-nodeFile n.txt -conFile c.txt") + kIIC), 3);
  EXPECT_NE(console.find("Error: A non-numerical node ID value has been found in line 1 of the connection file "
                         "(first column).\nNo more lines will be read from this file. RESULTS WILL BE INVALID."),
            std::string::npos)
      << console;
  // Nothing was linked: IIC is the sum of the squared attributes over 60².
  EXPECT_EQ(errors, std::string("Found: \"from\" in line 1, column 1 of c.txt") + kNotANumber +
                        " A header row is not read: remove it.\n"
                        "Summary: 2 result files written: overall_indices.txt, r_node_importances.txt\n"
                        "Summary: 0 warnings, 1 reading problem\n"
                        "Summary: IICnum 1400, EC(IIC) 37.4166, IIC 0.388889\n" +
                        kSummariesSkipped +
                        "RESULTS WILL BE INVALID: 1 problem in the input files of this run; see its messages.\n");
  EXPECT_FALSE(exists("results_all_overall_indices.txt"));
  EXPECT_FALSE(exists("node_importances_sum_IIC.txt"));

  EXPECT_EQ(run(std::string("-nodeFile n.txt -conFile c.txt -appendInvalid") + kIIC), 3);
  EXPECT_EQ(file("results_all_overall_indices.txt"), "r\t150\tIICnum\t1400\nr\t150\tEC(IIC)\t37.4166\nr\t150\tIIC\t0.388889\n");
  EXPECT_EQ(file("node_importances_sum_IIC.txt").find("Prefix\tDistance\tSum_dIIC"), 0u);
}

TEST_F(UserMistakes, DecimalCommaAndSemicolonsSayWhatWasFound) {
  write("c.txt", kBothWays);
  write("comma.txt", "1\t10\n2\t12,5\n3\t30\n");
  EXPECT_EQ(run(std::string("-nodeFile comma.txt -conFile c.txt") + kIIC), 3);
  EXPECT_EQ(errors.substr(0, errors.find('\n') + 1),
            std::string("Found: \"12,5\" in line 2, column 2 of comma.txt") + kNotANumber + "\n");
  EXPECT_EQ(errors.substr(errors.rfind("RESULTS")),
            "RESULTS WILL BE INVALID: 3 problems in the input files of this run; see its messages.\n");

  write("semicolon.txt", "id;area\n1;10\n2;20\n3;30\n");
  EXPECT_EQ(run(std::string("-nodeFile semicolon.txt -conFile c.txt") + kIIC), 2);
  EXPECT_NE(console.find("Error: Node file must have 2 columns (unless there are nodes to add, which was not "
                         "selected).\n"),
            std::string::npos);
  EXPECT_EQ(errors,
            "Found: 1 column in line 1 of semicolon.txt, which starts \"id;area\", where 2 are needed: identifier "
            "and attribute (a third column needs -add); columns are separated by blanks or tabs. A semicolon does "
            "not separate columns: save the table as tab-delimited text.\n"
            "Summary: no result file written: the run stopped at the checks of its settings or input files.\n");
  write("comma.csv", "1,10\n2,20\n3,30\n");
  EXPECT_EQ(run(std::string("-nodeFile comma.csv -conFile c.txt") + kIIC), 2);
  EXPECT_EQ(errors.substr(0, errors.find('\n') + 1),
            "Found: 1 column in line 1 of comma.csv, which starts \"1,10\", where 2 are needed: identifier and "
            "attribute (a third column needs -add); columns are separated by blanks or tabs. A comma does not "
            "separate columns, nor does it mark decimals: save the table as tab-delimited text with decimal "
            "points.\n");
}

TEST_F(UserMistakes, PairsListedOneWayAreToldAndSymmetricReadsThemBothWays) {
  // 1-2 one way only; 2-3 both ways with their own values.
  write("c.txt", "1\t2\t0.5\n2\t3\t0.4\n3\t2\t0.3\n");
  write("both.txt", "1\t2\t0.5\n2\t1\t0.5\n2\t3\t0.4\n3\t2\t0.3\n");
  const std::string pc = " -t prob -PC -wprobdir -landArea 60 -prefix r";
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt" + pc), 0);
  EXPECT_EQ(errors.substr(0, errors.find('\n') + 1),
            "Warning: 1 pair of nodes listed in one direction only in c.txt (first: 1 to 2); the other direction is "
            "read as no link, so the results depend on which direction and node order were listed. List both "
            "directions, or add -symmetric to read such pairs both ways.\n");
  EXPECT_EQ(file("r_direct_probabilities.txt"), "1\t2\t0.5\n1\t3\t0\n2\t1\t0\n2\t3\t0.4\n3\t1\t0\n3\t2\t0.3\n");

  // The second run under the same prefix and thresholds is told that the
  // summary files now hold two lines that cannot be told apart.
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -symmetric" + pc), 0);
  EXPECT_EQ(errors.substr(0, errors.find('\n') + 1),
            "Warning: results_all_overall_indices.txt, results_all_EC(PC).txt and node_importances_sum_PC.txt "
            "already held lines of a run with the prefix r and these thresholds; a second one was appended. Give "
            "each run its own -prefix to tell them apart.\n")
      << errors;
  EXPECT_EQ(file("results_all_EC(PC).txt"), "Prefix\tDistance\tProbability\tEC(PC)\t\nr\t0\t0\t44.4972\t\n"
                                             "r\t0\t0\t46.0977\t\n");
  EXPECT_EQ(file("r_direct_probabilities.txt"), "1\t2\t0.5\n1\t3\t0\n2\t1\t0.5\n2\t3\t0.4\n3\t1\t0\n3\t2\t0.3\n");
  const std::string symmetric = file("overall_indices.txt");
  EXPECT_EQ(run("-nodeFile n.txt -conFile both.txt" + pc), 0);
  EXPECT_EQ(file("overall_indices.txt"), symmetric);
}

TEST_F(UserMistakes, RunsThatComputeLessThanTheUserThinksAreWarned) {
  write("c.txt", kBothWays);
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt"), 0);
  EXPECT_EQ(errors,
            "Warning: no index selected (such as -IIC, -PC or -NC): the result files hold no index values. "
            "verdalis --help lists them.\n"
            "Summary: 2 result files written: overall_indices.txt, node_importances.txt\n"
            "Summary: 1 warning, 0 reading problems\n"
            "Summary: no overall index selected\n");
  EXPECT_EQ(file("overall_indices.txt"), "");

  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -IIC -PC -confAdj 150 -confProb 100 0.5 onlyoverall"), 0);
  EXPECT_EQ(errors.substr(0, errors.find('\n') + 1),
            "Warning: IIC and PC without -landArea: only the numerators (IICnum and PCnum) are written, not the "
            "indices themselves. Give -landArea with the study area, in the units of the node attributes.\n");

  write("repeated.txt", "1\t10\n2\t20\n\n2\t5\n3\t30\n");
  EXPECT_EQ(run("-nodeFile repeated.txt -conFile c.txt -NC -confAdj 150"), 0);
  EXPECT_EQ(errors.substr(0, errors.find('\n') + 1),
            "Warning: 1 node line repeats an identifier of an earlier line in repeated.txt (first: 2 again in line "
            "4); every connection of it goes to its first line, yet the tables have a row per line.\n");
}

TEST_F(UserMistakes, SeveralRunsEndWithTheWorstStatusAndEachSaysItsSummary) {
  write("n_a.txt", kNodes);
  write("c_a.txt", kBothWays);
  write("n_b.txt", "1\t10\n2\t-20\n3\t30\n");
  write("c_b.txt", kBothWays);
  EXPECT_EQ(run(std::string("-nodeFile n_ -conFile c_ -* -noout") + kIIC), 3);
  EXPECT_EQ(console, "\nNumber of file pairs: 2\n");
  // The run on a negative attribute adds nothing to the file of all runs.
  EXPECT_EQ(file("results_all_overall_indices.txt").find("ra.txt\t"), 0u);
  EXPECT_EQ(file("results_all_overall_indices.txt").find("rb.txt"), std::string::npos);
  EXPECT_EQ(errors,
            "Summary: 5 result files written: overall_indices.txt, results_all_overall_indices.txt, "
            "results_all_EC(IIC).txt, ra.txt_node_importances.txt, node_importances_sum_IIC.txt\n"
            "Summary: 0 warnings, 0 reading problems\n"
            "Summary: IICnum 1600, EC(IIC) 40, IIC 0.444444\n"
            "Error: n_b.txt has negative attributes (second column): an attribute is 0 or more. The run goes on, "
            "but its results will be invalid (line 2: -20)\n"
            "Summary: 2 result files written: overall_indices.txt, rb.txt_node_importances.txt\n"
            "Summary: 0 warnings, 1 reading problem\n"
            "Summary: IICnum 1200, EC(IIC) 34.641, IIC 0.333333\n" +
                std::string(kSummariesSkipped) +
                "RESULTS WILL BE INVALID: 1 problem in the input files of this run; see its messages.\n");

  // A run that does not complete outranks one on invalid input.
  write("n_c.txt", "1\t10\t0\n");
  write("c_c.txt", kBothWays);
  EXPECT_EQ(run(std::string("-nodeFile n_ -conFile c_ -*") + kIIC), 2);
}

// With the log sent to a file, standard error alone says why a command line
// was refused: the nearest option for a typo, with the values meant for it,
// and how many values an option takes.
TEST_F(UserMistakes, ARefusedCommandLineSaysWhyOnStandardError) {
  write("c.txt", kBothWays);
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -PC -confPorb 1000 0.5"), 1);
  EXPECT_EQ(console, "\nArgument '-confPorb' not valid\n\nArgument '1000' not valid\n\nArgument '0.5' not valid\n\n "
                     "-confProb not defined\n\nError\n");
  EXPECT_EQ(errors,
            "Error: unknown option -confPorb (did you mean -confProb?); the values after it, 1000 0.5, were not read\n"
            "The command line was refused: 1 problem, said above. verdalis --help lists every option.\n");
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -PC -confProb 1000 -landarea 60 -wcomp"), 1);
  EXPECT_EQ(errors,
            "Error: -confProb takes two numbers (the distance D and the probability P at it, e.g. -confProb 1000 "
            "0.5); it is followed by -landarea instead\n"
            "Error: unknown option -landarea (did you mean -landArea?); the value after it, 60, was not read\n"
            "Warning: -wcomp writes the components of NC, which is not selected: no component file is written. Add "
            "-NC to have it\n"
            "The command line was refused: 2 problems, said above. verdalis --help lists every option.\n");
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -IIC -confAdj 1km -prefix"), 1);
  EXPECT_EQ(errors,
            "Error: -confAdj takes a number (the link threshold, a distance or, with -t prob, a probability, e.g. "
            "-confAdj 1000); \"1km\" is not a number (digits and a decimal point, without units)\n"
            "Error: -prefix takes a value (the name that begins the result files of the run); none was given\n"
            "The command line was refused: 2 problems, said above. verdalis --help lists every option.\n");
}

// A problem that many lines repeat is told once, with its count and first
// examples; a check that stops the run says what was found and what to do;
// an area below the attributes and thresholds out of reach of every listed
// distance are counted warnings. The run log keeps its own words.
TEST_F(UserMistakes, ProblemsOfTheFilesAreToldOnceWithTheirCount) {
  write("c.txt", std::string(kBothWays) + "7\t1\t50\n1\t8\t50\n");
  EXPECT_EQ(run(std::string("-nodeFile n.txt -conFile c.txt") + kIIC), 3);
  EXPECT_EQ(errors.substr(0, errors.find('\n') + 1),
            "Error: c.txt has lines that name an identifier missing from n.txt: their links are left out, and the "
            "results will be invalid. Check that the two files describe the same patches (2 lines; the first: "
            "line 5: 7, line 6: 8)\n");
  EXPECT_NE(errors.find("Summary: 0 warnings, 2 reading problems\n"), std::string::npos) << errors;

  write("all.txt", kBothWays);
  EXPECT_EQ(run(std::string("-nodeFile n.txt -conFile all.txt -t dist all") + kIIC), 2);
  EXPECT_EQ(errors,
            "Error: all.txt has 4 lines, but \"all\" (-t ... all) needs every ordered pair of the 3 node lines of "
            "n.txt, 6 lines. List every pair, or read the file as the pairs it lists with \"notall\" (-t dist "
            "notall)\n"
            "Summary: no result file written: the run stopped at the checks of its settings or input files.\n");

  write("c.txt", kBothWays);
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -IIC -PC -confAdj 50 -confProb 1 0.5 -landArea 40"), 0);
  EXPECT_NE(console.find("Error:  Maximum landscape attribute (AL) is lower than the sum of node attributes.\n"),
            std::string::npos);
  EXPECT_EQ(errors.substr(0, errors.find("Summary:")),
            "Warning: -landArea 40 is lower than the sum of the node attributes, 60: only the numerators of LCP, "
            "IIC and PC (LCPnum, IICnum, PCnum) are written. -landArea is the study area, in the units of the "
            "attributes, so at least their sum\n"
            "Warning: with -confProb 1 0.5 the probability at the shortest listed distance above 0, 100, is "
            "7.88861e-31: hardly any pair is connected, and PC is almost only its intra part. Are the thresholds "
            "and the distances of c.txt in the same units?\n"
            "Warning: -confAdj 50 is below every listed distance (the shortest is 100): no pair is linked for the "
            "binary indices. Are the thresholds and the distances of c.txt in the same units?\n");
  EXPECT_NE(errors.find("Summary: 3 warnings, 0 reading problems\n"), std::string::npos) << errors;
}

}  // namespace

}  // namespace verdalis
