// Cost of one Push and one Pop on the worker queue.
#include <benchmark/benchmark.h>

#include "threads/Thread_Queue.h"

namespace {

void BM_QueuePushPop(benchmark::State& state) {
  TThreadSafeQueue queue;
  TObject item;  // popped again at once, so the queue never frees it
  while (state.KeepRunning()) {
    queue.Push(&item);
    benchmark::DoNotOptimize(queue.Pop());
  }
}
BENCHMARK(BM_QueuePushPop);

}  // namespace
