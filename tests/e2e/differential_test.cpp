// Differential suite: the default engine must write exactly what -reference
// writes, with any number of threads.
//
// Every case is a random landscape, mostly small, with a random option set,
// both drawn from a seed (differential_cases.h). The case is run with
// -reference, with -threads 1, with -threads 2, with no engine option at all
// and, for some cases, with yet another thread count, each run in a fresh
// folder; a case whose connection file is "notall" is run with -dense too
// (the dense form, n x n matrices, instead of the sparse one). Every result
// file, the console text and the exit status must be equal byte for byte;
// only the calendar stamps, the total time and the processor times of the
// timing report are masked, and the lines of a phase that lasted long
// enough to say how far it got on standard error are left out. The series "Sparse"
// (differential_sparse.h) draws "notall" files only, with what a landscape
// of the sparse form must get right; it leaves out the run without an
// engine option, which uses both cores of the development machine as
// -threads 2 does. The series "SparseLinks" runs the three link analyses
// of such a landscape, where the others draw them on small ones only.
// Each case's -reference, first engine and -dense runs are also planned
// with -plan: -reference must take the straightforward route throughout,
// and an engine run the engine of its form (sparse for a "notall" file
// without -dense) in every phase it has one for, unless the plan states a
// reason that the case drew (a value out of range, huge attributes, too
// few patches); so an engine that a dispatch skipped cannot pass unseen.
//
// Environment (all optional), so that a long sweep can reuse this binary:
//   VERDALIS_DIFF_CASES     number of cases (default 600)
//   VERDALIS_DIFF_SPARSE_CASES  number of sparse cases (default: a tenth of
//                           VERDALIS_DIFF_CASES, so 60)
//   VERDALIS_DIFF_SPARSE_LINK_CASES  number of cases of the series
//                           "SparseLinks" (default 3): the three link
//                           analyses of 40 to 70 patches in the sparse form
//   VERDALIS_DIFF_SEED      seed of the whole series (default 20261208)
//   VERDALIS_DIFF_FIRST     index of the first case of both series (default
//                           0); case k of a seed is the same whatever the
//                           count and first
//   VERDALIS_DIFF_MAXN      largest number of existing nodes of the ordinary
//                           cases (default 25); one case in twenty is larger
//                           (one sparse case in seven)
//   VERDALIS_DIFF_BINARY    the program to test (default: the built one)
//   VERDALIS_DIFF_FAILURES  where failing cases are saved (default
//                           <temporary folder>/diff_failures)
//   VERDALIS_DIFF_TIMEOUT   seconds after which a run is stopped and counted
//                           as a difference (default 900; 0: no limit)
//   VERDALIS_DIFF_VERBOSE   set: print every case's command line
//   VERDALIS_DIFF_ARGS      a whole command line to compare instead, for
//   VERDALIS_DIFF_NAME      landscapes of one's own (see GivenLandscape)
//   VERDALIS_DIFF_BASELINE  with VERDALIS_DIFF_ARGS: compare the command line
//                           as it is with itself plus these options (e.g.
//                           -dense), instead of with the reference
// One case can be rerun with VERDALIS_DIFF_SEED=S VERDALIS_DIFF_FIRST=k and
// a count of 1 for its series and 0 for the others (the failure report
// gives the line), or with --gtest_filter='Random/*/case<k>'
// ('Sparse/*/case<k>', 'SparseLinks/*/case<k>'). A case number
// names the same case as long as the generators are not changed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e/differential_cases.h"
#include "e2e/differential_sparse.h"

namespace verdalis {

namespace {

namespace fs = std::filesystem;
using difftest::caseMaker;
using difftest::caseSeed;
using difftest::landscapeCase;
using difftest::sparseCaseMaker;
using difftest::sparseLinkCaseMaker;

// ---------------------------------------------------------------- settings

std::uint64_t envNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  return (end != text && *end == '\0') ? value : fallback;
}

std::string envText(const char* name, const std::string& fallback) {
  const char* text = std::getenv(name);
  return (text == nullptr || *text == '\0') ? fallback : std::string(text);
}

std::uint64_t seriesSeed() { return envNumber("VERDALIS_DIFF_SEED", 20261208); }
int maxNodes() { return static_cast<int>(std::max<std::uint64_t>(1, envNumber("VERDALIS_DIFF_MAXN", 25))); }
std::string programPath() { return envText("VERDALIS_DIFF_BINARY", VERDALIS_BINARY); }
fs::path failureRoot() {
  return envText("VERDALIS_DIFF_FAILURES", (fs::temp_directory_path() / "diff_failures").string());
}


// ---------------------------------------------------------------- running

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const fs::path& file, const std::string& content) {
  std::ofstream(file, std::ios::binary) << content;
}

std::string quoted(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) {
    const bool plain = !w.empty() && w.find_first_not_of(
                                         "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.+/=") ==
                                         std::string::npos;
    out += (out.empty() ? "" : " ") + (plain ? w : "'" + w + "'");
  }
  return out;
}

// Exit status of a run stopped for taking far longer than any case needs.
constexpr int kTimedOut = 1000;

// VERDALIS_DIFF_TIMEOUT, in seconds; 0 waits for ever.
long runLimitSeconds() { return static_cast<long>(envNumber("VERDALIS_DIFF_TIMEOUT", 900)); }

struct runResult {
  int status = -1;  // exit status, 128 + signal, or kTimedOut
  std::string console, errors;
  std::map<std::string, std::string> files;
};

// Runs the program in a new folder `folder` with its console in files beside
// the folder, so that the folder holds only what the program wrote.
runResult runProgram(const fs::path& folder, const std::vector<std::string>& arguments) {
  fs::create_directories(folder);
  const fs::path out = folder.string() + ".stdout", err = folder.string() + ".stderr";
  const std::string program = programPath();
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  // SIGCHLD stays pending while blocked, so the wait below can have a limit.
  sigset_t childEnded, previous;
  sigemptyset(&childEnded);
  sigaddset(&childEnded, SIGCHLD);
  sigprocmask(SIG_BLOCK, &childEnded, &previous);
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || chdir(folder.c_str()) != 0) _exit(126);
    dup2(o, 1);
    dup2(e, 2);
    close(o);
    close(e);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  runResult r;
  int raw = 0;
  bool ended = child < 0;
  const long limit = runLimitSeconds();
  timespec wait{limit > 0 ? limit : 0, 0};
  while (!ended) {
    const pid_t done = waitpid(child, &raw, WNOHANG);
    if (done == child) {
      r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
      ended = true;
    } else if (done < 0) {
      ended = true;
    } else if (limit <= 0) {
      int signal = 0;
      sigwait(&childEnded, &signal);
    } else if (sigtimedwait(&childEnded, nullptr, &wait) < 0 && errno == EAGAIN) {
      // A hung engine would otherwise hold up the whole suite.
      kill(child, SIGKILL);
      waitpid(child, &raw, 0);
      r.status = kTimedOut;
      ended = true;
    }
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  r.console = readFile(out);
  r.errors = readFile(err);
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) r.files[fs::relative(entry.path(), folder).string()] = readFile(entry.path());
  return r;
}

// Masks what may differ between two runs of the same case: the calendar
// stamps, the total time, and the processor times of the timing report.
std::string masked(const std::string& text) {
  std::string out;
  std::size_t at = 0;
  bool timing = false;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (timing) {
      const std::size_t colon = line.find(": ");
      const bool duration = colon != std::string::npos && colon > 0 && line.size() >= 8 &&
                            line.compare(line.size() - 8, 8, " seconds") == 0 &&
                            line.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_") == colon;
      if (duration) line = line.substr(0, colon + 2) + "<duration>";
      else timing = false;
    }
    for (const char* label : {"Execution started at: ", "Indices processing started at: ", "Execution ended at: ",
                              "Total processing time: "}) {
      const std::size_t found = line.find(label);
      if (found != std::string::npos) line = line.substr(0, found + std::strlen(label)) + "<masked>";
    }
    if (line.size() >= 28 && line.compare(line.size() - 28, 28, "Processing time for indices:") == 0) timing = true;
    out += line;
    if (end < text.size()) out += '\n';
    at = end + 1;
  }
  return out;
}

// The error stream without the lines of the phases (support/progress.h),
// which come and go with the time a phase takes, and without the memory
// estimate, which follows the form the landscape is held in.
std::string withoutPhaseLines(const std::string& text) {
  static const char* const phases[] = {"Overall landscape: ", "Node removals: ",     "Node additions: ",
                                       "Link removal: ",      "Link improvement: ",  "Link change: ",
                                       "Estimated peak memory: "};
  std::istringstream in(text);
  std::string kept;
  for (std::string line; std::getline(in, line);) {
    bool phase = false;
    for (const char* name : phases) phase = phase || line.rfind(name, 0) == 0;
    if (!phase) kept += line + "\n";
  }
  return kept;
}

bool isLog(const std::string& name) {
  const std::string log = "execution_events.txt";
  return name.size() >= log.size() && name.compare(name.size() - log.size(), log.size(), log) == 0;
}

// First line where two texts differ, for the failure message; `against`
// names the run of `a`.
std::string firstDifference(const std::string& a, const std::string& b, const std::string& against) {
  const std::string label = against + ":" + std::string(against.size() < 10 ? 10 - against.size() : 1, ' ');
  std::istringstream left(a), right(b);
  std::string l, r;
  for (int number = 1;; ++number) {
    const bool moreL = static_cast<bool>(std::getline(left, l));
    const bool moreR = static_cast<bool>(std::getline(right, r));
    if (!moreL && !moreR) return "(equal lines; the ends of line differ)";
    if (!moreL || !moreR || l != r) {
      return "line " + std::to_string(number) + ":\n    " + label + (moreL ? l : "<end>") + "\n    this run:  " +
             (moreR ? r : "<end>");
    }
  }
}

// Every difference of `run` from `reference`, one per item; `against`
// names the reference run.
std::vector<std::string> differences(const runResult& reference, const runResult& run, const std::string& against) {
  std::vector<std::string> found;
  auto status = [](int s) {
    return s == kTimedOut ? "no end within " + std::to_string(runLimitSeconds()) + " s" : std::to_string(s);
  };
  if (reference.status != run.status) found.push_back("exit status " + status(reference.status) + " against " + status(run.status));
  if (masked(reference.console) != masked(run.console))
    found.push_back("console text, " + firstDifference(masked(reference.console), masked(run.console), against));
  const std::string referenceErrors = withoutPhaseLines(reference.errors), errors = withoutPhaseLines(run.errors);
  if (referenceErrors != errors) found.push_back("error stream, " + firstDifference(referenceErrors, errors, against));
  std::set<std::string> names;
  for (const auto& f : reference.files) names.insert(f.first);
  for (const auto& f : run.files) names.insert(f.first);
  for (const std::string& name : names) {
    const auto left = reference.files.find(name), right = run.files.find(name);
    if (left == reference.files.end()) found.push_back("file " + name + " written only by this run");
    else if (right == run.files.end()) found.push_back("file " + name + " written only by the " + against + " run");
    else {
      const std::string a = isLog(name) ? masked(left->second) : left->second;
      const std::string b = isLog(name) ? masked(right->second) : right->second;
      if (a != b) found.push_back("file " + name + ", " + firstDifference(a, b, against));
    }
  }
  return found;
}

struct engineRun {
  std::string name;  // the folder of the run
  std::vector<std::string> options;
};

// The runs of a case: the baseline, and those that must write what it writes.
struct runPlan {
  engineRun baseline{"reference", {"-reference"}};
  std::vector<engineRun> others;
};

runPlan planOf(const landscapeCase& c) {
  runPlan plan;
  plan.others = {{"threads1", {"-threads", "1"}}, {"threads2", {"-threads", "2"}}};
  if (!c.sparse) plan.others.push_back({"default", {}});
  if (c.moreThreads >= 0) {
    const std::string count = std::to_string(c.moreThreads);
    plan.others.push_back({"threads" + count, {"-threads", count}});
  }
  if (c.notall) plan.others.push_back({"dense", {"-dense"}});
  return plan;
}

// Keeps a failing case: its inputs, the outputs of every run and a script
// that repeats the runs.
fs::path saveFailure(const fs::path& work, const std::string& name, const landscapeCase& c, const runPlan& plan,
                     const std::string& report) {
  const fs::path target = failureRoot() / name;
  std::error_code ignored;
  fs::remove_all(target, ignored);
  fs::create_directories(target);
  fs::copy(work, target, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ignored);
  std::string script = "#!/bin/sh\n# " + c.summary + "\n# Runs every engine on the saved inputs, each in its own folder.\n";
  script += "cd \"$(dirname \"$0\")\"\nprogram=\"${1:-" + programPath() + "}\"\n";
  std::vector<engineRun> all{plan.baseline};
  all.insert(all.end(), plan.others.begin(), plan.others.end());
  for (const auto& [folder, options] : all) {
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), options.begin(), options.end());
    script += "rm -rf again_" + folder + " && mkdir again_" + folder + " && (cd again_" + folder +
              " && \"$program\" " + quoted(arguments) + " > ../again_" + folder + ".stdout)\n";
  }
  writeFile(target / "reproduce.sh", script);
  fs::permissions(target / "reproduce.sh", fs::perms::owner_exec, fs::perm_options::add, ignored);
  writeFile(target / "report.txt", report);
  return target;
}

// Counts how the reference runs ended, so that a generator that drifted into
// rejected inputs (which all engines reject alike) does not go unnoticed.
class tally : public testing::Environment {
 public:
  static void record(int status) { (status == 0 ? completed() : other())++; }
  void TearDown() override {
    const int all = completed() + other();
    std::cout << "[ differential ] " << completed() << " of " << all << " cases ran to the end\n";
    if (all >= 20) {
      EXPECT_GE(completed() * 10, all * 7) << "too few cases run the analysis";
    }
  }

 private:
  static int& completed() {
    static int n = 0;
    return n;
  }
  static int& other() {
    static int n = 0;
    return n;
  }
};

const testing::Environment* const tallyEnvironment = testing::AddGlobalTestEnvironment(new tally);

// Runs the arguments with the baseline's options and with every other run's,
// each in its own folder below `work`; returns the differences, one per
// line, and the exit status of the baseline.
std::string compareEngines(const fs::path& work, const landscapeCase& c, const runPlan& plan, int& baselineStatus) {
  const std::vector<std::string>& arguments = c.arguments;
  std::vector<std::string> baselineArguments = arguments;
  baselineArguments.insert(baselineArguments.end(), plan.baseline.options.begin(), plan.baseline.options.end());
  const runResult baseline = runProgram(work / plan.baseline.name, baselineArguments);
  baselineStatus = baseline.status;
  std::string report;
  // A crash of the baseline is a fault too, whatever the other runs do.
  if (baseline.status >= 128 || baseline.status < 0)
    report += "the " + plan.baseline.name + " run ended abnormally (" +
              (baseline.status == kTimedOut ? "stopped after " + std::to_string(runLimitSeconds()) + " s"
                                            : "status " + std::to_string(baseline.status)) +
              ")\n";
  for (const engineRun& e : plan.others) {
    std::vector<std::string> engineArguments = arguments;
    engineArguments.insert(engineArguments.end(), e.options.begin(), e.options.end());
    const runResult run = runProgram(work / e.name, engineArguments);
    for (const std::string& d : differences(baseline, run, plan.baseline.name)) report += e.name + ": " + d + "\n";
  }
  return report;
}

// ---------------------------------------------------------------- routes

// One plan as -plan prints it: the form line and each asked phase's route,
// its reason in parentheses included.
struct printedPlan {
  std::string form;
  std::vector<std::pair<std::string, std::string>> phases;
};

std::vector<printedPlan> plansIn(const std::string& console) {
  static const std::set<std::string> phaseNames = {"Overall landscape", "Betweenness", "Node removals",
                                                   "Node additions",    "Link removal", "Link improvement",
                                                   "Link change"};
  std::vector<printedPlan> plans;
  std::istringstream in(console);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Plan of the run on ", 0) == 0) plans.emplace_back();
    const std::size_t colon = line.find(": ");
    if (plans.empty() || colon == std::string::npos) continue;
    const std::string label = line.substr(0, colon), rest = line.substr(colon + 2);
    if (label == "Form") plans.back().form = rest;
    if (phaseNames.count(label) != 0) plans.back().phases.push_back({label, rest});
  }
  return plans;
}

bool selects(const landscapeCase& c, const char* option) {
  std::string lower = option;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) { return std::tolower(ch); });
  for (const std::string& a : c.arguments)
    if (a == option || a == lower) return true;
  return false;
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Whether the case drew what a stated reason for leaving the engine says.
bool reasonDrawn(const landscapeCase& c, const std::string& route) {
  if (contains(route, "probability above 1")) return c.outOfRange;
  if (contains(route, "overflows single precision")) return c.hugeAttributes;
  if (contains(route, "(no existing patch)")) return c.existing == 0;
  if (contains(route, "(fewer than two existing patches)")) return c.existing < 2;
  return false;
}

// The route a phase of the dense form means with the engine: PC, BC(IIC)
// and BC(PC) of the landscape, every removal and link analysis, by the
// engine; the candidates, and the indices without those, in full.
bool denseEngineMeant(const landscapeCase& c, const std::string& phase) {
  if (phase == "Overall landscape") return selects(c, "-PC");
  if (phase == "Betweenness") return selects(c, "-BCPC") || selects(c, "-BCIIC");
  return phase != "Node additions";
}

// What a plan of an engine run says against what the case means: the
// sparse form for a "notall" file without -dense, every phase on the engine
// of its form where it has one, unless the plan names a reason the case drew.
std::string routeDifferences(const landscapeCase& c, bool denseAsked, const printedPlan& plan) {
  std::string report;
  const bool sparse = plan.form.rfind("sparse", 0) == 0;
  if (c.notall && !denseAsked && !sparse && !reasonDrawn(c, plan.form)) report += "form: " + plan.form + "\n";
  for (const auto& [phase, route] : plan.phases) {
    const std::string meant = sparse                        ? "engine, sparse form"
                              : denseEngineMeant(c, phase) ? "engine, dense form"
                                                           : "straightforward";
    if (route.rfind(meant, 0) != 0 && !reasonDrawn(c, route))
      report += phase + ": " + route + " where " + meant + " was meant\n";
  }
  return report;
}

// The plans of the runs whose route a case means: -reference on the
// straightforward route throughout, the engine's runs on the engine of
// their form. A run that checks its input prints a plan; one that refuses
// it, none.
std::string checkRoutes(const fs::path& work, const landscapeCase& c, const runPlan& plan, int baselineStatus) {
  std::vector<engineRun> runs{plan.baseline, plan.others.front()};
  for (const engineRun& e : plan.others)
    if (e.name == "dense") runs.push_back(e);
  std::string report;
  for (const engineRun& e : runs) {
    std::vector<std::string> arguments;
    for (const std::string& a : c.arguments)
      if (a != "-noout") arguments.push_back(a);
    arguments.insert(arguments.end(), e.options.begin(), e.options.end());
    arguments.push_back("-plan");
    const runResult run = runProgram(work / ("plan_" + e.name), arguments);
    const std::vector<printedPlan> plans = plansIn(run.console);
    if (plans.empty() && baselineStatus != 2) report += e.name + " -plan: no plan printed\n";
    const bool reference = std::find(e.options.begin(), e.options.end(), "-reference") != e.options.end();
    const bool denseAsked = std::find(e.options.begin(), e.options.end(), "-dense") != e.options.end();
    for (const printedPlan& p : plans) {
      if (!reference) {
        const std::string d = routeDifferences(c, denseAsked, p);
        if (!d.empty()) report += e.name + " -plan: " + d;
        continue;
      }
      for (const auto& [phase, route] : p.phases)
        if (route.rfind("straightforward", 0) != 0) report += e.name + " -plan: " + phase + ": " + route + "\n";
    }
  }
  return report;
}

fs::path temporaryFolder(const std::string& name) {
  std::string pattern = (fs::temp_directory_path() / ("verdalis_diff_" + name + "_XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) return fs::path();
  return pattern;
}

// Runs one case and reports every difference; `rerun` is the environment
// that makes the same case alone.
void checkCase(const landscapeCase& c, const std::string& name, const std::string& rerun) {
  const fs::path work = temporaryFolder(name);
  ASSERT_FALSE(work.empty()) << "no temporary folder";
  writeFile(work / "nodes.txt", c.nodes);
  writeFile(work / "connections.txt", c.connections);
  const runPlan plan = planOf(c);
  int status = -1;
  std::string report = compareEngines(work, c, plan, status);
  report += checkRoutes(work, c, plan, status);

  const std::string command = quoted(c.arguments);
  tally::record(status);
  if (std::getenv("VERDALIS_DIFF_VERBOSE") != nullptr) {
    std::cout << "  " << name << " (" << c.summary << ") status " << status << "\n  verdalis " << command << "\n";
  }
  if (!report.empty()) {
    const fs::path saved = saveFailure(work, name, c, plan,
                                       "case " + name + " (" + c.summary + ")\ncommand: verdalis " + command +
                                           "\nrerun: " + rerun + "\n" + report);
    ADD_FAILURE() << "case " << name << " (" << c.summary << ")\n  verdalis " << command << "\n"
                  << report << "inputs and outputs saved in " << saved.string() << "\n  rerun: " << rerun;
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
}

int firstCase() { return static_cast<int>(envNumber("VERDALIS_DIFF_FIRST", 0)); }
int caseCount() { return static_cast<int>(envNumber("VERDALIS_DIFF_CASES", 600)); }
int sparseCaseCount() { return static_cast<int>(envNumber("VERDALIS_DIFF_SPARSE_CASES", caseCount() / 10)); }
int sparseLinkCaseCount() { return static_cast<int>(envNumber("VERDALIS_DIFF_SPARSE_LINK_CASES", 3)); }

// `only`: the environment that leaves the case's series alone.
std::string rerunText(std::uint64_t series, int index, const std::string& only) {
  return "VERDALIS_DIFF_SEED=" + std::to_string(series) + " VERDALIS_DIFF_FIRST=" + std::to_string(index) + " " + only;
}

const char* const kOnlyRandom = "VERDALIS_DIFF_CASES=1 VERDALIS_DIFF_SPARSE_CASES=0 VERDALIS_DIFF_SPARSE_LINK_CASES=0";
const char* const kOnlySparse = "VERDALIS_DIFF_CASES=0 VERDALIS_DIFF_SPARSE_CASES=1 VERDALIS_DIFF_SPARSE_LINK_CASES=0";
const char* const kOnlySparseLinks =
    "VERDALIS_DIFF_CASES=0 VERDALIS_DIFF_SPARSE_CASES=0 VERDALIS_DIFF_SPARSE_LINK_CASES=1";

class Differential : public testing::TestWithParam<int> {};

TEST_P(Differential, EnginesWriteTheSameBytes) {
  const int index = GetParam();
  const std::uint64_t series = seriesSeed();
  checkCase(caseMaker(caseSeed(series, index), maxNodes()).make(),
            "seed" + std::to_string(series) + "_case" + std::to_string(index), rerunText(series, index, kOnlyRandom));
}

INSTANTIATE_TEST_SUITE_P(Random, Differential, testing::Range(firstCase(), firstCase() + caseCount()),
                         [](const testing::TestParamInfo<int>& info) { return "case" + std::to_string(info.param); });

class SparseDifferential : public testing::TestWithParam<int> {};

// Seeds of their own, so that sparse case k is no relative of ordinary case k.
TEST_P(SparseDifferential, EnginesWriteTheSameBytes) {
  const int index = GetParam();
  const std::uint64_t series = seriesSeed();
  checkCase(sparseCaseMaker(caseSeed(~series, index), maxNodes()).make(),
            "seed" + std::to_string(series) + "_sparse" + std::to_string(index), rerunText(series, index, kOnlySparse));
}

INSTANTIATE_TEST_SUITE_P(Sparse, SparseDifferential, testing::Range(firstCase(), firstCase() + sparseCaseCount()),
                         [](const testing::TestParamInfo<int>& info) { return "case" + std::to_string(info.param); });

class SparseLinkDifferential : public testing::TestWithParam<int> {};

TEST_P(SparseLinkDifferential, EnginesWriteTheSameBytes) {
  const int index = GetParam();
  const std::uint64_t series = seriesSeed();
  checkCase(sparseLinkCaseMaker(caseSeed(series ^ 0x5A17C0DEULL, index), maxNodes()).make(),
            "seed" + std::to_string(series) + "_links" + std::to_string(index),
            rerunText(series, index, kOnlySparseLinks));
}

INSTANTIATE_TEST_SUITE_P(SparseLinks, SparseLinkDifferential,
                         testing::Range(firstCase(), firstCase() + sparseLinkCaseCount()),
                         [](const testing::TestParamInfo<int>& info) { return "case" + std::to_string(info.param); });

// A landscape of the user's: VERDALIS_DIFF_ARGS holds the whole command line
// (with absolute file names, since every run has its own folder), split at
// blanks; VERDALIS_DIFF_NAME names the saved failure. Compared with the
// reference like a random case, or, with VERDALIS_DIFF_BASELINE, as it is
// with itself plus the baseline's options. Skipped without them.
TEST(GivenLandscape, EnginesWriteTheSameBytes) {
  const std::string line = envText("VERDALIS_DIFF_ARGS", "");
  if (line.empty()) GTEST_SKIP() << "VERDALIS_DIFF_ARGS not set";
  landscapeCase c;
  std::istringstream words(line);
  for (std::string w; words >> w;) c.arguments.push_back(w);
  const std::string name = envText("VERDALIS_DIFF_NAME", "given");
  c.summary = "given landscape " + name;
  c.notall = std::find(c.arguments.begin(), c.arguments.end(), "all") == c.arguments.end();
  runPlan plan = planOf(c);
  const std::string baseline = envText("VERDALIS_DIFF_BASELINE", "");
  if (!baseline.empty()) {
    std::istringstream options(baseline);
    plan.baseline = {"baseline", {}};
    for (std::string w; options >> w;) plan.baseline.options.push_back(w);
    plan.others = {{"given", {}}};
  }
  const fs::path work = temporaryFolder(name);
  ASSERT_FALSE(work.empty()) << "no temporary folder";
  int status = -1;
  const std::string report = compareEngines(work, c, plan, status);
  EXPECT_EQ(status, 0) << "the " << plan.baseline.name << " run did not run to the end";
  if (!report.empty()) {
    const fs::path saved = saveFailure(work, name, c, plan, "command: verdalis " + line + "\n" + report);
    ADD_FAILURE() << "verdalis " << line << "\n" << report << "outputs saved in " << saved.string();
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
}

// The masking must hide only the varying parts of the console text.
TEST(DifferentialMasking, HidesStampsAndDurationsOnly) {
  const std::string console =
      "Execution started at: Tue Dec  8 03:27:19 2026\n\nNumber of nodes to process: 3\n"
      "Indices processing started at: Tue Dec  8 03:27:19 2026\n\n"
      "Processing node number 2 of 3 (66%)\rExecution ended\n"
      "Processing time for indices:\nNC:  0 seconds\nBC_PC:  1 minutes 2 seconds\n\n\n"
      "Execution ended at: Tue Dec  8 03:28:21 2026\n\nTotal processing time:  1 minutes 2 seconds\n";
  EXPECT_EQ(masked(console),
            "Execution started at: <masked>\n\nNumber of nodes to process: 3\n"
            "Indices processing started at: <masked>\n\n"
            "Processing node number 2 of 3 (66%)\rExecution ended\n"
            "Processing time for indices:\nNC: <duration>\nBC_PC: <duration>\n\n\n"
            "Execution ended at: <masked>\n\nTotal processing time: <masked>\n");
  EXPECT_NE(masked("Processing time for indices:\nNC:  0 seconds\nPC\t3 seconds\n"),
            masked("Processing time for indices:\nNC:  0 seconds\nPC\t4 seconds\n"));
  EXPECT_EQ(withoutPhaseLines("Warning: x\nNode removals: 90% done, about 1 s left\nNode removals: done in 3 s\n"
                              "Summary: Node removals: 2\n"),
            "Warning: x\nSummary: Node removals: 2\n");
}

}  // namespace

}  // namespace verdalis
