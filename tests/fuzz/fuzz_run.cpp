// libFuzzer harness of whole runs on tiny landscapes: the input bytes choose
// a node file of at most eight nodes (candidates, duplicates and unknown
// identifiers included), a connection file of distances, probabilities or
// binary links, and a command line from every option family, and the
// program runs in-process in a scratch folder, with the fast engine or with
// -reference. Whatever it is given, it must end normally.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/run.h"
#include "fuzz_support.h"

namespace verdalis {

namespace {

const char* const kDistances[] = {"0", "0.5", "1", "10", "99.5", "100", "150", "1000", "1e30", "3.4e38", "-1"};
const char* const kProbabilities[] = {"0", "1e-30", "0.001", "0.25", "0.5", "0.99", "1", "1.5", "-0"};
const char* const kBinary[] = {"0", "1", "1", "2"};
const char* const kAttributes[] = {"0", "1", "2.5", "10", "100", "1e6", "1e-30", "3e38", "-1", "0"};
const char* const kThresholds[] = {"0", "0.5", "1", "100", "150", "1000", "1e30", "-5", "2"};
const char* const kIndexOptions[] = {"-A",  "-CCP", "-LCP", "-IIC", "-NC",   "-NL",  "-H",
                                     "-F",  "-AWF", "-PC",  "-BC",  "-BCIIC", "-BCPC"};

template <std::size_t N>
const char* pick(FuzzedDataProvider& in, const char* const (&table)[N]) {
  return table[in.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
}

struct fuzzedFiles {
  std::string nodes, connections;
};

fuzzedFiles makeFiles(FuzzedDataProvider& in, int kind, bool addNodes, bool change, bool full) {
  fuzzedFiles files;
  const int n = in.ConsumeIntegralInRange<int>(1, 8);
  std::vector<int> ids;
  for (int k = 0; k < n; ++k) {
    int id = k + 1;
    const int twist = in.ConsumeIntegralInRange<int>(0, 15);
    if (twist == 0) id = ids.empty() ? 0 : ids.back();  // a duplicate identifier
    if (twist == 1) id = -id;
    ids.push_back(id);
    files.nodes += std::to_string(id) + "\t" + pick(in, kAttributes);
    if (addNodes) files.nodes += in.ConsumeIntegralInRange<int>(0, 3) == 0 ? "\t0" : "\t1";
    files.nodes += "\n";
  }
  // Now and then the last line lacks its line end, as hand-edited files do.
  if (in.ConsumeIntegralInRange<int>(0, 15) == 0) files.nodes.pop_back();
  auto value = [&] {
    return std::string(kind == 0 ? pick(in, kDistances) : kind == 1 ? pick(in, kProbabilities) : pick(in, kBinary));
  };
  auto line = [&](int a, int b) {
    files.connections += std::to_string(a) + "\t" + std::to_string(b) + "\t" + value();
    if (change) {
      files.connections += "\t" + value();
    }
    files.connections += "\n";
  };
  if (full) {
    for (std::size_t i = 0; i < ids.size(); ++i)
      for (std::size_t j = 0; j < ids.size(); ++j)
        if (i != j) line(ids[i], ids[j]);
  }
  const int extra = full ? 0 : in.ConsumeIntegralInRange<int>(0, 20);
  for (int k = 0; k < extra; ++k) {
    int a = ids[in.ConsumeIntegralInRange<std::size_t>(0, ids.size() - 1)];
    int b = ids[in.ConsumeIntegralInRange<std::size_t>(0, ids.size() - 1)];
    if (in.ConsumeIntegralInRange<int>(0, 15) == 0) b = 99;  // a node that is not listed
    line(a, b);
  }
  if (files.connections.empty()) line(ids[0], ids[0]);
  return files;
}

std::vector<std::string> makeCommandLine(FuzzedDataProvider& in, int kind, bool addNodes, bool change, bool full,
                                         bool pairs, bool reference) {
  std::vector<std::string> a{"verdalis"};
  if (pairs)
    a.insert(a.end(), {"-nodeFile", "n_", "-conFile", "c_", "-*"});
  else
    a.insert(a.end(), {"-nodeFile", "nodes.txt", "-conFile", "connections.txt"});
  a.insert(a.end(), {"-t", kind == 0 ? "dist" : kind == 1 ? "prob" : "adj", full ? "all" : "notall"});
  const unsigned indices = in.ConsumeIntegral<std::uint16_t>();
  for (unsigned k = 0; k < 13; ++k)
    if (indices & (1u << k)) a.push_back(kIndexOptions[k]);
  if (in.ConsumeBool()) a.insert(a.end(), {"-confAdj", pick(in, kThresholds)});
  if (kind == 0 && in.ConsumeBool()) a.insert(a.end(), {"-confProb", pick(in, kThresholds), pick(in, kProbabilities)});
  if (in.ConsumeBool()) a.insert(a.end(), {"-pcHeur", in.ConsumeBool() ? "all" : pick(in, kProbabilities)});
  if (addNodes) a.push_back("-add");
  if (change) a.push_back("-change");
  for (const char* analysis : {"-removal", "-improvement"}) {
    if (!in.ConsumeBool()) continue;
    a.push_back(analysis);
    if (in.ConsumeBool()) a.insert(a.end(), {"maxValue", pick(in, kThresholds)});
  }
  if (in.ConsumeBool()) a.insert(a.end(), {"-landArea", pick(in, kAttributes)});
  if (in.ConsumeBool()) a.push_back("onlyoverall");
  if (in.ConsumeBool()) a.push_back(in.ConsumeBool() ? "-simple" : "-double");
  if (in.ConsumeBool()) a.insert(a.end(), {"-prefix", in.ConsumeBool() ? "r_b+_x_p+_" : "run"});
  for (const char* output : {"-wcomp", "-wlinks", "-wprobdir", "-wprobmax", "-noout"})
    if (in.ConsumeBool()) a.push_back(output);
  if (reference) a.push_back("-reference");
  if (in.ConsumeBool()) a.insert(a.end(), {"-threads", in.ConsumeBool() ? "1" : "2"});
  if (in.ConsumeIntegralInRange<int>(0, 3) == 0) {
    // A short value range: at most four runs.
    const int first = in.ConsumeIntegralInRange<int>(0, 1000);
    const int span = in.ConsumeIntegralInRange<int>(0, 1000);
    const int step = span / 3 + 1;
    a.insert(a.end(), {"-confMultipleValues", std::to_string(first), std::to_string(first + span),
                       std::to_string(step)});
  }
  return a;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::scratchFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int kind = in.ConsumeIntegralInRange<int>(0, 2);
  const bool addNodes = in.ConsumeIntegralInRange<int>(0, 3) == 0;
  const bool change = in.ConsumeIntegralInRange<int>(0, 3) == 0;
  const bool full = in.ConsumeBool();
  const bool pairs = in.ConsumeIntegralInRange<int>(0, 7) == 0;
  const bool reference = in.ConsumeBool();
  fuzzedFiles files = makeFiles(in, kind, addNodes, change, full);
  std::vector<std::string> tokens = makeCommandLine(in, kind, addNodes, change, full, pairs, reference);
  fuzzsupport::clearScratchFolder();
  if (pairs) {
    fuzzsupport::writeFile("n_a.txt", files.nodes);
    fuzzsupport::writeFile("c_a.txt", files.connections);
    fuzzsupport::writeFile("n_b.txt", files.nodes);
    fuzzsupport::writeFile("c_b.txt", files.connections);
  } else {
    fuzzsupport::writeFile("nodes.txt", files.nodes);
    fuzzsupport::writeFile("connections.txt", files.connections);
  }
  // Replaying a finding with VERDALIS_FUZZ_SHOW set prints what it ran.
  if (std::getenv("VERDALIS_FUZZ_SHOW") != nullptr) {
    std::fprintf(stderr, "--- nodes\n%s--- connections\n%s--- command line\n", files.nodes.c_str(),
                 files.connections.c_str());
    for (const std::string& token : tokens) std::fprintf(stderr, "%s ", token.c_str());
    std::fprintf(stderr, "\n");
  }
  std::vector<char*> argv;
  for (std::string& token : tokens) argv.push_back(token.data());
  argv.push_back(nullptr);
  verdalisMain(static_cast<int>(tokens.size()), argv.data());
  return 0;
}

}  // namespace verdalis
