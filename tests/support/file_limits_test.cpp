// Result files when the disk fills up part way through a write, simulated
// with a file-size limit in a child process: an append is cut back to where
// the block began, and a replaced file keeps its earlier version.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"

namespace verdalis {

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Files may not grow past `bytes` from here on; a write past it fails
// instead of ending the process.
void limitFileSize(rlim_t bytes) {
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{bytes, bytes};
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) std::exit(3);
}

class FullDisk : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "verdalis_full_disk_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  std::vector<std::string> names() const {
    std::vector<std::string> all;
    for (const auto& entry : fs::directory_iterator(folder)) all.push_back(entry.path().filename().string());
    return all;
  }
  fs::path folder;
};

TEST_F(FullDisk, AnAppendCutShortLeavesTheFileAsItWas) {
  const std::string file = (folder / "node_importances_sum_PC.txt").string();
  const std::string earlier = "Prefix\tSum_dPC\t\nrun1\t12.5\t\n";
  std::ofstream(file, std::ios::binary) << earlier;
  auto append = [&file, &earlier] {
    limitFileSize(earlier.size() + 10);
    const bool written = appendToFile(file, "run2\t" + std::string(100, '7') + "\t\n");
    std::exit(written ? 1 : 0);
  };
  EXPECT_EXIT(append(), testing::ExitedWithCode(0), "");
  EXPECT_EQ(readFile(file), earlier);
}

TEST_F(FullDisk, AReplacementCutShortKeepsTheEarlierVersion) {
  const std::string file = (folder / "r_node_importances.txt").string();
  std::ofstream(file, std::ios::binary) << "the complete earlier version\n";
  auto replace = [&file] {
    limitFileSize(64);
    const bool written = writeWholeFile(file, std::string(100000, 'x'));
    std::exit(written ? 1 : 0);
  };
  EXPECT_EXIT(replace(), testing::ExitedWithCode(0), "");
  EXPECT_EQ(readFile(file), "the complete earlier version\n");
  EXPECT_EQ(names(), std::vector<std::string>{"r_node_importances.txt"});
}

}  // namespace

}  // namespace verdalis
