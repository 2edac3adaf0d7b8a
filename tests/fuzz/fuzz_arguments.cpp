// libFuzzer harness of the command line: the input is an argument vector
// (tokens separated by NUL bytes) read, checked and dispatched with fake
// runs that only check what they are handed, so nothing is analysed.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/dataArg.h"
#include "fuzz_support.h"

namespace verdalis {

namespace {

// A record handed to a run must be usable by it.
int fakeRun(const dataArg& arg) {
  static long calls = 0;
  // A value range can ask for millions of runs; a few thousand show the
  // iteration works, the rest would only slow the fuzzer down.
  if (++calls % 4096 == 0) throw 0;
  if (arg.help != 0) std::abort();  // the usage text never reaches a run
  if (arg.inputDist + arg.inputProb + arg.inputAdjacen != 1) std::abort();
  if (arg.onlyoverall && (arg.linkImportances1 || arg.linkImportances2 || arg.linkImportances3)) std::abort();
  if (arg.onlyoverall && (arg.BC || arg.BCIIC || arg.BCPC)) std::abort();
  if (arg.bcomponents && !arg.NC) std::abort();
  if (arg.bmaximum_product_probabilities && !arg.PC) std::abort();
  if (arg.threads < 0) std::abort();
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::scratchFolder();
  // Names for the file-pair mode to find.
  fuzzsupport::writeFile("n_a.txt", "1\t1\n");
  fuzzsupport::writeFile("c_a.txt", "1\t1\t1\n");
  fuzzsupport::writeFile("n_b.txt", "1\t1\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> tokens{"verdalis"};
  std::string current;
  for (std::size_t k = 0; k < size && tokens.size() < 64; ++k) {
    if (data[k] == 0) {
      tokens.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[k]));
    }
  }
  if (!current.empty() && tokens.size() < 64) tokens.push_back(current);
  std::vector<char*> argv;
  for (std::string& token : tokens) argv.push_back(token.data());
  argv.push_back(nullptr);
  try {
    dispatchArguments(static_cast<int>(tokens.size()), argv.data(), fakeRun);
  } catch (int) {
  }
  return 0;
}

}  // namespace verdalis
