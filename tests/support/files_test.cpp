// Replacing and appending result files.
#include "support/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace verdalis {

namespace fs = std::filesystem;

namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "verdalis_files_XXXXXX").string();
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
  int entries() const { return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator())); }

  fs::path dir;
};

TEST_F(FilesTest, WholeFileReplacesLongerContentAndLeavesNoTemporary) {
  const std::string file = path("overall_indices.txt");
  ASSERT_TRUE(writeWholeFile(file, "a much longer first version\nwith two lines\n"));
  ASSERT_TRUE(writeWholeFile(file, "NL\t3\n"));
  EXPECT_EQ(read(file), "NL\t3\n");
  EXPECT_EQ(entries(), 1);
}

TEST_F(FilesTest, UncommittedFileLeavesThePreviousVersionAndNoTemporary) {
  const std::string file = path("node_importances.txt");
  ASSERT_TRUE(writeWholeFile(file, "Node\t\n1\t\n"));
  {
    wholeFileWriter interrupted(file);
    ASSERT_TRUE(interrupted.isOpen());
    interrupted.out() << "Node\t\n";
    EXPECT_EQ(read(file), "Node\t\n1\t\n");
  }
  EXPECT_EQ(read(file), "Node\t\n1\t\n");
  EXPECT_EQ(entries(), 1);
}

TEST_F(FilesTest, WholeFileIntoMissingFolderFailsAndCreatesNothing) {
  EXPECT_FALSE(writeWholeFile(path("missing/run_node_importances.txt"), "Node\t\n"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
  EXPECT_EQ(entries(), 0);
}

TEST_F(FilesTest, WholeFileOverAFolderFailsAndKeepsIt) {
  fs::create_directory(dir / "taken");
  EXPECT_FALSE(writeWholeFile(path("taken"), "x\n"));
  EXPECT_TRUE(fs::is_directory(dir / "taken"));
  EXPECT_EQ(entries(), 1);
}

TEST_F(FilesTest, AppendCreatesThenExtends) {
  const std::string file = path("node_importances_sum_PC.txt");
  EXPECT_FALSE(fileReadable(file));
  ASSERT_TRUE(appendToFile(file, "header\t\n"));
  EXPECT_TRUE(fileReadable(file));
  ASSERT_TRUE(appendToFile(file, "a\t1\t\n"));
  ASSERT_TRUE(appendToFile(file, "b\t2\t\n"));
  EXPECT_EQ(read(file), "header\t\na\t1\t\nb\t2\t\n");
}

TEST_F(FilesTest, AppendIntoMissingFolderFails) {
  EXPECT_FALSE(appendToFile(path("missing/sum.txt"), "x\n"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

}  // namespace

}  // namespace verdalis
