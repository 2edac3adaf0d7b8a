// The built program on tiny inputs: console text around the runs, the
// redirection of a run's output, and the exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/help.h"
#include "e2e/golden_support.h"
#include "e2e/under_sanitizer.h"

namespace verdalis {

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Calendar stamps and elapsed seconds differ from run to run.
std::string masked(std::string text) {
  for (std::size_t at = text.find(" at: "); at != std::string::npos; at = text.find(" at: ", at + 1))
    if (text.size() >= at + 5 + 24) text.replace(at + 5, 24, "DATE");
  const std::string total = "Total processing time: ";
  for (std::size_t at = text.find(total); at != std::string::npos; at = text.find(total, at + 1)) {
    std::size_t from = text.find_first_not_of(' ', at + total.size());
    std::size_t to = text.find_first_not_of("0123456789.e+-", from);
    if (from != std::string::npos && to != std::string::npos && to > from) text.replace(from, to - from, "N");
  }
  return text;
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

const std::string kUsage =
    "Verdalis GNU 2.8.8 - Command line version 1.1.6 for digraphs(bcc64 bits) \n"
    "Usage:\n"
    "verdalis.exe -nodeFile nfile -conFile cfile [-*] [-t dist|prob [all|notall]]\n"
    " [-confProb distance prob  [-PC [-BCPC]] [-F] [-AWF] ] \n"
    " [-double | -simple] [onlyoverall] \n"
    " [-wprobdir] [-wprobmax]  [-noout] \n";

const char* const kEnd = "\nExecution ended at: DATE\n\nTotal processing time:  N seconds\n";

class ProgramRun : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/verdalis_cli_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
    write("n.txt", "1\t10\n2\t20\n3\t30\n");
    write("c.txt", "1\t2\t100\n2\t3\t200\n1\t3\t500\n");
  }
  void TearDown() override { std::system(("rm -rf '" + directory + "'").c_str()); }

  void write(const std::string& name, const std::string& text) {
    std::ofstream(directory + "/" + name, std::ios::binary) << text;
  }
  std::string file(const std::string& name) { return readFile(directory + "/" + name); }
  bool exists(const std::string& name) { return access((directory + "/" + name).c_str(), F_OK) == 0; }

  // Runs the program in the scratch directory; shellPrefix can set limits.
  // Standard output (the run log) and standard error (warnings, closing
  // summary) are kept apart.
  int run(const std::string& arguments, const std::string& shellPrefix = "") {
    std::string command = "cd '" + directory + "' && " + shellPrefix + "'" + VERDALIS_BINARY + "' " + arguments +
                          " > console.out 2> errors.out";
    int status = std::system(command.c_str());
    console = readFile(directory + "/console.out");
    errors = readFile(directory + "/errors.out");
    std::remove((directory + "/console.out").c_str());
    std::remove((directory + "/errors.out").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string directory;
  std::string console;
  std::string errors;
};

TEST_F(ProgramRun, UsageAndCommandLineErrors) {
  EXPECT_EQ(run(""), 0);
  EXPECT_EQ(console, kUsage);
  EXPECT_EQ(errors, "Every option: verdalis --help\n");
  EXPECT_EQ(run("-NC -foo -confAdj abc -h"), 0);
  EXPECT_EQ(console, kUsage + helpReference());
  EXPECT_EQ(errors, "");
  EXPECT_EQ(run("--version"), 0);
  EXPECT_EQ(console, "Verdalis 2.8.8 (command line version 1.1.6)\n");

  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -NC -confAdj abc"), 1);
  EXPECT_EQ(console, "\nArgument 'abc' could not be a number\n\n -confAdj not defined\n\nError\n");
  EXPECT_EQ(run("-nodeFile n.txt -confMultipleValues 100 500 0"), 1);
  EXPECT_EQ(console, "Error: The step of -confMultipleValues must be greater than 0\n\nError\n");
  EXPECT_FALSE(exists("overall_indices.txt"));
}

TEST_F(ProgramRun, CompletedRunIsFramedByItsStamps) {
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -NC -confAdj 150 -prefix r"), 0);
  std::string out = masked(console);
  EXPECT_EQ(out.rfind("Execution started at: DATE\n\nNumber of nodes to process: 3\n", 0), 0u) << out;
  std::size_t timing = out.find("Processing time for indices:\nNC:  0 seconds\n");
  ASSERT_NE(timing, std::string::npos) << out;
  EXPECT_LT(timing, out.find("Execution ended at: "));
  EXPECT_TRUE(endsWith(out, kEnd)) << out;
  EXPECT_TRUE(exists("r_node_importances.txt"));
  EXPECT_TRUE(exists("overall_indices.txt"));
}

TEST_F(ProgramRun, FailedInitialCheckGivesTheShortEnd) {
  EXPECT_EQ(run("-nodeFile missing.txt -conFile c.txt -NC -confAdj 150"), 2);
  std::string out = masked(console);
  EXPECT_EQ(out.rfind("Execution started at: DATE\n\n", 0), 0u) << out;
  EXPECT_TRUE(endsWith(out, "Execution ended at: DATE\n\nTotal processing time: N seconds\n")) << out;
  EXPECT_EQ(out.find("Number of nodes"), std::string::npos);
  EXPECT_FALSE(exists("overall_indices.txt"));
}

TEST_F(ProgramRun, NooutSendsTheWholeRunToThePrefixedLog) {
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -NC -confAdj 150 -prefix r -noout"), 0);
  EXPECT_EQ(console, "");
  std::string log = masked(file("r_execution_events.txt"));
  EXPECT_EQ(log.rfind("Execution started at: DATE\n\nNumber of nodes to process: 3\n", 0), 0u) << log;
  EXPECT_TRUE(endsWith(log, kEnd)) << log;
}

TEST_F(ProgramRun, UnopenableLogLeavesTheRunOnTheConsole) {
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -NC -confAdj 150 -prefix none/r -noout"), 2);
  std::string out = masked(console);
  EXPECT_EQ(out.rfind("Error: The execution events file none/r_execution_events.txt cannot be opened", 0), 0u) << out;
  EXPECT_NE(out.find("Execution started at: DATE\n"), std::string::npos);
  EXPECT_TRUE(endsWith(out, kEnd)) << out;
}

TEST_F(ProgramRun, ValueRangeRunsOncePerValue) {
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -NC -confMultipleValues 100 500 200 -simple"), 0);
  EXPECT_EQ(count(console, "Execution started at: "), 3u);
  EXPECT_EQ(count(console, "Execution ended at: "), 3u);
  std::size_t first = console.find("Distance threshold (binary indices): 100\n");
  std::size_t second = console.find("Distance threshold (binary indices): 300\n");
  std::size_t third = console.find("Distance threshold (binary indices): 500\n");
  ASSERT_NE(third, std::string::npos) << console;
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
}

TEST_F(ProgramRun, FilePairsWithALostRunAndSeparateLogs) {
#ifdef VERDALIS_UNDER_ASAN
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit below";
#endif
  // The first pair, held whole, needs far more memory than the limit allows.
  std::string nodes;
  for (int id = 1; id <= 30000; ++id) nodes += std::to_string(id) + "\t1\n";
  write("n_a.txt", nodes);
  write("c_a.txt", "1\t2\t100\n");
  write("n_b.txt", "1\t10\n2\t20\n");
  write("c_b.txt", "1\t2\t100\n");
  EXPECT_EQ(run("-nodeFile n_ -conFile c_ -* -dense -NC -confAdj 150 -noout", "ulimit -v 400000 && "), 2);
  EXPECT_EQ(console, "\nNumber of file pairs: 2\n");
  std::string lost = masked(file("a.txt_execution_events.txt"));
  EXPECT_EQ(lost.rfind("Execution started at: DATE\n\n", 0), 0u) << lost;
  EXPECT_TRUE(endsWith(lost, "error23")) << lost;
  std::string next = masked(file("b.txt_execution_events.txt"));
  EXPECT_EQ(next.rfind("Execution started at: DATE\n\nNumber of nodes to process: 2\n", 0), 0u) << next;
  EXPECT_TRUE(endsWith(next, kEnd)) << next;
  EXPECT_EQ(next.find("error23"), std::string::npos);
  // The lost run says, before it loads anything, what it would need; the
  // closing summaries stay on the console, one per run.
  const std::string needs = errors.substr(0, errors.find('\n') + 1);
  EXPECT_EQ(needs.rfind("Not enough memory: this run needs at least 7.", 0), 0u) << errors;
  EXPECT_TRUE(endsWith(needs, " are available (free memory and swap, within the limits of the process); "
                              "it stops here.\n"))
      << errors;
  // Then what would make it fit, from the estimate, and what would not.
  const std::string remedies =
      "  It would fit without -dense (the sparse form): about 18.4 MB.\n"
      "  verdalis-mpi shares the time of a run among machines, not its memory: each of its processes holds the "
      "landscape as this one would.\n";
  EXPECT_EQ(errors.find(remedies), needs.size()) << errors;
  EXPECT_EQ(errors.find("Summary: the run ran out of memory and did not complete.\n"), needs.size() + remedies.size())
      << errors;
  EXPECT_TRUE(endsWith(errors, "Summary: 3 result files written: overall_indices.txt, "
                               "results_all_overall_indices.txt, b.txt_node_importances.txt\n"
                               "Summary: 2 warnings, 0 reading problems\nSummary: NC 2\n"))
      << errors;
}

TEST_F(ProgramRun, UnwritableResultFileFailsTheRun) {
  EXPECT_EQ(run("-nodeFile n.txt -conFile c.txt -NC -confAdj 150 -prefix none/r"), 2);
  EXPECT_TRUE(endsWith(masked(console), kEnd));
}

// The run log without the per-source PC lines ("Processing node number
// ...", each ended by a carriage return).
std::string withoutSourceLines(const std::string& text) {
  const std::string head = "Processing node number ";
  std::string kept;
  std::size_t from = 0;
  for (std::size_t at = text.find(head); at != std::string::npos; at = text.find(head, from)) {
    kept.append(text, from, at - from);
    const std::size_t end = text.find('\r', at);
    from = end == std::string::npos ? text.size() : end + 1;
  }
  return kept.append(text, from, std::string::npos);
}

// A run whose full progress text would pass 10 MB (4950 pairs of 100
// patches, each a PC computation of 100 lines) prints the brief log: every
// line but the per-source ones. -progress all gives the full log back; a
// small run prints every line unless -progress brief asks for the brief one.
TEST_F(ProgramRun, LargeRunsPrintTheBriefLogUnlessAskedForEveryLine) {
  std::string nodes, links;
  for (int id = 1; id <= 100; ++id) {
    nodes += std::to_string(id) + "\t" + std::to_string(1 + id % 7) + "\n";
    if (id > 1) links += std::to_string(id) + "\t" + std::to_string(id - 1) + "\t" + std::to_string(id % 50) + "\n";
  }
  write("n100.txt", nodes);
  write("c100.txt", links);
  const std::string large = "-nodeFile n100.txt -conFile c100.txt -PC -confProb 100 0.5 -removal -symmetric";
  ASSERT_EQ(run(large + " -progress all"), 0) << errors;
  const std::string full = masked(console), fullTable = file("link_importances_removal.txt");
  EXPECT_GT(full.size(), 10000000u);
  EXPECT_NE(full.find("Processing node number 0 of 100 (0%)\rProcessing node number 1 of 100 (1%)\r"),
            std::string::npos);
  ASSERT_EQ(run(large), 0) << errors;
  // Each index's seconds ("PC:  3 seconds") may differ by one between the runs.
  EXPECT_EQ(golden::maskConsole(masked(console)), golden::maskConsole(withoutSourceLines(full)));
  EXPECT_EQ(count(console, "Processing importances of Link Removal of node with ID "), 100u);
  EXPECT_EQ(file("link_importances_removal.txt"), fullTable);

  ASSERT_EQ(run("-nodeFile n.txt -conFile c.txt -PC -confProb 100 0.5"), 0);
  const std::string small = masked(console);
  EXPECT_EQ(count(small, "\r"), 3u + 3u * 2u) << small;  // the landscape, then each removal
  ASSERT_EQ(run("-nodeFile n.txt -conFile c.txt -PC -confProb 100 0.5 -progress brief"), 0);
  EXPECT_EQ(masked(console), withoutSourceLines(small));
  EXPECT_NE(console.find("Processing importance of node with ID 3\n100% completed\n"), std::string::npos);
}

}  // namespace

}  // namespace verdalis
