// Whole runs of the program on generated landscapes: wall time, processor
// time and peak memory of the child process, and the ratios the speed
// targets are stated in. Each benchmark runs its command once; run one at a
// time with --benchmark_filter, e.g.
//   build-bench/targets_bench --benchmark_filter=NodeImportances300
// Inputs are generated (seeded) into $VERDALIS_BENCH_DIR or /tmp/verdalis-bench
// and reused by later runs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include "bench_support.h"
#include "program/quivaraProgram.h"

namespace {

using namespace verdalis::bench;

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
