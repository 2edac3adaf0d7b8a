#pragma once
// One analysis on a thread of its own while R's thread waits for it: R's
// thread alone touches R (the progress bar, the console, the interrupt), the
// worker only the library. Whatever ends the wait (the analysis ending, an
// interrupt, an error in R's own code), the worker is cancelled if it still
// runs and joined before the wait returns, so no thread outlives the call.
#include <signal.h>

#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <verdalis/verdalis.h>

namespace verdalisr {

// Text the run says from its threads, held until R's thread prints it.
class heldText {
 public:
  void add(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_ += text;
  }
  std::string take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text;
    text.swap(text_);
    return text;
  }

 private:
  std::mutex mutex_;
  std::string text_;
};

// What the worker left: the results, or the exception that ended it.
struct workerOutcome {
  std::optional<verdalis::analysisResults> results;
  std::exception_ptr failure;
};

class workerRun {
 public:
  using analysis = std::function<verdalis::analysisResults(verdalis::runControl&)>;

  explicit workerRun(analysis run) {
    std::packaged_task<workerOutcome()> task([this, run = std::move(run)] {
      workerOutcome outcome;
      try {
        outcome.results.emplace(run(control_));
      } catch (...) {
        outcome.failure = std::current_exception();
      }
      return outcome;
    });
    done_ = task.get_future();
    // Signals go to R's thread, whose handlers turn Ctrl-C into an
    // interrupt: the worker and the threads it starts inherit a full mask.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    try {
      thread_ = std::thread(std::move(task));
    } catch (...) {
      pthread_sigmask(SIG_SETMASK, &previous, nullptr);
      throw;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
  ~workerRun() {
    if (!thread_.joinable()) return;
    control_.cancel();
    thread_.join();
  }
  workerRun(const workerRun&) = delete;
  workerRun& operator=(const workerRun&) = delete;

  // Waits about `step` for the run to end; true once it has.
  bool waitFor(std::chrono::milliseconds step) {
    return done_.wait_for(step) == std::future_status::ready;
  }
  verdalis::progressSnapshot progress() const { return control_.progress(); }
  // The outcome, once waitFor said the run ended.
  workerOutcome outcome() {
    thread_.join();
    return done_.get();
  }

 private:
  verdalis::runControl control_;
  std::future<workerOutcome> done_;
  std::thread thread_;
};

}  // namespace verdalisr
