// The in-process entries of verdalis/gis.h against the programs: with the
// same words, prep() writes the files verdalis-prep writes, says what it
// prints and gives their values as verdalis reads them; map() writes and
// says what verdalis-map does. Warnings, failures and cancelling come back
// to the caller, and a cancelled call leaves no file.
#include <cstdlib>

#include "gis_fixtures.h"
#include "verdalis/gis.h"

using namespace gistest;
namespace gis = verdalis::gis;

namespace {

// The working folder of the process, for the life of a scope.
class workingIn {
 public:
  explicit workingIn(const fs::path& folder) : saved_(fs::current_path()) { fs::current_path(folder); }
  ~workingIn() { fs::current_path(saved_); }
  workingIn(const workingIn&) = delete;
  workingIn& operator=(const workingIn&) = delete;

 private:
  fs::path saved_;
};

void writeTwoSquaresAndL(const fs::path& file) {
  writeLayer(file, "GPKG", "patches", 3067, {{"pid", OFTInteger}},
             {{square(0, 0, 100), {"1"}},
              {square(400, 0, 100), {"2"}},
              {"POLYGON((0 300,300 300,300 350,50 350,50 500,0 500,0 300))", {"3"}}});
}

// Runs the program, keeps what it wrote and removes it, so that the call
// in-process can write the same files again.
std::vector<std::string> takeFiles(const fs::path& folder, const std::vector<std::string>& names) {
  std::vector<std::string> texts;
  for (const std::string& name : names) {
    texts.push_back(readFile(folder / name));
    fs::remove(folder / name);
  }
  return texts;
}

std::vector<std::string> readFiles(const fs::path& folder, const std::vector<std::string>& names) {
  std::vector<std::string> texts;
  for (const std::string& name : names) texts.push_back(readFile(folder / name));
  return texts;
}

TEST(InProcess, PrepAndMapDoWhatTheProgramsDo) {
  tempFolder folder;
  writeTwoSquaresAndL(folder / "in.gpkg");
  const std::vector<std::string> words{"in.gpkg", "--id", "pid", "--decimals", "2", "--nodes", "n.txt",
                                       "--connections", "c.txt"};
  const runResult program = prep(words, folder.path());
  ASSERT_EQ(program.status, 0) << program.err;
  const std::vector<std::string> files = takeFiles(folder.path(), {"n.txt", "c.txt"});
  workingIn here(folder.path());
  const gis::preparedLandscape p = gis::prep(words);
  EXPECT_EQ(p.report, program.out);
  EXPECT_EQ(readFiles(folder.path(), {"n.txt", "c.txt"}), files);
  // "1 2 300.00", "1 3 200.00", "2 3 223.61", ... read as verdalis reads them.
  const float diagonal = std::strtof("223.61", nullptr);
  EXPECT_EQ(p.id, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(p.attribute, (std::vector<float>{1, 1, 2.25f}));
  EXPECT_EQ(p.from, (std::vector<int>{1, 1, 2, 2, 3, 3}));
  EXPECT_EQ(p.to, (std::vector<int>{2, 3, 1, 3, 1, 2}));
  EXPECT_EQ(p.distance, (std::vector<float>{300, 200, 300, diagonal, 200, diagonal}));
  EXPECT_TRUE(p.everyPair);
  EXPECT_NE(program.out.find("-landArea " + std::to_string(static_cast<int>(p.landArea))), std::string::npos);

  fs::create_directory("res");
  ASSERT_EQ(run(VERDALIS_BINARY, {"-nodeFile", "../n.txt", "-conFile", "../c.txt", "-t", "dist", "all", "-PC",
                                  "-confProb", "250", "0.5"},
                folder / "res")
                .status,
            0);
  const std::vector<std::string> mapWords{"in.gpkg", "--id", "pid", "--results", "res", "--out", "out.gpkg",
                                          "--links"};
  const runResult drawn = map(mapWords, folder.path());
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  takeFiles(folder.path(), {"out.gpkg"});
  const gis::mapReport inProcess = gis::map(mapWords);
  EXPECT_EQ(inProcess.report, drawn.out);
  EXPECT_TRUE(fs::exists("out.gpkg"));
  ASSERT_EQ(inProcess.warnings, std::vector<std::string>{"no link importances in the results: no link is drawn"});
  EXPECT_EQ(drawn.err, "verdalis-map: warning: " + inProcess.warnings.front() + "\n");
}

TEST(InProcess, FailuresAndCancellingComeBackToTheCaller) {
  tempFolder folder;
  writeTwoSquaresAndL(folder / "in.gpkg");
  const std::string layer = (folder / "in.gpkg").string();
  try {
    gis::prep({layer, "--area", "acres"});
    ADD_FAILURE() << "--area acres was taken";
  } catch (const gis::gisFailure& failure) {
    EXPECT_EQ(failure.kind(), gis::failureKind::commandLine);
  }
  EXPECT_THROW(gis::prep({layer, "--help"}), gis::gisFailure);
  verdalis::runControl control;
  control.cancel();
  const std::string nodes = (folder / "n.txt").string(), pairs = (folder / "c.txt").string();
  EXPECT_THROW(gis::prep({layer, "--nodes", nodes, "--connections", pairs}, &control), verdalis::runCancelled);
  EXPECT_EQ(folder.files(), std::vector<std::string>{"in.gpkg"});
  EXPECT_FALSE(control.progress().running);
  EXPECT_EQ(gis::prep({layer}).id, (std::vector<int>{1, 2, 3}));
}

}  // namespace
