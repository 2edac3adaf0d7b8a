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

}  // namespace verdalis
