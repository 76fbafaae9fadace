#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "threads/Thread_Common.h"

namespace threads_test {

// Generous: a deadlock or a lost wake-up fails the test instead of hanging it.
constexpr std::chrono::milliseconds kBound{10000};
// How long a blocked thread is watched to show that it stays blocked.
constexpr std::chrono::milliseconds kBlockedFor{50};

// Runs `body` on a thread of its own. Each task's future is ready once the body
// has returned; a task that is still blocked when the test ends is left behind,
// so the body must keep what it uses alive through shared pointers.
inline std::future<void> RunAsync(std::function<void()> body) {
  std::packaged_task<void()> task(std::move(body));
  std::future<void> done = task.get_future();
  std::thread(std::move(task)).detach();
  return done;
}

inline bool Finishes(std::future<void>& done, std::chrono::milliseconds bound = kBound) {
  return done.wait_for(bound) == std::future_status::ready;
}

inline bool StaysBlocked(std::future<void>& done) {
  return done.wait_for(kBlockedFor) == std::future_status::timeout;
}

// A journal that several threads write to.
class Journal {
 public:
  void Add(std::string entry) {
    std::lock_guard<std::mutex> guard(mutex_);
    entries_.push_back(std::move(entry));
  }
  std::vector<std::string> Entries() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return entries_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> entries_;
};

// An item that notes its destruction in a journal.
class NamedItem : public TObject {
 public:
  NamedItem(std::shared_ptr<Journal> journal, std::string name)
      : journal_(std::move(journal)), name_(std::move(name)) {}
  ~NamedItem() override { journal_->Add("free " + name_); }
  const std::string& Name() const { return name_; }

 private:
  std::shared_ptr<Journal> journal_;
  std::string name_;
};

// An item whose destructor raises, as the containers must expect.
class FailingItem : public TObject {
 public:
  // NOLINTNEXTLINE(bugprone-exception-escape): raising is this item's purpose
  ~FailingItem() noexcept(false) override { throw std::runtime_error("destructor failed"); }
};

}  // namespace threads_test
