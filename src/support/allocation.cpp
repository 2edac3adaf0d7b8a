#include "support/allocation.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <new>
#include <string>

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

// A "Name:   123 kB" field of a /proc file, in bytes; -1 when absent.
double procField(const char* file, const std::string& name) {
  std::ifstream in(file);
  const std::string key = name + ":";
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, key.size(), key) == 0) return std::strtod(line.c_str() + key.size(), nullptr) * 1024;
  return -1;
}

// The address space a worker thread takes beyond its data: its stack.
constexpr double kThreadAddressSpace = 16.0 * (1 << 20);

// What is left of a limit after what the process already holds.
double leftOf(std::size_t limit, double held) {
  const double left = static_cast<double>(limit) - (held > 0 ? held : 0);
  return left > 0 ? left : 0;
}

}  // namespace

std::size_t memoryAvailable(unsigned threads) {
  double available = static_cast<double>(machineMemory());
  const double free = procField("/proc/meminfo", "MemAvailable");
  const double swap = procField("/proc/meminfo", "SwapFree");
  if (free >= 0) available = free + (swap > 0 ? swap : 0);
  const std::size_t addressSpace = softLimit(RLIMIT_AS), data = softLimit(RLIMIT_DATA);
  if (addressSpace != kUnlimited)
    available = std::min(available, leftOf(addressSpace, procField("/proc/self/status", "VmSize") +
                                                             threads * kThreadAddressSpace));
  if (data != kUnlimited) available = std::min(available, leftOf(data, procField("/proc/self/status", "VmData")));
  if (available >= static_cast<double>(kUnlimited)) return kUnlimited;
  return static_cast<std::size_t>(available);
}

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
