#include "support/parallel.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "support/cancellation.h"

namespace verdalis {

unsigned workerThreads(int requested) {
  if (requested > 0) return static_cast<unsigned>(requested);
  unsigned hardware = std::thread::hardware_concurrency();
  return hardware == 0 ? 1u : hardware;
}

double threadCpuMillis() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

void orderedParallel(int count, unsigned threads, const std::function<void(int, unsigned)>& work,
                     const std::function<void(int)>& done) {
  if (count <= 0) return;
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(count)));
  if (threads == 1) {
    for (int task = 0; task < count; ++task) {
      stopIfCancelled();
      work(task, 0);
      done(task);
    }
    return;
  }
  std::atomic<int> next{0};
  std::atomic<bool> failed{false};
  std::vector<char> finished(static_cast<std::size_t>(count), 0);
  std::mutex mutex;
  std::condition_variable changed;
  std::exception_ptr error;
  auto worker = [&](unsigned id) {
    for (;;) {
      const int task = next.fetch_add(1);
      if (task >= count || failed.load()) break;
      try {
        stopIfCancelled();
        work(task, id);
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!error) error = std::current_exception();
        failed.store(true);
      }
      {
        std::lock_guard<std::mutex> lock(mutex);
        finished[static_cast<std::size_t>(task)] = 1;
      }
      changed.notify_all();
    }
    changed.notify_all();
  };
  // A failure on this thread (a thread that cannot start, a done() that
  // throws, a run asked to stop) stops the workers too, and every worker is
  // joined before it leaves.
  std::vector<std::thread> pool;
  std::exception_ptr here;
  try {
    for (unsigned id = 0; id < threads; ++id) pool.emplace_back(worker, id);
    for (int task = 0; task < count; ++task) {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return finished[static_cast<std::size_t>(task)] != 0 || failed.load(); });
      if (failed.load()) break;
      lock.unlock();
      done(task);
    }
  } catch (...) {
    here = std::current_exception();
    failed.store(true);
  }
  for (std::thread& t : pool) t.join();
  if (here) std::rethrow_exception(here);
  if (error) std::rethrow_exception(error);
}

namespace {

// The state of the rounds in hand, under one lock. A task is a prepare
// (round, item) or a consume (round, part); workers take the consumes of
// the oldest rounds first, so that slots free up, and prepare ahead
// otherwise.
class roundScheduler {
 public:
  roundScheduler(const roundStages& s) : stages(s), nextRound(static_cast<std::size_t>(s.parts), 0),
                                         partBusy(static_cast<std::size_t>(s.parts), 0) {}
  void work(unsigned id);
  void rethrow() {
    if (error) std::rethrow_exception(error);
  }

 private:
  struct task {
    enum class kind { none, prepare, consume } what = kind::none;
    int round = 0, index = 0;
  };
  struct roundState {
    int handed = 0, done = 0, items = 0;
  };
  const roundStages& stages;
  std::vector<int> nextRound;  // per part, the round it consumes next
  std::vector<char> partBusy;
  std::vector<roundState> states;  // by round, grown as rounds start
  int preparing = 0;               // the round whose items are being handed out
  int consumedAll = 0;             // rounds below this are consumed by every part
  bool failed = false;
  std::exception_ptr error;
  std::mutex mutex;
  std::condition_variable changed;

  bool finished() const { return consumedAll >= stages.rounds; }
  task pick();
  void complete(const task& t);
};

roundScheduler::task roundScheduler::pick() {
  task t;
  // The part furthest behind whose next round is ready.
  int best = -1;
  for (int p = 0; p < stages.parts; ++p) {
    const int r = nextRound[static_cast<std::size_t>(p)];
    if (partBusy[static_cast<std::size_t>(p)] || r >= stages.rounds || r >= static_cast<int>(states.size())) continue;
    const roundState& state = states[static_cast<std::size_t>(r)];
    if (state.done < state.items || state.handed < state.items) continue;
    if (best < 0 || r < nextRound[static_cast<std::size_t>(best)]) best = p;
  }
  if (best >= 0) {
    t.what = task::kind::consume;
    t.round = nextRound[static_cast<std::size_t>(best)];
    t.index = best;
    partBusy[static_cast<std::size_t>(best)] = 1;
    return t;
  }
  if (preparing < stages.rounds && preparing < consumedAll + stages.ahead) {
    if (preparing == static_cast<int>(states.size())) {
      roundState fresh;
      fresh.items = std::max(1, stages.itemsOf(preparing));
      states.push_back(fresh);
    }
    roundState& state = states[static_cast<std::size_t>(preparing)];
    t.what = task::kind::prepare;
    t.round = preparing;
    t.index = state.handed++;
    if (state.handed == state.items) ++preparing;
  }
  return t;
}

void roundScheduler::complete(const task& t) {
  if (t.what == task::kind::prepare) {
    ++states[static_cast<std::size_t>(t.round)].done;
    return;
  }
  const std::size_t p = static_cast<std::size_t>(t.index);
  partBusy[p] = 0;
  ++nextRound[p];
  int least = stages.rounds;
  for (int r : nextRound) least = std::min(least, r);
  consumedAll = least;
}

void roundScheduler::work(unsigned id) {
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    if (failed || finished()) break;
    const task t = pick();
    if (t.what == task::kind::none) {
      changed.wait(lock);
      continue;
    }
    lock.unlock();
    try {
      if (t.what == task::kind::prepare)
        stages.prepare(t.round, t.index, id);
      else
        stages.consume(t.round, t.index, id);
    } catch (...) {
      lock.lock();
      if (!error) error = std::current_exception();
      failed = true;
      changed.notify_all();
      break;
    }
    lock.lock();
    complete(t);
    changed.notify_all();
  }
  changed.notify_all();
}

}  // namespace

void pipelinedRounds(const roundStages& stages, unsigned threads) {
  if (stages.rounds <= 0) return;
  roundScheduler scheduler(stages);
  std::vector<std::thread> pool;
  for (unsigned id = 1; id < std::max(1u, threads); ++id) pool.emplace_back([&scheduler, id] { scheduler.work(id); });
  scheduler.work(0);
  for (std::thread& t : pool) t.join();
  scheduler.rethrow();
}

}  // namespace verdalis
