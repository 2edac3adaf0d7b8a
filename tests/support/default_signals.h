#pragma once
// The program leaves a signal alone that it inherited as ignored (a
// background job of a script). The interrupt tests start their children
// from the default, with SIGINT and SIGTERM delivered.
#include <signal.h>

namespace verdalis {

inline void restoreDefaultSignals() {
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  sigset_t both;
  sigemptyset(&both);
  sigaddset(&both, SIGINT);
  sigaddset(&both, SIGTERM);
  sigprocmask(SIG_UNBLOCK, &both, nullptr);
}

}  // namespace verdalis
