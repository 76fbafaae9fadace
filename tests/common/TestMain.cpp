// The test programs' main: GoogleTest with a watchdog that stops the program,
// naming the test, when one test runs far longer than any test should. A hang
// then fails at once with its name instead of at the runner's time-out with none.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr std::chrono::seconds kHangBound{180};
constexpr int kHangExitCode = 3;

class HangWatchdog final : public ::testing::EmptyTestEventListener {
 public:
  HangWatchdog() : thread_([this] { Watch(); }) {}
  ~HangWatchdog() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  HangWatchdog(const HangWatchdog&) = delete;
  HangWatchdog& operator=(const HangWatchdog&) = delete;

  void OnTestStart(const ::testing::TestInfo& test) override {
    std::lock_guard<std::mutex> guard(lock_);
    running_ = std::string(test.test_suite_name()) + "." + test.name();
    deadline_ = std::chrono::steady_clock::now() + kHangBound;
    ++started_;
    wake_.notify_all();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::lock_guard<std::mutex> guard(lock_);
    running_.clear();
    wake_.notify_all();
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> guard(lock_);
    while (!stopping_) {
      if (running_.empty()) {
        wake_.wait(guard);
        continue;
      }
      const unsigned long test = started_;
      const bool moved = wake_.wait_until(
          guard, deadline_, [&] { return stopping_ || running_.empty() || started_ != test; });
      if (!moved) Stop();
    }
  }
  [[noreturn]] void Stop() const {
    std::fprintf(stderr, "\n%s still runs after %lld s: taken for a hang, the tests stop here\n",
                 running_.c_str(), static_cast<long long>(kHangBound.count()));
    std::fflush(stderr);
    std::_Exit(kHangExitCode);
  }

  std::mutex lock_;
  std::condition_variable wake_;
  std::string running_;  // the test that runs; empty between tests
  std::chrono::steady_clock::time_point deadline_;
  unsigned long started_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

// MOX_TEST_WATCHDOG=0 leaves the watchdog out: under user-mode emulation a
// program must start no thread of its own (the runner's time-out still holds).
bool WatchdogWanted() {
  const char* setting = std::getenv("MOX_TEST_WATCHDOG");
  return setting == nullptr || std::string(setting) != "0";
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  if (!WatchdogWanted()) return RUN_ALL_TESTS();
  auto* watchdog = new HangWatchdog;
  ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
  listeners.Append(watchdog);
  const int result = RUN_ALL_TESTS();
  // Stopped here rather than while the program ends, when joining a thread may not work.
  delete listeners.Release(watchdog);
  return result;
}
