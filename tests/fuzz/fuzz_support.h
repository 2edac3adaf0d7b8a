#pragma once
// What the libFuzzer harnesses share: a scratch folder that is the working
// directory of every run, the program's console sent to /dev/null, and
// writing input files byte for byte.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace verdalis {

namespace fuzzsupport {

// Creates the scratch folder once, makes it the working directory, and
// silences standard output (the program's whole console text).
inline const std::string& scratchFolder() {
  // Never destroyed: the removal at exit runs after the static destructors.
  static const std::string* folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "verdalis_fuzz_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    if (chdir(pattern.c_str()) != 0) std::abort();
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    return new std::string(pattern);
  }();
  static const bool cleanup = std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(*folder, ignored);
  }) == 0;
  (void)cleanup;
  return *folder;
}

inline void writeFile(const std::string& name, const std::string& content) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// Empties the scratch folder between inputs, so that the summary files of
// one input never grow into the next.
inline void clearScratchFolder() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(scratchFolder(), ignored))
    std::filesystem::remove_all(entry.path(), ignored);
}

}  // namespace fuzzsupport

}  // namespace verdalis
