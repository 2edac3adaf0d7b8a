#pragma once
// The processes that share every run of an invocation. A plain run is one
// process; a companion program started by a process launcher installs a
// group of several, and then each analysis phase splits its cases among
// them, rank 0 alone speaking and writing files. Nothing here knows how the
// processes talk: the companion supplies the exchange.
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace verdalis {

struct processGroup {
  int rank = 0;
  int size = 1;
  // Collective: every process calls it at the same point of the run. Each
  // hands in its bytes and whether its share failed; rank 0 receives every
  // process's bytes in rank order (the others receive nothing). Returns, on
  // every process, whether any process failed; then no bytes are sent.
  std::function<bool(const std::string& mine, bool failed, std::vector<std::string>& parts)> gather;
  // The same, every process receiving every process's bytes. Both begin by
  // settling whether any process failed, so that a process that failed
  // before it and calls agree() meets the others there.
  std::function<bool(const std::string& mine, bool failed, std::vector<std::string>& parts)> allGather;

  bool lead() const { return rank == 0; }
  // The processes settle whether any of them failed, and nothing else.
  bool agree(bool failed) {
    std::vector<std::string> ignored;
    return gather(std::string(), failed, ignored);
  }
};

// The block [first, last) of `count` items that process `rank` of `size`
// takes when they are split into consecutive blocks of nearly equal size.
inline std::pair<int, int> blockOf(long long count, int rank, int size) {
  return {static_cast<int>(count * rank / size), static_cast<int>(count * (rank + 1) / size)};
}

// Thrown where every process of the group already knows that one of them
// failed, so that nothing is left to agree on.
struct failureEverywhere {};

// The group of this process; one process until a companion installs more.
processGroup& processes();

}  // namespace verdalis
