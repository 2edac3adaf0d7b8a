#include "support/allocation.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <limits>
#include <new>

namespace verdalis {

namespace {

// Requests below this size are never checked: they cannot be impossible,
// and the check costs three system calls.
constexpr std::size_t kUncheckedBytes = std::size_t(64) << 20;

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

std::size_t softLimit(int resource) {
  rlimit limit{};
  if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnlimited;
  return limit.rlim_cur > kUnlimited ? kUnlimited : static_cast<std::size_t>(limit.rlim_cur);
}

std::size_t machineMemory() {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return kUnlimited;
  const unsigned long long unit = info.mem_unit == 0 ? 1 : info.mem_unit;
  const unsigned long long pages = static_cast<unsigned long long>(info.totalram) + info.totalswap;
  if (pages == 0) return kUnlimited;
  if (pages > kUnlimited / unit) return kUnlimited;
  return static_cast<std::size_t>(pages * unit);
}

}  // namespace

std::size_t allocationCeiling() {
  std::size_t ceiling = machineMemory();
  const std::size_t addressSpace = softLimit(RLIMIT_AS);
  const std::size_t data = softLimit(RLIMIT_DATA);
  if (addressSpace < ceiling) ceiling = addressSpace;
  if (data < ceiling) ceiling = data;
  return ceiling;
}

void requireAllocatable(std::size_t count, std::size_t elementSize) {
  if (elementSize != 0 && count > kUnlimited / elementSize) throw std::bad_alloc();
  const std::size_t bytes = count * elementSize;
  if (bytes < kUncheckedBytes) return;
  if (bytes > allocationCeiling()) throw std::bad_alloc();
}

std::size_t cellCount(std::size_t rows, std::size_t cols) {
  if (cols != 0 && rows > kUnlimited / cols) throw std::bad_alloc();
  return rows * cols;
}

}  // namespace verdalis
