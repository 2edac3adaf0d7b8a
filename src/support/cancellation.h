#pragma once
// A run that another thread may ask to stop, as the library's callers do
// (an interrupt in R or Python). The long loops look at the flag before each
// step and throw runStopped, which unwinds the run like exhausted memory
// does; the program's own interrupts end the process instead (interrupts.h).
#include <atomic>

namespace verdalis {

struct runStopped {};

// The flag of the run under way, or null: nothing can ask it to stop.
inline std::atomic<const std::atomic<bool>*>& cancelFlag() {
  static std::atomic<const std::atomic<bool>*> flag{nullptr};
  return flag;
}

inline bool cancelRequested() {
  const std::atomic<bool>* flag = cancelFlag().load(std::memory_order_relaxed);
  return flag != nullptr && flag->load(std::memory_order_relaxed);
}

inline void stopIfCancelled() {
  if (cancelRequested()) throw runStopped{};
}

}  // namespace verdalis
