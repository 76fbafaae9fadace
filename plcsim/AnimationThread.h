#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "Description.h"
#include "PlcMemory.h"

namespace plcsim {

// Rewrites the animated values every `tick`, with the time since its start,
// until it is destroyed.
class AnimationThread {
 public:
  AnimationThread(std::vector<AnimatedValue> values, PlcMemory& memory,
                  std::chrono::milliseconds tick);
  ~AnimationThread();
  AnimationThread(const AnimationThread&) = delete;
  AnimationThread& operator=(const AnimationThread&) = delete;

 private:
  void Run();

  const std::vector<AnimatedValue> values_;
  PlcMemory& memory_;
  const std::chrono::milliseconds tick_;
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace plcsim
