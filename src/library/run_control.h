#pragma once
// What a runControl shares with the run it controls, and the installing of
// a control for the life of a run: the run's cancel flag (cancellation.h)
// and its running mark, with the phase lines on standard error left to the
// caller, who shows progress its own way. Used by analyse() and by the GIS
// companions' in-process entries.
#include <atomic>
#include <mutex>

#include "support/cancellation.h"
#include "support/messages.h"
#include "verdalis/verdalis.h"

namespace verdalis {

struct runControl::shared {
  std::atomic<bool> cancelled{false};
  std::atomic<bool> running{false};
};

// The console, the problem log, the progress meter and the cancel flag are
// the process's: one run at a time.
inline std::mutex& analysisMutex() {
  static std::mutex mutex;
  return mutex;
}

// Null control: nothing is installed.
class controlInstalled {
 public:
  explicit controlInstalled(runControl* control) : control_(control) {
    if (control_ == nullptr) return;
    cancelFlag().store(&control_->state->cancelled);
    control_->state->running.store(true);
    phaseLines_ = console().phaseLines;
    console().phaseLines = false;
  }
  ~controlInstalled() {
    if (control_ == nullptr) return;
    console().phaseLines = phaseLines_;
    cancelFlag().store(nullptr);
    control_->state->running.store(false);
  }
  controlInstalled(const controlInstalled&) = delete;
  controlInstalled& operator=(const controlInstalled&) = delete;

 private:
  runControl* control_;
  bool phaseLines_ = true;
};

}  // namespace verdalis
