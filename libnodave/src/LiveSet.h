#pragma once

#include <mutex>
#include <set>

namespace nodave {

// A thread-safe set of the handles or records the library has handed out, so that
// calls with anything else (garbage, or a record freed before) are refused.
template <typename T>
class LiveSet {
 public:
  void Add(T value) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_.insert(value);
  }
  bool Contains(T value) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return values_.count(value) != 0;
  }
  // True when the value was in the set.
  bool Remove(T value) {
    std::lock_guard<std::mutex> lock(mutex_);
    return values_.erase(value) != 0;
  }

 private:
  mutable std::mutex mutex_;
  std::set<T> values_;
};

}  // namespace nodave
