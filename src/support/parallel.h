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

}  // namespace verdalis
