#pragma once
// The processes of a run played by threads of one test: each thread holds
// the group of its rank, and every exchange waits for all of them, as the
// processes of a cluster job wait for each other.
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/process_group.h"

namespace verdalis {

class threadGroup {
 public:
  explicit threadGroup(int size) : size_(size), slots_(static_cast<std::size_t>(size)) {}

  processGroup member(int rank) {
    processGroup g;
    g.rank = rank;
    g.size = size_;
    g.gather = [this, rank](const std::string& mine, bool failed, std::vector<std::string>& parts) {
      return exchange(rank, mine, failed, parts, false);
    };
    g.allGather = [this, rank](const std::string& mine, bool failed, std::vector<std::string>& parts) {
      return exchange(rank, mine, failed, parts, true);
    };
    return g;
  }

  // body(group) on one thread per rank; returns once all are done.
  template <class Body>
  void run(Body&& body) {
    std::vector<std::thread> threads;
    for (int r = 0; r < size_; ++r)
      threads.emplace_back([this, r, &body] {
        processGroup g = member(r);
        body(g);
      });
    for (std::thread& t : threads) t.join();
  }

 private:
  bool exchange(int rank, const std::string& mine, bool failed, std::vector<std::string>& parts, bool toAll) {
    std::unique_lock<std::mutex> lock(mutex_);
    const long long round = rounds_;
    slots_[rank] = mine;
    failing_ = failing_ || failed;
    if (++arrived_ == size_) {
      // The last to arrive closes the round; no one can close the next
      // before every thread has taken what this one left.
      received_ = slots_;
      failed_ = failing_;
      failing_ = false;
      arrived_ = 0;
      ++rounds_;
      changed_.notify_all();
    } else {
      changed_.wait(lock, [&] { return rounds_ != round; });
    }
    parts.clear();
    if (failed_) return true;
    if (toAll || rank == 0) parts = received_;
    return false;
  }

  const int size_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> slots_, received_;
  int arrived_ = 0;
  long long rounds_ = 0;
  bool failing_ = false, failed_ = false;
};

}  // namespace verdalis
