#pragma once
// The two passes of a batch of prepared sources over the lanes: PC over
// every source of the batch, then the binary indices. The two add to sums
// of their own, so each keeps its source order. Each pass is timed once per
// batch, not per source: a reading of the thread's clock is a system call,
// and per source and task they cost a few per cent of a run.
#include <atomic>

#include "support/parallel.h"

namespace verdalis {

template <class PCPass, class BinaryPass>
void timedPasses(int count, bool pc, bool binary, PCPass&& pcPass, BinaryPass&& binaryPass,
                 std::atomic<long long>& pcMicros, std::atomic<long long>& binaryMicros) {
  const double start = threadCpuMillis();
  if (pc)
    for (int i = 0; i < count; ++i) pcPass(i);
  const double middle = threadCpuMillis();
  if (binary)
    for (int i = 0; i < count; ++i) binaryPass(i);
  pcMicros += static_cast<long long>((middle - start) * 1000.0);
  binaryMicros += static_cast<long long>((threadCpuMillis() - middle) * 1000.0);
}

}  // namespace verdalis
