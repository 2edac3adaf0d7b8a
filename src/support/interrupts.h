#pragma once

namespace verdalis {

// Ending the process on an interrupt (SIGINT, SIGTERM) without leaving a
// result file behind half-written. A file that replaces an earlier version
// is written to a temporary file first; the handler removes that temporary
// file and ends the process at once with 128 + the signal number (130 for
// SIGINT, 143 for SIGTERM). Appends to the summary files hold the signals
// back for the few microseconds of their single write, so that a run's block
// lands whole or not at all.

// Installs the handlers. Called once by the program's entry point, not by
// the library: tests and fuzzers that run the program in-process keep their
// own handling.
void installInterruptHandlers();

// Names a temporary file that the handler must remove if the process is
// interrupted before releaseTemporaryFile. Returns a slot number, or -1 when
// every slot is taken (the file then just is not removed). The path must
// stay valid until it is released. Result files are written from one thread
// at a time.
int holdTemporaryFile(const char* path);
void releaseTemporaryFile(int slot);

// Holds SIGINT and SIGTERM back for its lifetime; a signal that arrives in
// the meantime is handled when the object is destroyed.
class interruptsDeferred {
 public:
  interruptsDeferred();
  ~interruptsDeferred();
  interruptsDeferred(const interruptsDeferred&) = delete;
  interruptsDeferred& operator=(const interruptsDeferred&) = delete;

 private:
  unsigned long saved_[16];  // the previous signal mask, as a sigset_t
  bool active_ = false;
};

}  // namespace verdalis
