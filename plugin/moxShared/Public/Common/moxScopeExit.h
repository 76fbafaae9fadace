#pragma once

#include <utility>

// Runs an action when the scope ends, also when an exception leaves it: the
// "finally" of a lock release, a flag reset or a value put back.
template <typename TAction>
class TScopeExit {
 public:
  explicit TScopeExit(TAction action) : FAction(std::move(action)) {}
  ~TScopeExit() { FAction(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  TAction FAction;
};
