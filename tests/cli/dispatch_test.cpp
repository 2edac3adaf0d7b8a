// What a command line leads to: the usage text, the error line, one run,
// one run per file pair, one run per value of a threshold range.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "cli/help.h"
#include "cli_helpers.h"

namespace verdalis {

namespace {

int dispatch(std::vector<std::string> words, recordingRunner& runner, std::string& output) {
  commandLine line(words);
  testing::internal::CaptureStdout();
  int status = dispatchArguments(line.argc(), line.argv(), runner.function());
  output = testing::internal::GetCapturedStdout();
  return status;
}

TEST(Dispatch, UsageWithoutArgumentsOrOnRequest) {
  recordingRunner runner;
  std::string out;
  EXPECT_EQ(dispatch({}, runner, out), kExitDone);
  EXPECT_EQ(out,
            "Verdalis GNU 2.8.8 - Command line version 1.1.6 for digraphs(bcc64 bits) \n"
            "Usage:\n"
            "verdalis.exe -nodeFile nfile -conFile cfile [-*] [-t dist|prob [all|notall]]\n"
            " [-confProb distance prob  [-PC [-BCPC]] [-F] [-AWF] ] \n"
            " [-double | -simple] [onlyoverall] \n"
            " [-wprobdir] [-wprobmax]  [-noout] \n");
  // Asked for, help adds the reference of every option. It wins over every
  // error and over --version, and none of their messages appear.
  EXPECT_EQ(dispatch({"-foo", "-confAdj", "abc", "-IIC", "-wcomp", "--version", "-h"}, runner, out), kExitDone);
  EXPECT_EQ(out, usageText() + helpReference());
  for (const char* option : {"-IIC", "-confAdj", "-landArea", "-prefix", "-removal", "-threads", "-symmetric",
                             "-appendInvalid", "onlyoverall", "-wprobmax", "--version"})
    EXPECT_NE(helpReference().find(option), std::string::npos) << option;
  EXPECT_EQ(dispatch({"-foo", "--version"}, runner, out), kExitDone);
  EXPECT_EQ(out, "Verdalis 2.8.8 (command line version 1.1.6)\n");
  EXPECT_TRUE(runner.runs.empty());
}

TEST(Dispatch, ErrorsStopBeforeAnyRun) {
  recordingRunner runner;
  std::string out;
  EXPECT_EQ(dispatch({"-confAdj", "abc"}, runner, out), kExitCommandLine);
  EXPECT_EQ(out, "\nArgument 'abc' could not be a number\n\nError\n");
  EXPECT_EQ(dispatch({"-nodeFile", "n", "-prefix"}, runner, out), kExitCommandLine);
  EXPECT_EQ(out, "\nError\n");
  EXPECT_EQ(dispatch({"-confMultipleValues", "100", "500", "0"}, runner, out), kExitCommandLine);
  EXPECT_EQ(out, "Error: The step of -confMultipleValues must be greater than 0\n\nError\n");
  EXPECT_TRUE(runner.runs.empty());
}

TEST(Dispatch, OneRunWithTheCheckedRecord) {
  recordingRunner runner;
  std::string out;
  EXPECT_EQ(dispatch({"-nodeFile", "n.txt", "-conFile", "c.txt", "-wcomp", "-IIC", "-confAdj", "1000"}, runner, out),
            kExitDone);
  EXPECT_EQ(out, "\n The option -wcomp will only be used if the NC index is selected (-NC)\x94.\n");
  ASSERT_EQ(runner.runs.size(), 1u);
  EXPECT_EQ(runner.runs[0].fileNodes, "n.txt");
  EXPECT_FALSE(runner.runs[0].bcomponents);
  EXPECT_EQ(runner.runs[0].adjacentTail, 1000.0f);

  runner.status = kExitRunFailed;
  EXPECT_EQ(dispatch({"-NC", "-confAdj", "1"}, runner, out), kExitRunFailed);
}

// A scratch directory made the working directory for one test.
class FilePairs : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/verdalis_pairs_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    previous = here;
    ASSERT_EQ(chdir(directory.c_str()), 0);
  }
  void TearDown() override {
    clear();
    EXPECT_EQ(chdir(previous.c_str()), 0);
    rmdir(directory.c_str());
  }
  void touch(std::initializer_list<std::string> names) {
    for (const std::string& name : names) {
      std::ofstream(name) << "1\t1\n";
      created.push_back(name);
    }
  }
  void clear() {
    for (const std::string& name : created) std::remove(name.c_str());
    created.clear();
  }
  int pairs(std::vector<std::string> extra, recordingRunner& runner, std::string& out) {
    std::vector<std::string> words = {"-nodeFile", "n_", "-conFile", "c_", "-*"};
    words.insert(words.end(), extra.begin(), extra.end());
    return dispatch(words, runner, out);
  }

  std::string directory, previous;
  std::vector<std::string> created;
};

TEST_F(FilePairs, OneRunPerMatchingPair) {
  touch({"n_b.txt", "c_a.txt", "n_a.txt", "c_b.txt", "other.txt"});
  recordingRunner runner;
  std::string out;
  EXPECT_EQ(pairs({}, runner, out), kExitDone);
  EXPECT_EQ(out, "\nNumber of file pairs: 2\n");
  ASSERT_EQ(runner.runs.size(), 2u);
  EXPECT_EQ(runner.runs[0].fileNodes, "n_a.txt");
  EXPECT_EQ(runner.runs[0].fileConnections, "c_a.txt");
  EXPECT_EQ(runner.runs[0].node_importances, "a.txt_node_importances.txt");
  EXPECT_EQ(runner.runs[1].fileNodes, "n_b.txt");
  EXPECT_EQ(runner.runs[1].prefix_name, "b.txt");

  // The given prefix leads every pair's prefix; a failed run shows in the status.
  recordingRunner prefixed;
  prefixed.status = kExitRunFailed;
  EXPECT_EQ(pairs({"-prefix", "run_"}, prefixed, out), kExitRunFailed);
  ASSERT_EQ(prefixed.runs.size(), 2u);
  EXPECT_EQ(prefixed.runs[0].prefix_name, "run_a.txt");
  EXPECT_EQ(prefixed.runs[1].execution_events, "run_b.txt_execution_events.txt");
}

TEST_F(FilePairs, UnusablePairs) {
  recordingRunner runner;
  std::string out;
  touch({"n_a.txt", "c_a.txt", "n_b.txt", "c_c.txt"});
  EXPECT_EQ(pairs({}, runner, out), kExitCommandLine);
  EXPECT_EQ(out, "\nNumber of file pairs: 2\n\nError -* parameter\n\nfiles not similar\n n_b.txt c_c.txt");
  ASSERT_EQ(runner.runs.size(), 1u);
  EXPECT_EQ(runner.runs[0].prefix_name, "a.txt");

  clear();
  touch({"n_a.txt", "n_b.txt", "c_a.txt"});
  EXPECT_EQ(pairs({}, runner, out), kExitCommandLine);
  EXPECT_EQ(out,
            "\nError -* parameter\n\nThe number and/or names of the node files is different from the number "
            "and/or names of the connection files\n");

  clear();
  touch({"other.txt"});
  EXPECT_EQ(pairs({}, runner, out), kExitCommandLine);
  EXPECT_EQ(out, "\nNumber of file pairs: 0\n");
  EXPECT_EQ(runner.runs.size(), 1u);
}

TEST_F(FilePairs, ListingMatchesBeginningsOnly) {
  touch({"n_a.txt", "xn_a.txt", "nc_a.txt"});
  dataArg arg;
  arg.fileNodes = "n";
  arg.fileConnections = "nc_";
  std::vector<std::string> nodes, cons;
  EXPECT_EQ(comprovaFitxers(nodes, cons, arg), 0);
  std::sort(nodes.begin(), nodes.end());
  // A name can belong to both lists.
  EXPECT_EQ(nodes, (std::vector<std::string>{"n_a.txt", "nc_a.txt"}));
  EXPECT_EQ(cons, (std::vector<std::string>{"nc_a.txt"}));
}

struct rangeRuns {
  recordingRunner doubles, singles;
  int status = 0;
  rangeRuns(std::vector<std::string> words) {
    parsedLine p = parseLine(words);
    EXPECT_EQ(p.errors, 0) << p.messages;
    status = executaWith(p.arg, doubles.function(), singles.function());
  }
  std::vector<float> thresholds() const {
    std::vector<float> values;
    for (const dataArg& run : doubles.runs) {
      EXPECT_EQ(run.adjacentTail, run.kDistanceProb);
      values.push_back(run.adjacentTail);
    }
    return values;
  }
};

TEST(Precision, DoubleUnlessSimple) {
  rangeRuns plain({"-NC", "-confAdj", "1"});
  EXPECT_EQ(plain.doubles.runs.size(), 1u);
  EXPECT_TRUE(plain.singles.runs.empty());
  rangeRuns simple({"-double", "-simple", "-NC", "-confAdj", "1"});
  EXPECT_TRUE(simple.doubles.runs.empty());
  EXPECT_EQ(simple.singles.runs.size(), 1u);
}

TEST(ValueRange, EveryStepThenTheLastValue) {
  EXPECT_EQ(rangeRuns({"-IIC", "-confMultipleValues", "100", "500", "200"}).thresholds(),
            (std::vector<float>{100, 300, 500}));
  EXPECT_EQ(rangeRuns({"-IIC", "-confMultipleValues", "100", "400", "200"}).thresholds(),
            (std::vector<float>{100, 300, 400}));
  EXPECT_EQ(rangeRuns({"-IIC", "-confMultipleValues", "250", "250", "10"}).thresholds(), (std::vector<float>{250}));
  EXPECT_EQ(rangeRuns({"-IIC", "-confMultipleValues", "900", "100", "10"}).thresholds(), (std::vector<float>{100}));
  // In single precision 0.1 + 0.1 + 0.1 reaches 0.3 exactly, so the loop
  // stops there (a double sum would fall short and repeat 0.3).
  std::vector<float> tenths = rangeRuns({"-IIC", "-confMultipleValues", "0", "0.3", "0.1"}).thresholds();
  ASSERT_EQ(tenths.size(), 4u);
  EXPECT_EQ(tenths[3], 0.3f);
}

TEST(ValueRange, AStepThatCannotAdvanceStillEnds) {
  dataArg arg;
  arg.type1_iteration = true;
  arg.min_iteration = 100;
  arg.max_iteration = 500;
  arg.step_iteration = 0;
  recordingRunner runs;
  executaWith(arg, runs.function(), runs.function());
  ASSERT_EQ(runs.runs.size(), 2u);
  EXPECT_EQ(runs.runs[1].adjacentTail, 500.0f);
}

TEST(ValueRange, OnePrefixNamingTheGivenThresholds) {
  rangeRuns binary({"-IIC", "-confAdj", "1000", "-prefix", "r", "-confMultipleValues", "100", "500", "200"});
  for (const dataArg& run : binary.doubles.runs) {
    EXPECT_EQ(run.prefix_name, "r_b_1000_");
    EXPECT_EQ(run.node_importances, "r_b_1000__node_importances.txt");
  }
  rangeRuns both({"-H", "-PC", "-confProb", "1000000", "0.5", "-confMultipleValues", "1", "2", "1"});
  ASSERT_EQ(both.doubles.runs.size(), 2u);
  EXPECT_EQ(both.doubles.runs[0].prefix_name, "_b_0__p_1e+06_0.5_");
  // A prefix that already names its thresholds is kept.
  rangeRuns named({"-F", "-confProb", "10", "0.5", "-prefix", "x_p_", "-confMultipleValues", "1", "2", "1"});
  EXPECT_EQ(named.doubles.runs[0].prefix_name, "x_p_");
  rangeRuns none({"-NC", "-prefix", "y", "-confMultipleValues", "1", "2", "1"});
  EXPECT_EQ(none.doubles.runs[0].prefix_name, "y");
}

TEST(ValueRange, WorstStatusOfAllRuns) {
  dataArg arg;
  arg.type1_iteration = true;
  arg.min_iteration = 1;
  arg.max_iteration = 3;
  arg.step_iteration = 1;
  int calls = 0;
  runFunction failSecond = [&](dataArg) { return ++calls == 2 ? kExitRunFailed : kExitDone; };
  EXPECT_EQ(executaWith(arg, failSecond, failSecond), kExitRunFailed);
  EXPECT_EQ(calls, 3);
  // A run that did not complete outranks one on invalid input, whatever
  // the order; a refused command line and an interrupt outrank both.
  for (const std::vector<int>& statuses :
       {std::vector<int>{kExitInvalidInput, kExitRunFailed, kExitDone}, {kExitDone, kExitRunFailed, kExitInvalidInput}}) {
    calls = 0;
    runFunction each = [&](dataArg) { return statuses[calls++]; };
    EXPECT_EQ(executaWith(arg, each, each), kExitRunFailed);
  }
  EXPECT_EQ(worseStatus(kExitDone, kExitInvalidInput), kExitInvalidInput);
  EXPECT_EQ(worseStatus(kExitCommandLine, kExitInvalidInput), kExitCommandLine);
  EXPECT_EQ(worseStatus(kExitRunFailed, kExitCommandLine), kExitCommandLine);
  EXPECT_EQ(worseStatus(130, kExitCommandLine), 130);
}

}  // namespace

}  // namespace verdalis
