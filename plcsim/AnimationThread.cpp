#include "AnimationThread.h"

#include <utility>

#include "Animation.h"

namespace plcsim {

AnimationThread::AnimationThread(std::vector<AnimatedValue> values, PlcMemory& memory,
                                 std::chrono::milliseconds tick)
    : values_(std::move(values)), memory_(memory), tick_(tick), thread_([this] { Run(); }) {}

AnimationThread::~AnimationThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stopped_.notify_all();
  thread_.join();
}

void AnimationThread::Run() {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopped_.wait_for(lock, tick_, [this] { return stopping_; })) {
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    Animate(values_, memory_, elapsed.count());
  }
}

}  // namespace plcsim
