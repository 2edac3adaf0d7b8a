// The plan of a run: which form and which route of every phase the options
// and the values read choose, the text -plan prints, and, for whole runs in
// process, that every phase takes the route its plan gives.
#include <gtest/gtest.h>

#include <string>

#include "load_fixture.h"
#include "program/run_plan.h"

namespace verdalis {

namespace {

// A notall file of 10 patches asking for every phase, with the engine.
planInputs everyPhase() {
  planInputs in;
  in.options.engine = true;
  in.threads = 2;
  in.probabilistic = in.pc = true;
  in.bc = in.bciic = in.bcpc = true;
  in.nodeAnalyses = in.removals = true;
  in.linkRemoval = in.linkImprovement = in.linkChange = true;
  in.nodes = 10;
  in.candidates = 2;
  in.valuesRead = true;
  return in;
}

void expectEveryRoute(const runPlan& plan, phaseRoute route) {
  for (int k = 0; k < kRunPhases; ++k) {
    SCOPED_TRACE(phaseText(static_cast<runPhase>(k)));
    EXPECT_TRUE(plan.phases[k].asked);
    EXPECT_EQ(plan.phases[k].route, route);
  }
}

TEST(RunPlan, TheOptionsChooseTheForm) {
  planInputs in = everyPhase();
  runPlan plan = chooseRunPlan(in);
  EXPECT_EQ(plan.form, landscapeForm::sparse);
  EXPECT_EQ(plan.why, formReason::notallFile);
  expectEveryRoute(plan, phaseRoute::sparseEngine);
  EXPECT_EQ(plan.threads, 2u);

  struct option {
    void (*set)(planInputs&);
    formReason why;
  };
  const option dense[] = {
      {[](planInputs& i) { i.allFile = true; }, formReason::allFile},
      {[](planInputs& i) { i.options.denseAsked = true; }, formReason::denseAsked},
      {[](planInputs& i) { i.options.savedPaths = true; }, formReason::savedPaths},
      {[](planInputs& i) { i.unlistedPairsLinked = true; }, formReason::unlistedPairsLinked},
      {[](planInputs& i) { i.options.engine = false; }, formReason::referenceAsked},
  };
  for (const option& o : dense) {
    planInputs changed = everyPhase();
    o.set(changed);
    plan = chooseRunPlan(changed);
    EXPECT_EQ(plan.form, landscapeForm::dense);
    EXPECT_EQ(plan.optionsForm, landscapeForm::dense);
    EXPECT_EQ(plan.why, o.why);
  }

  // -reference: the straightforward route throughout, on one thread.
  in.options.engine = false;
  plan = chooseRunPlan(in);
  expectEveryRoute(plan, phaseRoute::straightforward);
  EXPECT_EQ(plan.inFull, fullSearch::scan);
  EXPECT_EQ(plan.threads, 1u);
  EXPECT_FALSE(plan.usesEngine());
}

TEST(RunPlan, ValuesThatOnlyTheStraightforwardSearchesTakeTurnASparseRunDense) {
  planInputs in = everyPhase();
  in.probabilityAboveOne = true;
  runPlan plan = chooseRunPlan(in);
  EXPECT_EQ(plan.form, landscapeForm::dense);
  EXPECT_EQ(plan.optionsForm, landscapeForm::sparse);
  EXPECT_EQ(plan.why, formReason::probabilityAboveOne);
  // The engine keeps the global PC; the variants' searches are left to the
  // straightforward route.
  EXPECT_EQ(plan.route(runPhase::overall), phaseRoute::denseEngine);
  for (runPhase phase : {runPhase::removals, runPhase::linkRemoval, runPhase::linkImprovement, runPhase::linkChange}) {
    EXPECT_EQ(plan.route(phase), phaseRoute::straightforward);
    EXPECT_EQ(plan[phase].why, routeReason::probabilityAboveOne);
  }
  // Without PC a probability above 1 changes no search: the dense engine.
  in.pc = in.bcpc = false;
  plan = chooseRunPlan(in);
  EXPECT_EQ(plan.form, landscapeForm::dense);
  EXPECT_EQ(plan.route(runPhase::removals), phaseRoute::denseEngine);
  // Without any probabilistic index it does not count at all.
  in.probabilistic = false;
  EXPECT_EQ(chooseRunPlan(in).form, landscapeForm::sparse);

  // A changed probability above 1 counts for PC with -change only, and only
  // the change leaves the engine.
  in = everyPhase();
  in.changedProbabilityAboveOne = true;
  plan = chooseRunPlan(in);
  EXPECT_EQ(plan.why, formReason::changedProbabilityAboveOne);
  EXPECT_EQ(plan.route(runPhase::linkChange), phaseRoute::straightforward);
  EXPECT_EQ(plan.route(runPhase::linkRemoval), phaseRoute::denseEngine);
  EXPECT_EQ(plan.route(runPhase::removals), phaseRoute::denseEngine);
  in.linkChange = false;
  EXPECT_EQ(chooseRunPlan(in).form, landscapeForm::sparse);

  in = everyPhase();
  in.productsOverflow = true;
  plan = chooseRunPlan(in);
  EXPECT_EQ(plan.why, formReason::productsOverflow);
  EXPECT_EQ(plan.route(runPhase::removals), phaseRoute::denseEngine);

  // Before the values are read nothing of them counts.
  in.valuesRead = false;
  EXPECT_EQ(chooseRunPlan(in).form, landscapeForm::sparse);
}

TEST(RunPlan, RoutesOfTheDenseForm) {
  planInputs in = everyPhase();
  in.allFile = true;
  runPlan plan = chooseRunPlan(in);
  EXPECT_EQ(plan.route(runPhase::overall), phaseRoute::denseEngine);
  EXPECT_EQ(plan.route(runPhase::betweenness), phaseRoute::denseEngine);
  EXPECT_EQ(plan.route(runPhase::removals), phaseRoute::denseEngine);
  EXPECT_EQ(plan.route(runPhase::linkChange), phaseRoute::denseEngine);
  EXPECT_EQ(plan.route(runPhase::additions), phaseRoute::straightforward);
  EXPECT_EQ(plan[runPhase::additions].why, routeReason::noDenseEngine);
  EXPECT_EQ(plan.inFull, fullSearch::exactSearches);

  // The engine of the dense form searches PC, BC(IIC) and BC(PC).
  in.pc = in.bcpc = in.bciic = false;
  plan = chooseRunPlan(in);
  EXPECT_EQ(plan.route(runPhase::overall), phaseRoute::straightforward);
  EXPECT_EQ(plan.route(runPhase::betweenness), phaseRoute::straightforward);
  EXPECT_EQ(plan.route(runPhase::removals), phaseRoute::denseEngine);

  in = everyPhase();
  in.allFile = true;
  in.nodes = 1;
  plan = chooseRunPlan(in);
  EXPECT_EQ(plan.route(runPhase::removals), phaseRoute::denseEngine);
  EXPECT_EQ(plan[runPhase::linkRemoval].why, routeReason::fewerThanTwoPatches);
  in.nodes = 0;
  in.candidates = 0;
  plan = chooseRunPlan(in);
  EXPECT_EQ(plan[runPhase::removals].why, routeReason::noExistingPatch);
  EXPECT_FALSE(plan[runPhase::additions].asked);

  in = everyPhase();
  in.allFile = in.options.savedPaths = true;
  plan = chooseRunPlan(in);
  EXPECT_EQ(plan.route(runPhase::overall), phaseRoute::savedPaths);
  EXPECT_EQ(plan.route(runPhase::removals), phaseRoute::savedPaths);
  EXPECT_EQ(plan[runPhase::linkRemoval].why, routeReason::savedPaths);

  in = everyPhase();
  in.nodeAnalyses = false;
  plan = chooseRunPlan(in);
  for (runPhase phase : {runPhase::removals, runPhase::additions, runPhase::linkRemoval}) EXPECT_FALSE(plan[phase].asked);
  EXPECT_TRUE(plan[runPhase::overall].asked);
}

TEST(RunPlan, PrintedPlan) {
  planInputs in = everyPhase();
  in.linkImprovement = in.linkChange = in.bc = in.bciic = false;
  in.valuesRead = false;
  EXPECT_EQ(planText(chooseRunPlan(in), "n.txt and c.txt"),
            "Plan of the run on n.txt and c.txt:\n"
            "Form: sparse (held by neighbour: each patch keeps its own pairs): a notall connection file (before the "
            "values are read, which may still turn it dense)\n"
            "Overall landscape: engine, sparse form\n"
            "Betweenness: engine, sparse form\n"
            "Node removals: engine, sparse form\n"
            "Node additions: engine, sparse form\n"
            "Link removal: engine, sparse form\n"
            "Threads: 2\n");
  in.valuesRead = in.probabilityAboveOne = true;
  in.bcpc = false;
  in.candidates = 0;
  EXPECT_EQ(planText(chooseRunPlan(in), "n.txt and c.txt"),
            "Plan of the run on n.txt and c.txt:\n"
            "Form: dense (held whole: n x n matrices): a probability above 1 was read, which only the "
            "straightforward searches take; the options alone chose the sparse form\n"
            "Overall landscape: engine, dense form\n"
            "Node removals: straightforward (a probability above 1)\n"
            "Link removal: straightforward (a probability above 1)\n"
            "Threads: 2\n");
}

// ---------------------------------------------------------------- whole runs

// Six patches and two candidates, every index and analysis, from a notall
// file with a changed value each.
struct wholeRun {
  scratchDir dir;
  std::unique_ptr<quivaraProgram<double>> program;

  explicit wholeRun(const std::string& connections, bool engine, bool dense) {
    runSetup s;
    s.iic = s.nc = s.h = s.ccp = s.lcp = s.nl = s.f = s.awf = s.pc = s.bc = s.bcpc = s.bciic = true;
    s.add = s.removal = s.improvement = s.change = true;
    s.landArea = 100;
    s.nodes = dir.write("n.txt", "1 2 1\n2 1 1\n3 4 1\n4 1 1\n5 3 1\n6 1 1\n7 2 0\n8 1 0\n");
    s.connections = dir.write("c.txt", connections);
    program = makeProgram(s);
    program->routing.engine = engine;
    program->routing.denseAsked = dense;
    program->threads = 2;
    printedBy([&] {
      EXPECT_EQ(program->initial_check(), 0);
      program->load_data();
      program->generacio_indexos();
    });
  }

  // Every phase asked took the route of the plan, and no other phase ran.
  void expectPlanTaken() const {
    for (int k = 0; k < kRunPhases; ++k) {
      const runPhase phase = static_cast<runPhase>(k);
      SCOPED_TRACE(phaseText(phase));
      if (program->plan[phase].asked) {
        ASSERT_TRUE(program->taken.of(phase).has_value());
        EXPECT_STREQ(routeText(*program->taken.of(phase)), routeText(program->plan.route(phase)));
      } else
        EXPECT_FALSE(program->taken.of(phase).has_value());
    }
  }
};

const char* const kLines =
    "1 2 400 300\n2 1 400 300\n2 3 900 2000\n3 2 900 2000\n3 4 300 300\n4 3 300 300\n"
    "4 5 1500 800\n5 4 1500 800\n5 6 200 200\n6 5 200 200\n7 1 500 500\n8 6 300 300\n";

TEST(RunPlan, EveryPhaseTakesThePlannedRoute) {
  const wholeRun sparse(kLines, true, false);
  EXPECT_EQ(sparse.program->plan.form, landscapeForm::sparse);
  EXPECT_TRUE(sparse.program->plan.final);
  EXPECT_EQ(sparse.program->plan.route(runPhase::removals), phaseRoute::sparseEngine);
  sparse.expectPlanTaken();

  const wholeRun dense(kLines, true, true);
  EXPECT_EQ(dense.program->plan.route(runPhase::removals), phaseRoute::denseEngine);
  EXPECT_EQ(dense.program->plan.route(runPhase::additions), phaseRoute::straightforward);
  dense.expectPlanTaken();

  const wholeRun reference(kLines, false, false);
  EXPECT_FALSE(reference.program->plan.usesEngine());
  reference.expectPlanTaken();

  // A negative distance: the probability passes 1 and the run turns dense.
  const wholeRun turned(std::string(kLines) + "6 1 -10 100\n", true, false);
  EXPECT_EQ(turned.program->plan.why, formReason::probabilityAboveOne);
  EXPECT_EQ(turned.program->plan.route(runPhase::removals), phaseRoute::straightforward);
  EXPECT_EQ(turned.program->connectionValue(5, 0), -10);
  turned.expectPlanTaken();
}

}  // namespace

}  // namespace verdalis
