#pragma once
// The plan of one run: the form its landscape is held in and the route of
// every phase, chosen in one place from the options and the files, so that
// one value says which code computes every result.
//
// The forms are those of landscape/landscape_form.h: dense (held whole) and
// sparse (each patch keeps its own pairs). The routes of a phase are three:
// straightforward (every variant built and measured in full, as -reference
// runs), the engine on the dense form, the engine on the sparse form; the
// removals have a fourth, the saved-path search, which no option of the
// command line takes. Every route gives the same values to the last bit.
//
// The plan is chosen twice. The first plan comes from the options and the
// shape of the files, once the initial check has counted their lines: the
// form the files are read into, and the memory estimate. The final plan
// comes once the values are read, and differs from the first in one step
// only: a value that only the straightforward searches take (a probability
// above 1, ...) turns a sparse run dense, and moves the phases it concerns
// to the straightforward route; the plan then says which value did it.
// Choosing is O(1); looking at the values read is O(listed pairs) for the
// sparse form, O(n²) comparisons for the dense one.
#include <array>
#include <optional>
#include <string>

#include "landscape/landscape_form.h"

namespace verdalis {

enum class phaseRoute { straightforward, savedPaths, denseEngine, sparseEngine };

// The phases of a run, in the order the analysis takes them (betweenness
// is measured first, within the overall landscape).
enum class runPhase { overall, betweenness, removals, additions, linkRemoval, linkImprovement, linkChange };
constexpr int kRunPhases = 7;

// Why the landscape is held in its form.
enum class formReason {
  notChosen,  // no plan was chosen: the straightforward route on the dense form
  notallFile,
  allFile,
  referenceAsked,
  denseAsked,
  savedPaths,
  unlistedPairsLinked,         // a binary threshold that links the pairs no line lists
  probabilityAboveOne,         // read: a direct probability above 1
  changedProbabilityAboveOne,  // read, with PC and -change: a changed value gives one
  productsOverflow,            // read: two attributes whose product overflows single precision
};

// Why a phase takes a route other than the engine of its form.
enum class routeReason {
  none,
  referenceAsked,
  savedPaths,
  noDenseEngine,  // the engine has no route for it on the dense form
  noExistingPatch,
  fewerThanTwoPatches,
  probabilityAboveOne,
  changedProbabilityAboveOne,
};

// How PC is searched where a landscape is measured in full: the linear
// scan of the straightforward computation, or the engine's exact searches
// on the run's threads, which give the scan's rows (graph/exact_search.h).
enum class fullSearch { scan, exactSearches };

struct phasePlan {
  bool asked = false;
  phaseRoute route = phaseRoute::straightforward;
  routeReason why = routeReason::none;
};

struct runPlan {
  landscapeForm form = landscapeForm::dense;
  formReason why = formReason::notChosen;
  bool final = false;  // chosen with the values read
  // What the options alone chose; it differs from form only where a value
  // read turned a sparse run dense.
  landscapeForm optionsForm = landscapeForm::dense;
  std::array<phasePlan, kRunPhases> phases{};
  fullSearch inFull = fullSearch::scan;
  unsigned threads = 1;

  phasePlan& operator[](runPhase phase) { return phases[static_cast<int>(phase)]; }
  const phasePlan& operator[](runPhase phase) const { return phases[static_cast<int>(phase)]; }
  phaseRoute route(runPhase phase) const { return (*this)[phase].route; }
  bool usesEngine() const;
};

// What the command line asks of the way a run computes, beside what it
// computes.
struct routeOptions {
  bool engine = false;      // off (-reference): the straightforward route throughout, on one thread
  bool denseAsked = false;  // -dense
  bool savedPaths = false;  // the saved-path search of the removals
  bool pcDrops = false;     // node removals by neighbour: PC's drops from the terms that change
  int pcDropNodes = 0;      // with them, the first nodes measured (0: all)
};

// What a plan is chosen from. Counts are -1 while unknown (the first plan).
struct planInputs {
  routeOptions options;
  unsigned threads = 1;
  bool allFile = false;
  bool unlistedPairsLinked = false;
  bool probabilistic = false;  // F, AWF, PC or BC(PC): the direct probabilities
  bool pc = false;
  bool bc = false, bciic = false, bcpc = false;
  bool nodeAnalyses = false;  // not "onlyoverall"
  bool removals = false;      // the node removals, when the node analyses run
  bool linkRemoval = false, linkImprovement = false, linkChange = false;
  long long nodes = -1, candidates = -1;
  // Once the values are read:
  bool valuesRead = false;
  bool probabilityAboveOne = false;
  bool changedProbabilityAboveOne = false;
  bool productsOverflow = false;
};

runPlan chooseRunPlan(const planInputs& in);

// The routes a run took, recorded by the code of each route as it runs.
struct routesTaken {
  std::array<std::optional<phaseRoute>, kRunPhases> routes{};
  void record(runPhase phase, phaseRoute route) { routes[static_cast<int>(phase)] = route; }
  std::optional<phaseRoute> of(runPhase phase) const { return routes[static_cast<int>(phase)]; }
};

// The plan as -plan prints it, a line per asked phase; `files` names the
// run's input files.
std::string planText(const runPlan& plan, const std::string& files);

// "engine, sparse form", ...: the words of the printed plan.
const char* routeText(phaseRoute route);
const char* phaseText(runPhase phase);

}  // namespace verdalis
