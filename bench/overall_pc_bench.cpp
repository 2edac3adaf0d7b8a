// Overall PC of the archipelago (6,164 islands, pairs within 5 km) on one
// thread, against what a Python user writes with a graph library: scipy's
// csgraph Dijkstra and python-igraph's (C) Dijkstra from every source on
// -ln p, in blocks of 500 sources, then the sum (pc_peers.py). All three
// run in one benchmark, on the same graph: the search weights verdalis
// builds, handed to the peers in a binary file. The peers' searches need
// not break ties as verdalis does, so only their sums are compared, to
// 1e-9 relative, with the engine's own sum taken in process (the program
// writes six digits). Counters: the program's wall and processor time, the
// peers' processor and wall seconds, the ratios of processor times (the
// machine may be shared; all three run on one thread; goal: at least 10
// each), the relative sum differences, and within_goals.
//   build-bench/overall_pc_bench
// Reads the archipelago from $VERDALIS_ARCHIPELAGO (default
// /work/shared/data/archipelago_sea_islands); skipped when it is not there.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench_support.h"
#include "engine/sparse_measure.h"
#include "engine/sparse_weights.h"
#include "landscape/landscape.h"
#include "landscape/sparse_landscape.h"

namespace {

using namespace verdalis;
using namespace verdalis::bench;

std::string archipelagoFolder() {
  const char* given = std::getenv("VERDALIS_ARCHIPELAGO");
  return given != nullptr && *given != '\0' ? given : "/work/shared/data/archipelago_sea_islands";
}

// The islands in file order and their listed pairs, as the program reads
// them (numbers as by atof, then in single precision; the last line of a
// pair wins).
sparseLandscape readArchipelago(const std::string& nodes, const std::string& connections) {
  std::vector<float> sizes;
  std::unordered_map<long long, int> index;
  std::ifstream in(nodes);
  for (std::string id, area; in >> id >> area;) {
    index[std::atoll(id.c_str())] = static_cast<int>(sizes.size());
    sizes.push_back(static_cast<float>(std::atof(area.c_str())));
  }
  const int n = static_cast<int>(sizes.size());
  std::vector<std::map<int, float>> rows(static_cast<std::size_t>(n));
  std::ifstream lines(connections);
  for (std::string a, b, d; lines >> a >> b >> d;)
    rows[index.at(std::atoll(a.c_str()))][index.at(std::atoll(b.c_str()))] = static_cast<float>(std::atof(d.c_str()));
  listedPairs pairs;
  pairs.n = n;
  pairs.start.push_back(0);
  for (const std::map<int, float>& row : rows) {
    for (const auto& [to, value] : row) {
      pairs.to.push_back(to);
      pairs.value.push_back(value);
    }
    pairs.start.push_back(pairs.to.size());
  }
  connectionRules rules;
  rules.kProbProb = 0.5f;
  rules.kDistanceProb = 1000.0f;
  rules.probType = true;  // -confProb given
  return buildSparseLandscape(sizes, pairs, rules, 0, 0.0f, false);
}

// The search weights, for the peers.
void writeGraph(const sparseLandscape& land, const std::string& path) {
  searchWeights w;
  double cut = 0;
  pcSearchSetupSparse(land, w, cut);
  std::vector<std::int32_t> origins, targets;
  for (int u = 0; u < w.n; ++u)
    for (std::size_t e = w.start[u]; e < w.start[u + 1]; ++e) {
      origins.push_back(u);
      targets.push_back(w.target[e]);
    }
  std::ofstream out(path, std::ios::binary);
  const std::int32_t n = w.n;
  const std::int64_t m = static_cast<std::int64_t>(origins.size());
  out.write(reinterpret_cast<const char*>(&n), sizeof n);
  out.write(reinterpret_cast<const char*>(land.sizes.data()), static_cast<std::streamsize>(n * sizeof(float)));
  out.write(reinterpret_cast<const char*>(&m), sizeof m);
  out.write(reinterpret_cast<const char*>(origins.data()), static_cast<std::streamsize>(m * sizeof(std::int32_t)));
  out.write(reinterpret_cast<const char*>(targets.data()), static_cast<std::streamsize>(m * sizeof(std::int32_t)));
  out.write(reinterpret_cast<const char*>(w.weight.data()), static_cast<std::streamsize>(m * sizeof(float)));
}

struct peerResult {
  double seconds = -1, wall = -1, sum = 0;  // processor and wall seconds
};

// Runs pc_peers.py on the graph file; one line per peer.
std::map<std::string, peerResult> runPeers(const std::string& graph) {
  std::map<std::string, peerResult> peers;
  const std::string command = std::string("/usr/bin/python3 ") + VERDALIS_BENCH_SOURCES + "/pc_peers.py " + graph;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return peers;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string name;
    peerResult r;
    if (fields >> name >> r.seconds >> r.wall >> r.sum) peers[name] = r;
  }
  pclose(pipe);
  return peers;
}

double relative(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

void P8_OverallPCAgainstPeers(benchmark::State& state) {
  const std::string folder = archipelagoFolder();
  const std::string nodes = folder + "/nodes.txt", connections = folder + "/distances_within_5000.txt";
  if (!exists(nodes) || !exists(connections)) {
    state.SkipWithError(("no " + nodes + " or " + connections + ": set VERDALIS_ARCHIPELAGO").c_str());
    return;
  }
  const sparseLandscape land = readArchipelago(nodes, connections);
  engineRequest<double> request;
  request.form = landscapeForm::sparse;
  request.sparse = &land;
  request.indices.pc = true;
  landscape<double> values;
  measureSparse(request, values, nullptr);
  const std::string graph = benchDir() + "/p8_graph.bin";
  writeGraph(land, graph);
  const std::string args = "-nodeFile " + nodes + " -conFile " + connections +
                           " -t dist notall -confAdj 1000 -confProb 1000 0.5 -PC onlyoverall -threads 1";
  for (auto _ : state) {
    const runResult program = runProgram(args, "p8");
    report(state, program);
    const std::map<std::string, peerResult> peers = runPeers(graph);
    bool within = program.status == 0 && peers.size() == 2;
    for (const auto& [name, r] : peers) {
      const double ratio = r.seconds / program.cpuSeconds, difference = relative(r.sum, values.pcnum);
      state.counters[name + "_cpu_s"] = r.seconds;
      state.counters[name + "_wall_s"] = r.wall;
      state.counters[name + "_ratio"] = ratio;
      state.counters[name + "_sum_rel_diff"] = difference;
      within = within && ratio >= 10 && difference <= 1e-9;
    }
    // The sum taken here is the program's: the same six digits in its file.
    std::ostringstream text;
    text << "PCnum\t" << values.pcnum << "\n";
    std::ifstream written(benchDir() + "/p8/overall_indices.txt");
    std::string line, found;
    while (std::getline(written, line))
      if (line.rfind("PCnum\t", 0) == 0) found = line + "\n";
    state.counters["program_sum_matches"] = found == text.str() ? 1 : 0;
    within = within && found == text.str();
    state.counters["PCnum"] = values.pcnum;
    state.counters["within_goals"] = within ? 1 : 0;
  }
}
BENCHMARK(P8_OverallPCAgainstPeers)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
