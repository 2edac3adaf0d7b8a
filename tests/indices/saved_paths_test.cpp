// PC with the saved shortest paths: the two files, their reuse for every
// node removal, and the fallback to the full search when the files cannot
// be trusted.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "indices/hand_landscape.h"
#include "indices/indexPC.h"
#include "landscape/landscape.h"

namespace verdalis {

namespace fs = std::filesystem;

namespace {

template <class T>
class SavedPathsTest : public ::testing::Test {
 protected:
  // Each test works in a fresh directory of its own.
  void SetUp() override {
    home = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "verdalis_saved_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    scratch = pattern;
    fs::current_path(scratch);
  }
  void TearDown() override {
    fs::current_path(home);
    fs::remove_all(scratch);
  }

  static std::string write(landscape<T>& land) {
    ::testing::internal::CaptureStdout();
    land.generate_index_PC_DijkstraSaving_Write();
    return ::testing::internal::GetCapturedStdout();
  }
  static std::string read(landscape<T>& land, int node) {
    ::testing::internal::CaptureStdout();
    land.generate_index_PC_DijkstraSaving_Read(node);
    return ::testing::internal::GetCapturedStdout();
  }
  static void full(landscape<T>& land) {
    ::testing::internal::CaptureStdout();
    land.generate_index_PC();
    ::testing::internal::GetCapturedStdout();
  }
  // The removal of node k computed both ways must agree in every value.
  static void expectSameAsFull(const landscape<T>& global, int k, bool fallbackExpected = false) {
    landscape<T> reused = handland::without(global, k);
    landscape<T> searched = reused;
    std::string out = read(reused, k);
    full(searched);
    if (!fallbackExpected) {
      EXPECT_EQ(out, "") << "node " << k;
    }
    EXPECT_EQ(reused.value_index_PCnum(), searched.value_index_PCnum()) << "node " << k;
    EXPECT_EQ(reused.value_index_PC(), searched.value_index_PC()) << "node " << k;
    for (int i = 0; i < reused.nNodes; ++i) {
      EXPECT_EQ(reused.nodes[i].p_maxim_product, searched.nodes[i].p_maxim_product) << "node " << k << " row " << i;
    }
  }
  static landscape<T> chain(int n, float minProb = 0, bool allpaths = false) {
    landscape<T> land = handland::make<T>(std::vector<float>(n, 2.0f), 4, minProb, allpaths);
    for (int i = 0; i + 1 < n; ++i) handland::setP(land, i, i + 1, 0.5f);
    return land;
  }
  template <class V>
  static std::vector<V> contents(const char* file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<V> values;
    V v;
    while (in.read(reinterpret_cast<char*>(&v), sizeof v)) values.push_back(v);
    return values;
  }

  fs::path home, scratch;
};

using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(SavedPathsTest, Precisions);

TYPED_TEST(SavedPathsTest, WritingGivesFullSearchResultAndRecordsInSourceOrder) {
  landscape<TypeParam> land = this->chain(3);
  landscape<TypeParam> searched = land;
  std::string out = this->write(land);
  this->full(searched);
  EXPECT_EQ(out, "");  // no progress line in the saving forms
  EXPECT_EQ(land.value_index_PCnum(), searched.value_index_PCnum());
  EXPECT_EQ(land.value_index_PC(), searched.value_index_PC());

  EXPECT_EQ(fs::file_size("minpaths.bin"), 9 * sizeof(TypeParam));
  EXPECT_EQ(fs::file_size("drecera.bin"), 9 * 4u);
  const TypeParam w = static_cast<TypeParam>(-std::log(0.5f));
  EXPECT_EQ(this->template contents<TypeParam>("minpaths.bin"),
            (std::vector<TypeParam>{0, w, w + w, w, 0, w, w + w, w, 0}));
  EXPECT_EQ(this->template contents<std::int32_t>("drecera.bin"),
            (std::vector<std::int32_t>{-1, 0, 1, 1, -1, 1, 1, 2, -1}));
}

TYPED_TEST(SavedPathsTest, RemovingTheMiddleOfAChainSearchesAgain) {
  landscape<TypeParam> land = this->chain(3);
  this->write(land);
  landscape<TypeParam> variant = handland::without(land, 1);
  EXPECT_EQ(this->read(variant, 1), "");
  EXPECT_EQ(variant.return_p_maxim_product(0, 1), 0);  // the far end is no longer reached
  EXPECT_EQ(variant.value_index_PCnum(), 8);
  EXPECT_EQ(variant.value_index_PC(), 0.5);
}

// Every removal, first and last nodes included, in the three variants, on
// random symmetric landscapes and with an isolated node.
TYPED_TEST(SavedPathsTest, EveryRemovalAgreesWithFullSearch) {
  struct Setting {
    float minProb;
    bool allpaths;
  };
  const Setting settings[] = {{0, false}, {0, true}, {0.2f, false}};
  std::mt19937 rng(99);
  for (int round = 0; round < 24; ++round) {
    const Setting& s = settings[round % 3];
    const int n = 2 + round % 6;
    landscape<TypeParam> land = handland::random<TypeParam>(rng, n, true);
    for (int j = 0; j < n; ++j)
      if (j != n / 2) handland::setP(land, n / 2, j, 0.0f);  // one isolated node
    land.minProb = s.minProb;
    land.allpaths = s.allpaths;
    landscape<TypeParam> searched = land;
    this->write(land);
    this->full(searched);
    EXPECT_EQ(land.value_index_PCnum(), searched.value_index_PCnum()) << "round " << round;
    for (int k = 0; k < n; ++k) this->expectSameAsFull(land, k);
  }
}

TYPED_TEST(SavedPathsTest, MissingFilesFallBackToFullSearch) {
  landscape<TypeParam> land = this->chain(4);
  this->write(land);
  fs::remove("drecera.bin");
  landscape<TypeParam> variant = handland::without(land, 1);
  std::string out = this->read(variant, 1);
  EXPECT_NE(out.find("Error: Cannot read the saved shortest paths file drecera.bin; the full search is used "
                     "instead.\n"),
            std::string::npos)
      << out;
  this->expectSameAsFull(land, 2, true);
}

TYPED_TEST(SavedPathsTest, TruncatedFileFallsBackToFullSearch) {
  landscape<TypeParam> land = this->chain(4);
  this->write(land);
  fs::resize_file("minpaths.bin", fs::file_size("minpaths.bin") - 1);
  landscape<TypeParam> variant = handland::without(land, 3);
  std::string out = this->read(variant, 3);
  EXPECT_NE(out.find("Error: Cannot read the saved shortest paths file minpaths.bin"), std::string::npos) << out;
  this->expectSameAsFull(land, 3, true);
  this->expectSameAsFull(land, 0, true);
}

// Files left by another landscape (here: of another size) are not trusted.
TYPED_TEST(SavedPathsTest, FilesOfAnotherLandscapeAreNotUsed) {
  landscape<TypeParam> small = this->chain(3);
  this->write(small);
  landscape<TypeParam> other = this->chain(3);  // would be a removal from 4 nodes
  std::string out = this->read(other, 0);
  EXPECT_NE(out.find("the full search is used instead.\n"), std::string::npos) << out;
  landscape<TypeParam> searched = this->chain(3);
  this->full(searched);
  EXPECT_EQ(other.value_index_PCnum(), searched.value_index_PCnum());
}

// When the files cannot be written the global value still comes from a full
// search, and no later removal reads the files an earlier landscape left.
TYPED_TEST(SavedPathsTest, UnwritableFileFallsBackAndLaterReadsToo) {
  landscape<TypeParam> land = this->chain(4);
  this->write(land);  // a complete pair, of another landscape of the same size
  fs::rename("minpaths.bin", "old_minpaths.bin");
  fs::rename("drecera.bin", "old_drecera.bin");
  fs::create_directory("minpaths.bin");  // cannot be opened for writing
  landscape<TypeParam> changed = this->chain(4);
  handland::setP(changed, 1, 3, 0.9f);
  std::string out = this->write(changed);
  EXPECT_NE(out.find("Error: Cannot write the saved shortest paths file minpaths.bin; the full search is used "
                     "instead.\n"),
            std::string::npos)
      << out;
  landscape<TypeParam> searched = changed;
  this->full(searched);
  EXPECT_EQ(changed.value_index_PCnum(), searched.value_index_PCnum());

  // The old pair back in place: its record of source 1 does not pass through
  // node 0 but misses the new link 1-3.
  fs::remove("minpaths.bin");
  fs::rename("old_minpaths.bin", "minpaths.bin");
  fs::rename("old_drecera.bin", "drecera.bin");
  this->expectSameAsFull(changed, 0, true);
}

TYPED_TEST(SavedPathsTest, SingleNodeLandscape) {
  landscape<TypeParam> land = this->chain(1);
  this->write(land);
  EXPECT_EQ(land.value_index_PCnum(), 4);
  EXPECT_EQ(fs::file_size("minpaths.bin"), sizeof(TypeParam));
  landscape<TypeParam> empty = handland::without(land, 0);
  EXPECT_EQ(this->read(empty, 0), "");
  EXPECT_EQ(empty.value_index_PCnum(), 0);
}

}  // namespace

}  // namespace verdalis
