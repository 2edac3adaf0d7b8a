#pragma once
// Calendar time stamps and processor time in milliseconds.
#include <ctime>
#include <string>

namespace verdalis {

// The 24-character calendar text with its own line end, as asctime gives it.
inline std::string calendarText(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char buffer[64];
  asctime_r(&local, buffer);
  return buffer;
}

// Processor time of the whole process in milliseconds, whatever the
// platform's clock rate.
inline std::clock_t cpuMillis() {
  return static_cast<std::clock_t>(static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC);
}

}  // namespace verdalis
