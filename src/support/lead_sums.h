#pragma once
// Sums that rank 0 of a group alone adds (the others send it their terms)
// handed to every process, with the processor time every process spent,
// so that each process goes on from the same values.
#include <cstddef>
#include <string>
#include <vector>

#include "support/plain_bytes.h"
#include "support/process_group.h"

namespace verdalis {

// Collective. put(out) appends the sums on rank 0; take(in, at) reads them
// back on every process. Returns the processor time of all the processes.
template <class Put, class Take>
long long sumsFromLead(processGroup& group, long long micros, Put&& put, Take&& take) {
  std::string out;
  putBytes(out, micros);
  if (group.lead()) put(out);
  std::vector<std::string> parts;
  if (group.allGather(out, false, parts)) throw failureEverywhere();
  long long all = 0;
  for (int r = 0; r < group.size; ++r) {
    const std::string& in = parts[static_cast<std::size_t>(r)];
    std::size_t at = 0;
    long long spent = 0;
    takeBytes(in, at, spent);
    all += spent;
    if (r == 0) take(in, at);
  }
  return all;
}

}  // namespace verdalis
