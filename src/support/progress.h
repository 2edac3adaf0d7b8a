#pragma once
// How far a long run has got, told on standard error: the phase it is in,
// the share of the phase done and an estimate of the time left. A phase says
// nothing in its first seconds, so that short runs (and every test) stay
// silent, and then one line every few seconds at most, whatever the size of
// the run: the run log on standard output is left as it is.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "support/cancellation.h"

namespace verdalis {

// A phase is quiet for this long: most phases of most runs end before.
constexpr std::chrono::seconds kFirstPhaseLineAfter{2};
// Then one line this often: enough to see a run move, few enough to read.
constexpr std::chrono::seconds kPhaseLineEvery{10};

// One phase at a time. A watcher thread of its own writes the lines, so
// that a phase whose units are slow to finish still shows that it is alive.
class progressMeter {
 public:
  progressMeter() = default;
  progressMeter(const progressMeter&) = delete;
  progressMeter& operator=(const progressMeter&) = delete;
  ~progressMeter() { endPhase(); }

  // totalUnits 0: the share cannot be known, only the time spent.
  void startPhase(const std::string& name, long long totalUnits);
  // From any thread; a single atomic addition, and the point where a run
  // asked to stop does so.
  void advance(long long units) {
    done_.fetch_add(units, std::memory_order_relaxed);
    stopIfCancelled();
  }

  // The phase under way, for another thread that shows it its own way.
  struct snapshot {
    std::string phase;  // empty between phases
    long long done = 0, total = 0;
    double seconds = 0;
    bool spoke = false;  // the phase has written a line
  };
  snapshot now();
  // A meter whose units are whole pieces of work that another meter follows
  // inside (regions, each run through the core): while the inner phase
  // speaks, this one says nothing until its share moves, since its time
  // left would only grow and the inner lines tell the real one.
  void followedBy(progressMeter& inner) { inner_ = &inner; }
  // Says how long the phase took if it said anything before.
  void endPhase();

 private:
  using clock = std::chrono::steady_clock;

  void watch();
  void sayLine(const std::string& text);

  std::atomic<long long> done_{0};
  long long total_ = 0;
  std::string name_;
  clock::time_point start_;
  bool spoke_ = false;
  bool running_ = false;
  progressMeter* inner_ = nullptr;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread watcher_;
};

// The meter of the run in progress, for the whole process.
progressMeter& runProgress();

// A phase for the life of a scope, ended also when the run ends by an
// exception.
class progressPhase {
 public:
  progressPhase(const std::string& name, long long totalUnits, progressMeter& meter = runProgress())
      : meter_(meter) {
    meter_.startPhase(name, totalUnits);
  }
  ~progressPhase() { meter_.endPhase(); }
  progressPhase(const progressPhase&) = delete;
  progressPhase& operator=(const progressPhase&) = delete;

 private:
  progressMeter& meter_;
};

// "Node removals: 37% done, about 4 min left", from the units done of the
// total after the given seconds; the time left assumes the rate so far.
std::string phaseLine(const std::string& name, long long done, long long total, double seconds);

// A duration for a person: "40 s", "4 min", "2 h 5 min", "3 days 4 h".
std::string durationForPerson(double seconds);

}  // namespace verdalis
