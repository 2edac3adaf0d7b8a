#pragma once
// What the whole-run benchmarks share: seeded landscapes generated once into
// $VERDALIS_BENCH_DIR (or /tmp/verdalis-bench) and reused by later runs, and
// one run of the built program in a fresh folder, measured from outside: wall
// time, processor time and peak memory of the child (wait4), and its exit
// status.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace verdalis {

namespace bench {

inline std::string benchDir() {
  const char* dir = std::getenv("VERDALIS_BENCH_DIR");
  std::string path = dir != nullptr ? dir : "/tmp/verdalis-bench";
  mkdir(path.c_str(), 0755);
  return path;
}

inline bool exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

struct landscapeFiles {
  std::string nodes, connections, structure;
};

// A seeded landscape of n patches: every pair, or the pairs within range on
// a square of side 12 n metres (target 4's landscape at 10,000 patches).
inline landscapeFiles landscapeOf(int n, int within = 0) {
  const std::string tag = std::to_string(n) + (within > 0 ? "_within" + std::to_string(within) : "_full");
  landscapeFiles f{benchDir() + "/nodes_" + tag + ".txt", benchDir() + "/connections_" + tag + ".txt",
                   within > 0 ? "notall" : "all"};
  if (!exists(f.connections)) {
    std::string command = std::string(VERDALIS_GENERATOR) + " --nodes " + std::to_string(n) +
                          " --seed 17 --out-nodes " + f.nodes + " --out-connections " + f.connections;
    command += within > 0 ? " --within " + std::to_string(within) + " --side " + std::to_string(12L * n) : " --full";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "generator failed: %s\n", command.c_str());
  }
  return f;
}

struct runResult {
  double seconds = 0;
  double cpuSeconds = 0;
  double peakMegabytes = 0;
  int status = -1;
};

// Runs the program in a fresh folder with its output discarded.
inline runResult runProgram(const std::string& arguments, const std::string& folder) {
  const std::string dir = benchDir() + "/" + folder;
  std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str());
  const std::string command = "cd " + dir + " && exec " + VERDALIS_BINARY + " " + arguments + " > /dev/null";
  const auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  runResult r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  r.peakMegabytes = usage.ru_maxrss / 1024.0;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

inline std::string inputs(const landscapeFiles& f, const std::string& thresholds = "-confAdj 1000 -confProb 1000 0.5") {
  return "-nodeFile " + f.nodes + " -conFile " + f.connections + " -t dist " + f.structure + " " + thresholds;
}

inline void report(benchmark::State& state, const runResult& r) {
  state.SetIterationTime(r.seconds);
  state.counters["cpu_s"] = r.cpuSeconds;
  state.counters["peak_MB"] = r.peakMegabytes;
  state.counters["exit"] = r.status;
}

}  // namespace bench

}  // namespace verdalis
