// The result-file writers on a run object whose landscapes carry values set
// here directly: the corners that the end-to-end cases do not reach (empty
// contents, an existing empty summary file, a writer of an unselected index)
// and what happens to files that cannot be written.
#include "reports/saveresults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "cli/dataArg.h"

namespace verdalis {

namespace fs = std::filesystem;

namespace {

using program = quivaraProgram<double>;

// A run object with the given indices selected (names as on the command
// line) and two existing nodes, identifiers 7 and 9, of attributes 1 and 3.
std::unique_ptr<program> makeProgram(const std::set<std::string>& indices) {
  auto has = [&indices](const char* name) { return indices.count(name) > 0; };
  auto p = std::make_unique<program>(true, false, false, has("A"), has("CCP"), has("LCP"), has("IIC"),
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

TEST_F(SaveResultsTest, OverallIndicesOfNoSelectedIndexIsAnEmptyFile) {
  auto p = makeProgram({});
  writer.ActionSaveGlobResExecute(p.get(), path("overall_indices.txt"), dataArg());
  EXPECT_TRUE(fs::exists(path("overall_indices.txt")));
  EXPECT_EQ(read(path("overall_indices.txt")), "");
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

TEST_F(SaveResultsTest, UnwritableFilesAreReportedCountedAndSkipped) {
  auto p = makeProgram({"NL", "PC"});
  p->landGlobal->nl = 3;
  p->landGlobal->pc = p->landGlobal->pcnum = 0.5;
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

}  // namespace verdalis
