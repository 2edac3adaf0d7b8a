// The result-file writers on a run object whose landscapes carry values set
// here directly: file contents, when a file is created or appended to, and
// what happens to a file that cannot be written.
#include "reports/saveresults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "cli/dataArg.h"

namespace fs = std::filesystem;

namespace {

using program = quivaraProgram<double>;

// A run object with the given indices selected (names as on the command
// line) and two existing nodes, identifiers 7 and 9, of attributes 1 and 3.
std::unique_ptr<program> makeProgram(const std::set<std::string>& indices, bool inputDist = true) {
  auto has = [&indices](const char* name) { return indices.count(name) > 0; };
  auto p = std::make_unique<program>(inputDist, !inputDist, false, has("A"), has("CCP"), has("LCP"), has("IIC"),
                                     has("NC"), has("NL"), has("H"), has("F"), has("AWF"), has("PC"), has("BC"),
                                     has("BCPC"), has("BCIIC"), "nodes.txt", "connections.txt", 1000, 1000, 0.5f, 0,
                                     false, false, false, false, false, false, false, false, -1, false, 0);
  p->nNodes = 2;
  p->nNodesTotal = 2;
  p->label = {7, 9};
  p->size = {1, 3};
  p->sizeTotalHabitat = 4;
  p->sizeLandscapeArea = 1;
  p->landGlobal = new landscape<double>();
  p->landDel.resize(2);
  return p;
}

class SaveResultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "verdalis_save_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string path(const std::string& name) const { return (dir / name).string(); }
  static std::string read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir;
  saveresults<double> writer;
};

void setOverallValues(landscape<double>& g) {
  g.nl = 3;
  g.nc = 2;
  g.h = 2.5f;
  g.ccp = 0.625f;
  g.lcpnum = 40;
  g.lcp = 0.4;
  g.iicnum = 24;
  g.iicec = std::sqrt(24.0);
  g.iic = 0.24;
  g.f = 1.5f;
  g.awf = 6;
  g.pcnum = 20;
  g.pcec = std::sqrt(20.0);
  g.pc = 0.2;
  g.pcIntraGlob = 10;
  g.pcDirectGlob = 6;
  g.pcStepGlob = 4;
}

const char* const kAllOverallIndices[] = {"NL", "NC", "H", "CCP", "LCP", "IIC", "F", "AWF", "PC"};

TEST_F(SaveResultsTest, OverallIndicesWithoutLandscapeAreaLeaveOutTheNormalisedValues) {
  auto p = makeProgram(std::set<std::string>(std::begin(kAllOverallIndices), std::end(kAllOverallIndices)));
  setOverallValues(*p->landGlobal);
  writer.ActionSaveGlobResExecute(p.get(), path("overall_indices.txt"), dataArg());
  EXPECT_EQ(read(path("overall_indices.txt")),
            "NL\t3\nNC\t2\nH\t2.5\nCCP\t0.625\nLCPnum\t40\nIICnum\t24\nEC(IIC)\t4.89898\nF\t1.5\nAWF\t6\n"
            "PCnum\t20\nEC(PC)\t4.47214\nPCintra(%)\t50\nPCdirect(%)\t30\nPCstep(%)\t20\n");

  p->utilLandscapeArea = true;
  writer.ActionSaveGlobResExecute(p.get(), path("overall_indices.txt"), dataArg());
  EXPECT_EQ(read(path("overall_indices.txt")),
            "NL\t3\nNC\t2\nH\t2.5\nCCP\t0.625\nLCPnum\t40\nLCP\t0.4\nIICnum\t24\nEC(IIC)\t4.89898\nIIC\t0.24\n"
            "F\t1.5\nAWF\t6\nPCnum\t20\nEC(PC)\t4.47214\nPC\t0.2\n"
            "PCintra(%)\t50\nPCdirect(%)\t30\nPCstep(%)\t20\n");
  EXPECT_EQ(writer.failedFiles, 0);
}

TEST_F(SaveResultsTest, OverallIndicesOfNoSelectedIndexIsAnEmptyFile) {
  auto p = makeProgram({});
  writer.ActionSaveGlobResExecute(p.get(), path("overall_indices.txt"), dataArg());
  EXPECT_TRUE(fs::exists(path("overall_indices.txt")));
  EXPECT_EQ(read(path("overall_indices.txt")), "");
}

TEST_F(SaveResultsTest, CollectedOverallIndicesOnlyForPrefixedRunsOneBlockPerRun) {
  auto p = makeProgram({"NC", "IIC", "PC"});
  setOverallValues(*p->landGlobal);
  const std::string file = path("results_all_overall_indices.txt");
  dataArg arg;
  arg.adjacentTail = 1000;
  arg.kDistanceProb = 2000;
  arg.kProbProb = 0.25f;
  writer.ActionSaveAllGlobResExecute(p.get(), file, arg);
  EXPECT_FALSE(fs::exists(file));

  arg.prefix_name = "run1";
  writer.ActionSaveAllGlobResExecute(p.get(), file, arg);
  arg.prefix_name = "run2";
  arg.kDistanceProb = 0;  // the binary lines lose their 0 column
  writer.ActionSaveAllGlobResExecute(p.get(), file, arg);
  EXPECT_EQ(read(file),
            "run1\t1000\t0\tNC\t2\n"
            "run1\t1000\t0\tIICnum\t24\n"
            "run1\t1000\t0\tEC(IIC)\t4.89898\n"
            "run1\t2000\t0.25\tPCnum\t20\n"
            "run1\t2000\t0.25\tEC(PC)\t4.47214\n"
            "run1\t2000\t0.25\tPCintra(%)\t50\n"
            "run1\t2000\t0.25\tPCdirect(%)\t30\n"
            "run1\t2000\t0.25\tPCstep(%)\t20\n"
            "run2\t1000\tNC\t2\n"
            "run2\t1000\tIICnum\t24\n"
            "run2\t1000\tEC(IIC)\t4.89898\n"
            "run2\t0\t0.25\tPCnum\t20\n"
            "run2\t0\t0.25\tEC(PC)\t4.47214\n"
            "run2\t0\t0.25\tPCintra(%)\t50\n"
            "run2\t0\t0.25\tPCdirect(%)\t30\n"
            "run2\t0\t0.25\tPCstep(%)\t20\n");
}

// PC of the landscape 0.5; removing node 7 leaves 0.4, removing node 9 0.25.
void setNodeRemovals(program& p) {
  p.landGlobal->pc = 0.5;
  p.landGlobal->pcnum = 0.5;
  p.landDel[0].pc = 0.4;
  p.landDel[0].pcintra = 0.125;
  p.landDel[0].pcflux = 0.25;
  p.landDel[1].pc = 0.25;
  p.landDel[1].pcintra = 0.0625;
}

TEST_F(SaveResultsTest, NodeSumsGetTheHeaderOnlyWhenTheFileIsNew) {
  auto p = makeProgram({"PC"});
  setNodeRemovals(*p);
  const std::string file = path("node_importances_sum_PC.txt");
  writer.ActionWriteTXT_PC_Sum_Execute(p.get(), file, "a", 1000, 0.5f, true);
  writer.ActionWriteTXT_PC_Sum_Execute(p.get(), file, "", 1000, 0.5f, true);
  writer.ActionWriteTXT_PC_Sum_Execute(p.get(), file, "c", 1000, 0.5f, false);
  EXPECT_EQ(read(file),
            "Prefix\tDistance\tProbability\tSum_dPC\tSum_dPCintra\tSum_dPCflux\tSum_dPCconnector\t\n"
            "a\t1000\t0.5\t70\t37.5\t50\t0\t\n"
            "NA\t1000\t0.5\t70\t37.5\t50\t0\t\n"
            "c\t0\t0\t70\t37.5\t50\t0\t\n");
}

TEST_F(SaveResultsTest, AnExistingEmptySumFileGetsNoHeader) {
  auto p = makeProgram({"IIC"});
  p->landGlobal->iic = 1;
  p->landDel[0].iic = 1;
  p->landDel[1].iic = 1;
  const std::string file = path("node_importances_sum_IIC.txt");
  std::ofstream(file).close();
  writer.ActionWriteTXT_IIC_Sum_Execute(p.get(), file, "a", 0.25f, false);
  EXPECT_EQ(read(file), "a\t0.25\t0\t0\t0\t0\t\n");
}

TEST_F(SaveResultsTest, ASumWriterOfAnUnselectedIndexLeavesTheFileAlone) {
  auto p = makeProgram({"IIC"});
  writer.ActionWriteTXT_PC_Sum_Execute(p.get(), path("node_importances_sum_PC.txt"), "a", 1000, 0.5f, true);
  writer.ActionWriteTXT_ResCon_PC_Sum_Execute(p.get(), path("link_importances_removal_sum_PC.txt"), "a", 1000,
                                              0.5f, true);
  EXPECT_FALSE(fs::exists(path("node_importances_sum_PC.txt")));
  EXPECT_FALSE(fs::exists(path("link_importances_removal_sum_PC.txt")));
}

TEST_F(SaveResultsTest, ECFilesOnlyForPrefixedRuns) {
  auto p = makeProgram({"IIC", "PC"});
  setOverallValues(*p->landGlobal);
  const std::string pcFile = path("results_all_EC(PC).txt");
  const std::string iicFile = path("results_all_EC(IIC).txt");
  writer.ActionWriteTXT_EC_PC_Execute(p.get(), pcFile, "", 1000, 0.5f, true);
  writer.ActionWriteTXT_EC_IIC_Execute(p.get(), iicFile, "", 1000, true);
  EXPECT_FALSE(fs::exists(pcFile));
  EXPECT_FALSE(fs::exists(iicFile));

  writer.ActionWriteTXT_EC_PC_Execute(p.get(), pcFile, "a", 1000, 0.5f, true);
  writer.ActionWriteTXT_EC_PC_Execute(p.get(), pcFile, "b", 2000, 0.5f, true);
  writer.ActionWriteTXT_EC_IIC_Execute(p.get(), iicFile, "a", 1000, true);
  EXPECT_EQ(read(pcFile),
            "Prefix\tDistance\tProbability\tEC(PC)\t\n"
            "a\t1000\t0.5\t4.47214\t\n"
            "b\t2000\t0.5\t4.47214\t\n");
  EXPECT_EQ(read(iicFile), "Prefix\tDistance\tEC(IIC)\t\na\t1000\t4.89898\t\n");
}

TEST_F(SaveResultsTest, LinkSumsOfTheThreeAnalyses) {
  auto p = makeProgram({"IIC", "PC"});
  p->landGlobal->iic = 0.5;
  p->landGlobal->pc = 0.5;
  p->landDelCon.resize(1);
  p->landDelCon[0].iic = 0.25;
  p->landDelCon[0].pc = 0.375;
  p->landConSure.resize(1);
  p->landConSure[0].iic = 0.5;
  p->landConSure[0].pc = 0.75;
  p->landConDiff.resize(1);
  p->landConDiff[0].iic = 0.125;
  p->landConDiff[0].pc = 1;
  writer.ActionWriteTXT_ResCon_PC_Sum_Execute(p.get(), path("rp.txt"), "a", 1000, 0.5f, true);
  writer.ActionWriteTXT_ResCon_IIC_Sum_Execute(p.get(), path("ri.txt"), "a", 1000, true);
  writer.ActionWriteTXT_ResConSure_PC_Sum_Execute(p.get(), path("sp.txt"), "a", 1000, 0.5f, true);
  writer.ActionWriteTXT_ResConSure_IIC_Sum_Execute(p.get(), path("si.txt"), "a", 1000, true);
  writer.ActionWriteTXT_ResConDiff_PC_Sum_Execute(p.get(), path("dp.txt"), "a", 1000, 0.5f, true);
  writer.ActionWriteTXT_ResConDiff_IIC_Sum_Execute(p.get(), path("di.txt"), "a", 1000, false);
  EXPECT_EQ(read(path("rp.txt")), "Prefix\tDistance\tProbability\tlinks_removal_sum_dPC\t\na\t1000\t0.5\t25\t\n");
  EXPECT_EQ(read(path("ri.txt")), "Prefix\tDistance\tlinks_removal_sum_dIIC\t\na\t1000\t50\t\n");
  EXPECT_EQ(read(path("sp.txt")),
            "Prefix\tDistance\tProbability\tlink_improvement_sum_dPC\t\na\t1000\t0.5\t-50\t\n");
  EXPECT_EQ(read(path("si.txt")), "Prefix\tDistance\tlink_improvement_sum_dIIC\t\na\t1000\t0\t\n");
  EXPECT_EQ(read(path("dp.txt")), "Prefix\tDistance\tProbability\tlink_change_sum_dPC\t\na\t1000\t0.5\t-100\t\n");
  EXPECT_EQ(read(path("di.txt")), "Prefix\tProbability\tlink_change_sum_dIIC\t\na\t1000\t75\t\n");
}

TEST_F(SaveResultsTest, NodeTableFileHasHeaderThenExistingThenCandidateRows) {
  auto p = makeProgram({"PC"});
  setNodeRemovals(*p);
  p->nNodesAdd = 1;
  p->labelAdd = {12};
  p->sizeAdd = {2};
  p->landAdd.resize(1);
  p->landAdd[0].pcnum = 1;
  p->landAdd[0].pcintra = 0.25;
  writer.ActionWriteTXTExecute(p.get(), path("node_importances.txt"));
  EXPECT_EQ(read(path("node_importances.txt")),
            "Node\tdPC\tdPCintra\tdPCflux\tdPCconnector\tvarPC\tvarPCintra\tvarPCflux\tvarPCconnector\t\n"
            "7\t20\t25\t50\t0\t0.1\t0.125\t0.25\t0\t\n"
            "9\t50\t12.5\t0\t0\t0.25\t0.0625\t0\t0\t\n"
            "12\t100\t50\t0\t0\t0.5\t0.25\t0\t0\t\n");
}

TEST_F(SaveResultsTest, GraphListsOfALandscape) {
  auto p = makeProgram({"NC", "PC"});
  // Node 9 reaches node 7 at the linking distance; the opposite direction
  // was never given.
  p->connections.assign(2, 2, 3.4028234663852886e+38f);
  p->connections(1, 0) = 1000;
  p->landGlobal->create_land(p->size.data(), p->label.data(), p->connections, 2, 1, true, true, true, false, false,
                             1000, 0.5f, 1000, 0, false);
  p->landGlobal->nodes[0].p_maxim_product = {1, 0.5f};
  p->landGlobal->nodes[1].p_maxim_product = {0.5f, 1};
  writer.ActionSaveCompTXTExecute(p.get(), path("components.txt"));
  writer.ActionSaveAdjacenciesExecute(p.get(), path("links.txt"));
  writer.ActionSaveProbabilitiesExecute(p.get(), path("direct_probabilities.txt"));
  writer.ActionSaveProbMaxExecute(p.get(), path("maximum_product_probabilities.txt"));
  EXPECT_EQ(read(path("components.txt")), "Node\tComponent\n7\t0\n9\t0\n");
  EXPECT_EQ(read(path("links.txt")), "9\t7\t1\n");
  EXPECT_EQ(read(path("direct_probabilities.txt")), "7\t9\t0\n9\t7\t0.5\n");
  EXPECT_EQ(read(path("maximum_product_probabilities.txt")), "7\t9\t0.5\n9\t7\t0.5\n");
}

TEST_F(SaveResultsTest, UnwritableFilesAreReportedCountedAndSkipped) {
  auto p = makeProgram({"NL", "PC"});
  setOverallValues(*p->landGlobal);
  setNodeRemovals(*p);
  ::testing::internal::CaptureStdout();
  writer.ActionWriteTXTExecute(p.get(), path("missing/run_node_importances.txt"));
  writer.ActionSaveGlobResExecute(p.get(), path("overall_indices.txt"), dataArg());
  writer.ActionWriteTXT_PC_Sum_Execute(p.get(), path("missing/sum.txt"), "run", 1000, 0.5f, true);
  const std::string console = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(console, "Error: Cannot write the result file " + path("missing/run_node_importances.txt") +
                         "\nError: Cannot write the result file " + path("missing/sum.txt") + "\n");
  EXPECT_EQ(writer.failedFiles, 2);
  EXPECT_FALSE(fs::exists(dir / "missing"));
  EXPECT_EQ(read(path("overall_indices.txt")).substr(0, 5), "NL\t3\n");
}

}  // namespace
