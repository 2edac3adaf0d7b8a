// An interrupt while a result file is being written: the temporary file goes,
// the earlier version stays, and the process ends with 128 + the signal.
// Each case runs in a child process (a death test), since the handler ends
// the process.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/files.h"
#include "support/default_signals.h"
#include "support/interrupts.h"

namespace verdalis {

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class Interrupts : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "verdalis_interrupts_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    result = (folder / "r_node_importances.txt").string();
    std::ofstream(result, std::ios::binary) << "the complete earlier version\n";
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
  std::string result;
};

void installFromDefaults() {
  restoreDefaultSignals();
  installInterruptHandlers();
}

// Writes part of a new version, then is interrupted before completing it.
void interruptedWrite(const std::string& path, int signal) {
  installFromDefaults();
  wholeFileWriter file(path);
  if (!file.isOpen()) std::exit(1);
  file.out() << "the first half of a new version";
  file.out().flush();
  raise(signal);
  std::exit(2);  // not reached: the handler ends the process
}

TEST_F(Interrupts, SigintDuringAWriteRemovesTheTemporaryFile) {
  EXPECT_EXIT(interruptedWrite(result, SIGINT), testing::ExitedWithCode(130), "");
  EXPECT_EQ(readFile(result), "the complete earlier version\n");
  EXPECT_EQ(names(), std::vector<std::string>{"r_node_importances.txt"});
}

TEST_F(Interrupts, SigtermDuringAWriteRemovesTheTemporaryFile) {
  EXPECT_EXIT(interruptedWrite(result, SIGTERM), testing::ExitedWithCode(143), "");
  EXPECT_EQ(readFile(result), "the complete earlier version\n");
  EXPECT_EQ(names(), std::vector<std::string>{"r_node_importances.txt"});
}

TEST_F(Interrupts, AnInterruptAfterACompletedWriteKeepsTheNewVersion) {
  auto completeThenInterrupt = [this] {
    installFromDefaults();
    if (!writeWholeFile(result, "the new version\n")) std::exit(1);
    raise(SIGINT);
    std::exit(2);
  };
  EXPECT_EXIT(completeThenInterrupt(), testing::ExitedWithCode(130), "");
  EXPECT_EQ(readFile(result), "the new version\n");
  EXPECT_EQ(names(), std::vector<std::string>{"r_node_importances.txt"});
}

TEST_F(Interrupts, ASignalDuringADeferredStepWaitsForItsEnd) {
  const std::string summary = (folder / "node_importances_sum_PC.txt").string();
  auto appendWhileInterrupted = [&summary] {
    installFromDefaults();
    {
      interruptsDeferred whole;
      raise(SIGTERM);
      // Still running: the block lands whole.
      if (!appendToFile(summary, "Prefix\tSum_dPC\t\nrun1\t12.5\t\n")) std::exit(1);
    }
    std::exit(2);  // not reached: the held signal ends the process here
  };
  EXPECT_EXIT(appendWhileInterrupted(), testing::ExitedWithCode(143), "");
  EXPECT_EQ(readFile(summary), "Prefix\tSum_dPC\t\nrun1\t12.5\t\n");
}

TEST_F(Interrupts, WithoutTheHandlersTheSignalIsTheDefaultOne) {
  // The library installs nothing by itself: tests and fuzzers keep their own
  // handling.
  auto plainWrite = [this] {
    signal(SIGTERM, SIG_DFL);
    wholeFileWriter file(result);
    file.out() << "half";
    raise(SIGTERM);
    std::exit(2);
  };
  EXPECT_EXIT(plainWrite(), testing::KilledBySignal(SIGTERM), "");
}

}  // namespace

}  // namespace verdalis
