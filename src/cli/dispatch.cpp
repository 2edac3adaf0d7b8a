// Running what the command line asks: the help, the version, the refusal
// of a bad command line, or the runs, once, per threshold value or per
// pair of files.
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/help.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/problem_log.h"

namespace verdalis {

namespace {

// ": 2 problems, said above".
std::string refusalCount(const std::vector<commandLineProblem>& told) {
  long long count = 0;
  for (const commandLineProblem& problem : told) count += problem.level == problemLevel::error ? 1 : 0;
  if (count == 0) return "";
  return ": " + toText(count) + (count == 1 ? " problem" : " problems") + ", said above";
}

}  // namespace

int worseStatus(int a, int b) {
  auto rank = [](int status) {
    switch (status) {
      case kExitDone: return 0;
      case kExitInvalidInput: return 1;
      case kExitRunFailed: return 2;
      case kExitCommandLine: return 3;
      default: return 4;
    }
  };
  return rank(b) > rank(a) ? b : a;
}

int executaWith(dataArg arg, const runFunction& runDouble, const runFunction& runSimple) {
  const runFunction& run = arg.precission != 0 ? runDouble : runSimple;
  if (!arg.type1_iteration) return run(arg);
  // Every run of the range writes under the same prefix, which names the
  // thresholds as they were given.
  if ((arg.CCP || arg.LCP || arg.IIC || arg.H) && arg.prefix_name.find("_b_") == std::string::npos)
    arg.setPrefix(arg.prefix_name + "_b+_");
  if ((arg.PC || arg.AWF || arg.F) && arg.prefix_name.find("_p_") == std::string::npos)
    arg.setPrefix(arg.prefix_name + "_p+_");
  int status = kExitDone;
  for (float v = arg.min_iteration; v < arg.max_iteration;) {
    arg.adjacentTail = v;
    arg.kDistanceProb = v;
    status = worseStatus(status, run(arg));
    float next = v + arg.step_iteration;
    if (!(next > v)) break;  // a step that cannot advance would repeat this value forever
    v = next;
  }
  arg.adjacentTail = arg.max_iteration;
  arg.kDistanceProb = arg.max_iteration;
  return worseStatus(status, run(arg));
}

int dispatchArguments(int argc, char** argv, const runFunction& executa) {
  dataArg arg;
  std::string messages;
  std::vector<commandLineProblem> told;
  int errors = readArguments(argc, argv, arg, messages, told);
  if (arg.help != 0) {
    say(usageText());
    // Asked for by name, help lists every option; an empty command line
    // keeps to the usage lines and says where the rest is.
    if (argc > 1)
      say(helpReference());
    else
      tellUser("Every option: verdalis --help");
    return kExitDone;
  }
  if (arg.version) {
    say(versionText());
    return kExitDone;
  }
  say(messages);
  if (errors != 0) say("\nError\n");
  for (const commandLineProblem& problem : told) problems().note(problem.level, problem.text, problem.text);
  arg.commandLineWarnings = problems().tell();
  if (errors != 0) {
    tellUser("The command line was refused" + refusalCount(told) + ". verdalis --help lists every option.");
    return kExitCommandLine;
  }
  if (arg.searchSimilar) return runFilePairs(arg, executa);
  return executa(arg);
}

}  // namespace verdalis
