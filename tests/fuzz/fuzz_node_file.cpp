// libFuzzer harness of the node-file reader: the first byte picks the
// settings (candidates column, kind of connection file, indices), the rest
// is the node file. The initial check and the loading run on it, and what
// they leave must be consistent whatever the bytes were.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "program/quivaraProgram.h"

namespace verdalis {

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::scratchFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t flags = data[0];
  const bool addNodes = flags & 1;
  const int kind = (flags >> 1) % 3;  // distances, probabilities, binary links
  const bool probabilistic = kind != 2 && (flags & 8);
  const bool change = flags & 16;
  fuzzsupport::writeFile("nodes.txt", std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  fuzzsupport::writeFile("connections.txt", change ? "1\t2\t0.5\t1\n2\t3\t1\t0\n" : "1\t2\t0.5\n2\t3\t1\n");
  const float area = (flags & 32) ? 1000.0f : 0.0f;
  quivaraProgram<double> program(kind == 0, kind == 1, kind == 2, true, true, true, true, true, true, true,
                                 probabilistic, probabilistic, probabilistic, true, probabilistic, true,
                                 "nodes.txt", "connections.txt", 0.5f, 1000.0f, 0.5f, 0.0f, false, false, false,
                                 false, false, addNodes, (flags & 64) != 0, (flags & 128) != 0, -1.0f, change,
                                 area);
  try {
    if (program.initial_check() != 0) return 0;
    program.load_data();
  } catch (const char*) {
    return 0;  // exhausted memory: the run would end with "error23"
  }
  program.information_execution();
  if (program.nNodes < 0 || program.nNodesAdd < 0) std::abort();
  if (program.nNodes + program.nNodesAdd != program.nNodesTotal) std::abort();
  if (program.label.size() != static_cast<std::size_t>(program.nNodes)) std::abort();
  if (program.size.size() != static_cast<std::size_t>(program.nNodes)) std::abort();
  if (program.labelAdd.size() != static_cast<std::size_t>(program.nNodesAdd)) std::abort();
  if (program.connections.rows() != static_cast<std::size_t>(program.nNodes)) std::abort();
  for (int i = 0; i < program.nNodes; ++i) {
    int pos = -1;
    if (!program.exist_nodes(program.label[i], pos) || pos < 0 || pos > i) {
      // An entry that no line filled keeps identifier 0 and is not listed.
      if (program.label[i] != 0) std::abort();
    }
  }
  return 0;
}

}  // namespace verdalis
