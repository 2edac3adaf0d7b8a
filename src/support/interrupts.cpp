#include "support/interrupts.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <initializer_list>

namespace verdalis {

namespace {

// Only what a signal handler may touch: fixed buffers and lock-free flags.
// A slot's name is complete before its flag is raised and the flag is
// lowered before the name changes, so the handler never reads a name that
// is being written.
constexpr int kSlots = 16;
constexpr std::size_t kNameSize = 4096;
char slotName[kSlots][kNameSize];
volatile sig_atomic_t slotUsed[kSlots];

static_assert(sizeof(sigset_t) <= 16 * sizeof(unsigned long), "interruptsDeferred keeps the mask in saved_");

extern "C" void onInterrupt(int signal) {
  for (int k = 0; k < kSlots; ++k)
    if (slotUsed[k]) ::unlink(slotName[k]);
  // Nothing is flushed: a half-printed console line is harmless, a flush
  // from a handler is not.
  ::_exit(128 + signal);
}

sigset_t interruptSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

void installInterruptHandlers() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // While one handler removes the temporary files, the other signal waits.
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  for (int signal : {SIGINT, SIGTERM}) {
    struct sigaction previous;
    // A shell starts background jobs with SIGINT ignored; keep it that way.
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

int holdTemporaryFile(const char* path) {
  const std::size_t length = std::strlen(path);
  if (length >= kNameSize) return -1;
  for (int k = 0; k < kSlots; ++k) {
    if (slotUsed[k]) continue;
    std::memcpy(slotName[k], path, length + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slotUsed[k] = 1;
    return k;
  }
  return -1;
}

void releaseTemporaryFile(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  slotUsed[slot] = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

interruptsDeferred::interruptsDeferred() {
  sigset_t block = interruptSignals();
  sigset_t previous;
  active_ = pthread_sigmask(SIG_BLOCK, &block, &previous) == 0;
  if (active_) std::memcpy(saved_, &previous, sizeof previous);
}

interruptsDeferred::~interruptsDeferred() {
  if (!active_) return;
  sigset_t previous;
  std::memcpy(&previous, saved_, sizeof previous);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace verdalis
