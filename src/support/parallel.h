#pragma once
// Work split over threads with results handed back in order, so that what is
// printed and summed never depends on the number of threads.
#include <functional>

namespace verdalis {

// Worker threads to use: 0 asks for every hardware thread.
unsigned workerThreads(int requested);

// Processor time of the calling thread, in milliseconds.
double threadCpuMillis();

// Runs work(task, worker) for tasks 0..count-1 on `threads` workers, and
// done(task) on the calling thread for each task in increasing order as soon
// as it and every earlier task are finished. An exception in a task stops the
// remaining tasks and is rethrown on the calling thread; a run asked to stop
// (cancellation.h) throws runStopped before its next task.
void orderedParallel(int count, unsigned threads, const std::function<void(int, unsigned)>& work,
                     const std::function<void(int)>& done);

// Rounds of work in two stages that overlap, so that no worker waits at the
// end of a round while another finishes its share:
//  - prepare(round, item, worker) for each item of a round, in any order;
//  - consume(round, part, worker) for each part, once every item of the
//    round is prepared and the same part has consumed the round before: each
//    part meets the rounds in order, on one worker at a time.
// At most `ahead` rounds are in hand at once (a round is in hand from its
// first item until every part has consumed it), so that their data can live
// in `ahead` slots, round r in slot r % ahead. The calling thread is one of
// the workers. An exception stops the work and is rethrown here.
struct roundStages {
  int rounds = 0, parts = 0, ahead = 2;
  std::function<int(int)> itemsOf;  // items of a round (at least 1)
  std::function<void(int, int, unsigned)> prepare;
  std::function<void(int, int, unsigned)> consume;
};
void pipelinedRounds(const roundStages& stages, unsigned threads);

}  // namespace verdalis
