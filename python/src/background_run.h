#pragma once
// A long call of the library (an analysis, a prep) run on a thread of its
// own while the calling Python thread waits with the GIL released. Every
// 0.1 s the caller wakes to hand the run's text and progress to Python and
// to look for an interrupt (Ctrl-C): an interrupt, or an exception raised by
// a callback, cancels the run through its runControl, and that Python error
// is raised once the run has stopped. The thread is always joined before
// the call returns, so nothing of the run outlives it.
#include <pybind11/pybind11.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "verdalis/verdalis.h"

namespace verdalis::python {

namespace py = pybind11;

// Text written by the run's threads, handed to Python on the calling thread.
class textQueue {
 public:
  std::function<void(const std::string&)> sink() {
    return [this](const std::string& text) {
      std::lock_guard<std::mutex> lock(mutex_);
      pieces_.push_back(text);
    };
  }
  std::vector<std::string> take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(pieces_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> pieces_;
};

// Calls progress(phase, done, total) when the run moves, and once more with
// the phase complete when the run leaves it. Phases shorter than a poll are
// not seen.
class progressReporter {
 public:
  explicit progressReporter(py::object progress) : progress_(std::move(progress)) {}

  void poll(const progressSnapshot& now) {
    if (progress_.is_none()) return;
    if (now.phase != last_.phase) {
      finishPhase();
      last_ = now;
      if (!now.phase.empty()) progress_(now.phase, now.done, now.total);
    } else if (!now.phase.empty() && now.done != last_.done) {
      last_ = now;
      progress_(now.phase, now.done, now.total);
    }
  }
  void finishPhase() {
    if (progress_.is_none() || last_.phase.empty()) return;
    const long long done = last_.total > 0 ? last_.total : last_.done;
    progress_(last_.phase, done, last_.total);
    last_ = {};
  }

 private:
  py::object progress_;
  progressSnapshot last_;
};

// Runs work(control) on a worker thread; called with the GIL held. log is
// a Python callable or None, fed from text.
template <class R>
R runInBackground(const std::function<R(runControl&)>& work, textQueue& text, const py::object& log,
                  const py::object& progress) {
  runControl control;
  std::optional<R> result;
  std::exception_ptr failure, pythonFailure;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  progressReporter reporter(progress);
  auto passOnText = [&] {
    for (const std::string& piece : text.take())
      if (!log.is_none()) log(piece);
  };
  std::thread worker([&] {
    try {
      result.emplace(work(control));
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      done = true;
    }
    finished.notify_all();
  });
  for (bool over = false; !over;) {
    {
      py::gil_scoped_release release;
      std::unique_lock<std::mutex> lock(mutex);
      over = finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; });
    }
    if (pythonFailure) continue;  // cancelled: wait for the run to stop
    try {
      passOnText();
      if (!over) reporter.poll(control.progress());
      if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    } catch (...) {
      pythonFailure = std::current_exception();
      control.cancel();
    }
  }
  worker.join();
  if (pythonFailure) std::rethrow_exception(pythonFailure);
  passOnText();
  if (failure) std::rethrow_exception(failure);
  reporter.finishPhase();
  return std::move(*result);
}

}  // namespace verdalis::python
