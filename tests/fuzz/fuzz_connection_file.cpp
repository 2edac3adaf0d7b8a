// libFuzzer harness of the connection-file reader: the first byte picks the
// settings (kind of values, link-change column, full structure, candidates),
// the rest is the connection file, read against a fixed node file of four
// existing nodes and two candidates.
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "program/quivaraProgram.h"

namespace verdalis {

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::scratchFolder();
  fuzzsupport::writeFile("nodes2.txt", "1\t10\n2\t20\n3\t0\n-4\t5\n");
  fuzzsupport::writeFile("nodes3.txt", "1\t10\t1\n2\t20\t1\n3\t0\t1\n-4\t5\t1\n7\t1\t0\n8\t2\t0\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t flags = data[0];
  const int kind = flags % 3;
  const bool change = flags & 4;
  const bool full = flags & 8;
  const bool addNodes = flags & 16;
  const bool probabilistic = kind != 2 && (flags & 32);
  fuzzsupport::writeFile("connections.txt", std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  quivaraProgram<float> program(kind == 0, kind == 1, kind == 2, false, true, true, true, true, true, true,
                                probabilistic, probabilistic, probabilistic, true, probabilistic, true,
                                addNodes ? "nodes3.txt" : "nodes2.txt", "connections.txt", 0.5f, 1000.0f, 0.5f,
                                0.0f, false, false, false, false, full, addNodes, (flags & 64) != 0,
                                (flags & 128) != 0, -1.0f, change, 0.0f);
  try {
    if (program.initial_check() != 0) return 0;
    program.load_data();
  } catch (const char*) {
    return 0;
  }
  const int n = program.nNodes;
  if (n != 4 || program.nNodesAdd != (addNodes ? 2 : 0)) std::abort();
  if (program.connections.rows() != 4 || program.connections.cols() != 4) std::abort();
  if (change && (program.connectionsDiff.rows() != 4 || program.connectionsDiff.cols() != 4)) std::abort();
  // The changed values are symmetric by construction.
  if (change)
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        float a = program.connectionsDiff(i, j), b = program.connectionsDiff(j, i);
        if (a != b && !(a != a && b != b)) std::abort();
      }
  return 0;
}

}  // namespace verdalis
