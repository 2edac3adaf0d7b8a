#pragma once
// Work shared by a pool of threads, the calling thread among them: each runs
// body() until it finds no more work. A failure on any thread calls stop()
// (so that the others run out of work soon) and is rethrown once every
// thread has ended, so no thread outlives the call.
#include <exception>
#include <thread>
#include <vector>

namespace verdalis::gis {

template <class body, class stopper>
void runOnThreads(unsigned workers, const body& work, const stopper& stop) {
  std::vector<std::exception_ptr> failures(workers < 1 ? 1 : workers);
  auto guarded = [&](std::exception_ptr& failure) {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
      stop();
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t w = 1; w < failures.size(); ++w) pool.emplace_back(guarded, std::ref(failures[w]));
  guarded(failures[0]);
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

}  // namespace verdalis::gis
