#pragma once
// One run of the library (an analysis, a prep) on a thread of its own while
// R's thread waits for it: R's thread alone touches R (the progress bar, the
// console, the interrupt), the worker only the library. Whatever ends the
// wait (the run ending, an interrupt, an error in R's own code), the worker
// is cancelled if it still runs and joined before the wait returns, so no
// thread outlives the call.
#include <signal.h>

#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <Rcpp.h>
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
template <class Result>
struct workerOutcome {
  std::optional<Result> results;
  std::exception_ptr failure;
};

template <class Result>
class workerRun {
 public:
  using work = std::function<Result(verdalis::runControl&)>;

  explicit workerRun(work run) {
    std::packaged_task<workerOutcome<Result>()> task([this, run = std::move(run)] {
      workerOutcome<Result> outcome;
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
    // Faults stay with the thread that makes them.
    sigset_t all, previous;
    sigfillset(&all);
    for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) sigdelset(&all, fault);
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
  workerOutcome<Result> outcome() {
    thread_.join();
    return done_.get();
  }

 private:
  verdalis::runControl control_;
  std::future<workerOutcome<Result>> done_;
  std::thread thread_;
};

// The phase and count that the progress callback last saw.
struct shownProgress {
  std::string phase;
  long long done = -1;
  bool changedBy(const verdalis::progressSnapshot& now) {
    if (now.phase == phase && now.done == done) return false;
    phase = now.phase;
    done = now.done;
    return true;
  }
};

// R's thread while the worker runs: every tenth of a second the log, the
// progress and the interrupt. An interrupt (or an error in the callback)
// leaves by an exception, through the worker's destructor, which cancels
// the run and joins its thread.
template <class Result>
workerOutcome<Result> waitForWorker(workerRun<Result>& worker, heldText& log, SEXP progress) {
  shownProgress shown;
  for (;;) {
    const bool ended = worker.waitFor(std::chrono::milliseconds(100));
    const std::string text = log.take();
    if (!text.empty()) Rcpp::Rcout << text;
    if (ended) return worker.outcome();
    const verdalis::progressSnapshot now = worker.progress();
    if (!Rf_isNull(progress) && now.running && shown.changedBy(now)) {
      Rcpp::Function update(progress);
      update(now.phase, static_cast<double>(now.done), static_cast<double>(now.total));
    }
    Rcpp::checkUserInterrupt();
  }
}

}  // namespace verdalisr
