// The run object's state: construction, allocation of the arrays and the
// pair stores, the whole loading step, and the run summary.
#include <string>

#include "load_fixture.h"

namespace verdalis {

namespace {

TEST(ProgramState, ConstructorTakesTheProbabilityPairInCommandLineOrder) {
  runSetup s;
  s.kDistance = 400;
  s.kProb = 0.25f;
  s.landArea = 5e6f;
  auto p = makeProgram(s);
  EXPECT_EQ(p->kDistanceProb, 400);
  EXPECT_EQ(p->kProbProb, 0.25f);
  EXPECT_EQ(p->midaSizeLandscapeArea(), 5e6f);
  EXPECT_EQ(p->landGlobal, nullptr);
  p.reset();  // destroying an object that was never loaded is safe
}

TEST(ProgramState, ArraysAndPairStoresHaveTheirSizes) {
  scratchDir dir;
  runSetup s;
  s.add = true;
  s.removal = true;
  s.change = true;
  s.nodes = dir.write("n.txt", "1 1 1\n2 1 0\n3 1 1\n4 1 1\n5 1 1\n6 1 0\n");
  s.connections = dir.write("c.txt", "1 3 5 5\n");
  auto p = makeProgram(s);
  std::string printed = printedBy([&] {
    EXPECT_EQ(p->initial_check(), 0);
    EXPECT_EQ(p->load_data(), 0);
  });
  EXPECT_EQ(printed, "");
  EXPECT_EQ(p->numberNodes(), 4);
  EXPECT_EQ(p->numberNodesAdd(), 2);
  EXPECT_EQ(p->nNodes + p->nNodesAdd, p->nNodesTotal);
  EXPECT_EQ(p->label.size(), 4u);
  EXPECT_EQ(p->size.size(), 4u);
  EXPECT_EQ(p->labelAdd.size(), 2u);
  EXPECT_EQ(p->sizeAdd.size(), 2u);
  EXPECT_EQ(p->connections.rows(), 4u);
  EXPECT_EQ(p->connections.cols(), 4u);
  EXPECT_EQ(p->connectionsDiff.rows(), 4u);
  EXPECT_EQ(p->connectionsAdd.rows(), 2u);
  EXPECT_EQ(p->connectionsAdd.cols(), 4u);
  ASSERT_NE(p->landGlobal, nullptr);
  EXPECT_EQ(p->landDel.size(), 4u);
  EXPECT_EQ(p->landAdd.size(), 2u);
  EXPECT_EQ(p->landDelCon.size(), 6u);  // one entry per unordered pair
  EXPECT_TRUE(p->landConSure.empty());
  EXPECT_EQ(p->landConDiff.size(), 6u);
  EXPECT_EQ(p->connections(0, 1), 5);
}

TEST(ProgramState, WithoutLinkChangeThereIsNoChangedMatrix) {
  scratchDir dir;
  runSetup s;
  s.improvement = true;
  s.nodes = dir.write("n.txt", "1 1\n");
  s.connections = dir.write("c.txt", "");
  auto p = makeProgram(s);
  p->nNodesTotal = 1;
  printedBy([&] { p->create_arrays(); });
  EXPECT_TRUE(p->connectionsDiff.empty());
  EXPECT_TRUE(p->landConSure.empty());  // a single node has no pair
  EXPECT_EQ(p->landDel.size(), 1u);
}

// ---- run summary ----

std::string summaryOf(const scratchDir& dir, runSetup s, const std::string& nodes,
                      const std::string& connections = "1 2 10\n") {
  s.nodes = dir.write("nodes.txt", nodes);
  s.connections = dir.write("con.txt", connections);
  auto p = makeProgram(s);
  printedBy([&] {
    EXPECT_EQ(p->initial_check(), 0);
    p->load_data();
  });
  std::string text = p->information_execution();
  // The paths depend on the scratch directory; the tests compare the rest.
  std::size_t cut = text.find("Node file: ");
  EXPECT_EQ(text.substr(cut), "Node file: " + s.nodes + "\nConnection file: " + s.connections + "\n");
  return text.substr(0, cut);
}

TEST(RunSummary, CandidatesAndBinaryThreshold) {
  scratchDir dir;
  runSetup s;
  s.add = true;
  s.adjacentTail = 1500;
  EXPECT_EQ(summaryOf(dir, s, "1 10.5 1\n2 20 1\n3 7 0\n4 1 1\n5 8 0\n"),
            "Number of nodes to process: 5\n"
            "3 of these nodes already exist in the landscape, and the remaining 2 are candidates to be added in the "
            "landscape\n"
            "Sum of the attributes of existing nodes: 31.5\n"
            "Distance threshold (binary indices): 1500\n");
}

TEST(RunSummary, LandscapeAttributeProbabilitiesAndHeuristic) {
  scratchDir dir;
  runSetup s;
  s.iic = false;
  s.pc = true;
  s.kDistance = 2500;
  s.kProb = 0.36f;
  s.minProb = 0.001f;
  s.landArea = 1234567;
  s.removal = true;
  s.improvement = true;
  s.pij = 0.5f;
  EXPECT_EQ(summaryOf(dir, s, "1 10\n2 20\n"),
            "Number of nodes to process: 2\n"
            "Maximum landscape attribute (AL): 1.23457e+06\n"
            "Sum of the attributes of existing nodes: 30\n"
            "Distance and probability (probabilistic indices): 2500 0.36\n"
            "Minimum direct and product probability considered for PC: 0.001\n"
            "link removal  link improvement  with heuristic value threshold: 0.5\n");
}

TEST(RunSummary, AllPathsAndEveryLinkChecked) {
  scratchDir dir;
  runSetup s;
  s.f = true;
  s.pc = true;
  s.allpaths = true;
  s.change = true;
  EXPECT_EQ(summaryOf(dir, s, "1 1\n2 1\n", "1 2 10 20\n"),
            "Number of nodes to process: 2\n"
            "Sum of the attributes of existing nodes: 2\n"
            "Distance threshold (binary indices): 1000\n"
            "Distance and probability (probabilistic indices): 1000 0.5\n"
            "PC computed in the default mode: checking all paths (no connections discarded)\n"
            "link change checking all links\n");
}

TEST(RunSummary, UnusableLandscapeAttributeIsNotShown) {
  scratchDir dir;
  runSetup s;
  s.landArea = 10;
  EXPECT_EQ(summaryOf(dir, s, "1 10\n2 20\n"),
            "Number of nodes to process: 2\n"
            "Sum of the attributes of existing nodes: 30\n"
            "Distance threshold (binary indices): 1000\n");
}

}  // namespace

}  // namespace verdalis
