// Whole runs of the program on generated landscapes: wall time, processor
// time and peak memory of the child process, and the ratios the speed
// targets are stated in. Each benchmark runs its command once; run one at a
// time with --benchmark_filter, e.g.
//   build-bench/targets_bench --benchmark_filter=NodeImportances300
// Inputs are generated (seeded) into $VERDALIS_BENCH_DIR or /tmp/verdalis-bench
// and reused by later runs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "program/quivaraProgram.h"

namespace {

std::string benchDir() {
  const char* dir = std::getenv("VERDALIS_BENCH_DIR");
  std::string path = dir != nullptr ? dir : "/tmp/verdalis-bench";
  mkdir(path.c_str(), 0755);
  return path;
}

bool exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

struct landscapeFiles {
  std::string nodes, connections, structure;
};

// A seeded landscape of n patches: every pair, or the pairs within range.
landscapeFiles landscapeOf(int n, int within = 0) {
  const std::string tag = std::to_string(n) + (within > 0 ? "_within" + std::to_string(within) : "_full");
  landscapeFiles f{benchDir() + "/nodes_" + tag + ".txt", benchDir() + "/connections_" + tag + ".txt",
                   within > 0 ? "notall" : "all"};
  if (!exists(f.connections)) {
    std::string command = std::string(VERDALIS_GENERATOR) + " --nodes " + std::to_string(n) +
                          " --seed 17 --out-nodes " + f.nodes + " --out-connections " + f.connections;
    command += within > 0 ? " --within " + std::to_string(within) + " --side " + std::to_string(n * 12)
                          : " --full";
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
runResult runProgram(const std::string& arguments, const std::string& folder) {
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

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string inputs(const landscapeFiles& f, const std::string& thresholds = "-confAdj 1000 -confProb 1000 0.5") {
  return "-nodeFile " + f.nodes + " -conFile " + f.connections + " -t dist " + f.structure + " " + thresholds;
}

void report(benchmark::State& state, const runResult& r) {
  state.SetIterationTime(r.seconds);
  state.counters["cpu_s"] = r.cpuSeconds;
  state.counters["peak_MB"] = r.peakMegabytes;
  state.counters["exit"] = r.status;
}

// Target 1: 300 patches, every pair; the engine against the reference, and
// the result files compared.
void NodeImportances300(benchmark::State& state) {
  const landscapeFiles f = landscapeOf(300);
  const std::string args = inputs(f) + " -IIC -PC -BC -BCIIC -BCPC";
  for (auto _ : state) {
    runResult fast = runProgram(args, "t1_fast");
    runResult reference = runProgram(args + " -reference", "t1_reference");
    report(state, fast);
    state.counters["reference_s"] = reference.seconds;
    state.counters["speedup"] = reference.seconds / fast.seconds;
    state.counters["same_files"] = fileText(benchDir() + "/t1_fast/node_importances.txt") ==
                                           fileText(benchDir() + "/t1_reference/node_importances.txt")
                                       ? 1
                                       : 0;
  }
}
BENCHMARK(NodeImportances300)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Target 2: 1000 patches, every pair: node importances and overall indices only.
void NodeImportances1000(benchmark::State& state) {
  const landscapeFiles f = landscapeOf(1000);
  for (auto _ : state) {
    runResult full = runProgram(inputs(f) + " -IIC -PC", "t2_full");
    runResult overall = runProgram(inputs(f) + " -IIC -PC onlyoverall", "t2_overall");
    report(state, full);
    state.counters["onlyoverall_s"] = overall.seconds;
    state.counters["ratio"] = full.seconds / overall.seconds;
  }
}
BENCHMARK(NodeImportances1000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Target 3: 2000 patches, every pair; peak memory against 12 n^2 floats.
void NodeImportances2000(benchmark::State& state) {
  const landscapeFiles f = landscapeOf(2000);
  for (auto _ : state) {
    runResult r = runProgram(inputs(f) + " -IIC -PC", "t3");
    report(state, r);
    state.counters["bound_MB"] = 12.0 * 2000 * 2000 * 4 / (1024.0 * 1024.0);
  }
}
BENCHMARK(NodeImportances2000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Target 4: 10,000 patches, pairs within the dispersal range, PC heuristic.
void NodeImportances10000(benchmark::State& state) {
  const landscapeFiles f = landscapeOf(10000, 2500);
  for (auto _ : state) {
    runResult r = runProgram(inputs(f) + " -PC -pcHeur 0.005", "t4");
    report(state, r);
  }
}
BENCHMARK(NodeImportances10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Target 5: 300 patches, every pair, with link removal and improvement.
void LinkImportances300(benchmark::State& state) {
  const landscapeFiles f = landscapeOf(300);
  for (auto _ : state) report(state, runProgram(inputs(f) + " -IIC -PC -removal -improvement", "t5"));
}
BENCHMARK(LinkImportances300)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Target 6: loading a connection file of 999,000 lines.
void LoadFullFile1000(benchmark::State& state) {
  const landscapeFiles f = landscapeOf(1000);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    verdalis::quivaraProgram<double> program(
        true, false, false, false, false, false, true, false, false, false, false, false, true, false, false, false,
        f.nodes, f.connections, 1000, 1000, 0.5f, 0, false, false, false, false, true, false, false, false, -1, false, 0);
    benchmark::DoNotOptimize(program.initial_check());
    benchmark::DoNotOptimize(program.load_data());
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(LoadFullFile1000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Target 7: two threads against one on targets 1 to 3.
void TwoThreads(benchmark::State& state) {
  const int sizes[] = {300, 1000, 2000};
  const int n = sizes[state.range(0)];
  const landscapeFiles f = landscapeOf(n);
  const std::string args = inputs(f) + (n == 300 ? " -IIC -PC -BC -BCIIC -BCPC" : " -IIC -PC");
  for (auto _ : state) {
    runResult one = runProgram(args + " -threads 1", "t7_one");
    runResult two = runProgram(args + " -threads 2", "t7_two");
    report(state, two);
    state.counters["one_thread_s"] = one.seconds;
    state.counters["speedup"] = one.seconds / two.seconds;
  }
}
BENCHMARK(TwoThreads)->DenseRange(0, 2)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
