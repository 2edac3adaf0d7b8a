// Whole runs on large "notall" landscapes, where memory must grow with the
// links and not with the square of the patches: wall time, processor time
// and peak memory of the child, with each target's goals beside them
// (within_goals is 1 when the run ended with status 0 inside both). Each
// benchmark runs its command once; run one at a time, e.g.
//   build-bench/scale_bench --benchmark_filter=S1_
// The landscapes are those of bench_support.h (gen_landscape --within 2500
// --side 12n, seed 17), generated on first use (1,000,000 patches in about
// 10 s, 21 MB). Since the area grows as n^2, the pairs stay near 400,000 at
// every size; tools/cost_curves.sh --keep-density measures landscapes whose
// pairs grow with n. S4 reads the real archipelago from
// $VERDALIS_ARCHIPELAGO (default /work/shared/data/archipelago_sea_islands)
// and is skipped with a message when it is not there.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "bench_support.h"

namespace {

using namespace verdalis::bench;

struct goal {
  double seconds, megabytes;
};

void reportAgainst(benchmark::State& state, const runResult& r, goal g) {
  report(state, r);
  state.counters["seconds"] = r.seconds;
  state.counters["goal_s"] = g.seconds;
  state.counters["goal_MB"] = g.megabytes;
  state.counters["within_goals"] = r.status == 0 && r.seconds <= g.seconds && r.peakMegabytes <= g.megabytes ? 1 : 0;
}

// One run on the generated landscape of n patches.
void generatedRun(benchmark::State& state, int n, const std::string& options, const std::string& folder, goal g) {
  const std::string args = inputs(landscapeOf(n, 2500)) + " " + options;
  for (auto _ : state) reportAgainst(state, runProgram(args, folder), g);
}

// S1: overall indices of 100,000 patches.
void S1_Overall100k(benchmark::State& state) {
  generatedRun(state, 100000, "-NC -IIC -PC -pcHeur 0.005 onlyoverall", "s1", {60, 2048});
}
BENCHMARK(S1_Overall100k)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// S2: node importances of 100,000 patches.
void S2_NodeImportances100k(benchmark::State& state) {
  generatedRun(state, 100000, "-PC -pcHeur 0.005", "s2", {15 * 60, 4096});
}
BENCHMARK(S2_NodeImportances100k)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// S3: overall indices of 1,000,000 patches.
void S3_Overall1M(benchmark::State& state) {
  generatedRun(state, 1000000, "-NC -PC -pcHeur 0.01 onlyoverall", "s3", {10 * 60, 16384});
}
BENCHMARK(S3_Overall1M)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// S4: node importances of the 6,164 islands of the real archipelago.
void S4_Archipelago(benchmark::State& state) {
  const char* given = std::getenv("VERDALIS_ARCHIPELAGO");
  const std::string folder = given != nullptr && *given != '\0' ? given : "/work/shared/data/archipelago_sea_islands";
  const std::string nodes = folder + "/nodes.txt", connections = folder + "/distances_within_5000.txt";
  if (!exists(nodes) || !exists(connections)) {
    const std::string why = "no " + nodes + " or " + connections + ": set VERDALIS_ARCHIPELAGO to its folder";
    state.SkipWithError(why.c_str());
    return;
  }
  const std::string args = "-nodeFile " + nodes + " -conFile " + connections +
                           " -t dist notall -confAdj 1000 -confProb 1000 0.5 -NC -IIC -PC";
  for (auto _ : state) reportAgainst(state, runProgram(args, "s4"), {160, 300});
}
BENCHMARK(S4_Archipelago)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// S5: target 4 again (10,000 patches, node importances), with its new goals.
void S5_NodeImportances10k(benchmark::State& state) {
  generatedRun(state, 10000, "-PC -pcHeur 0.005", "s5", {60, 1024});
}
BENCHMARK(S5_NodeImportances10k)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
