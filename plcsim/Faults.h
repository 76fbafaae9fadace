#pragma once

// The faults a real PLC link shows, injected by the simulator's ISO-on-TCP server
// on purpose: answers dropped, late, cut short, with a wrong length, replaced by
// garbage or by another job's answer, connections closed or refused.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "IsoFrame.h"

namespace plcsim {

enum class FaultKind : uint8_t {
  kDrop,       // the answer is not sent
  kDelay,      // the answer is sent after the delay, past the client's time-out
  kTruncate,   // only the first part of the answer is sent
  kLength,     // the S7 header announces one data byte more than the answer holds
  kGarbage,    // random bytes instead of the answer
  kReference,  // the answer carries the reference of the job before
  kClose,      // the connection is closed instead of answering
  kRefuse,     // a new connection is closed at once
};

// The name in a fault plan and in the log lines.
const char* FaultName(FaultKind kind);

// When a fault strikes: at random with `rate` (0 to 1), or on every `every`-th
// chance (answers; connections for kRefuse) counted over the whole server.
struct FaultRule {
  FaultKind kind;
  double rate = 0;
  uint32_t every = 0;
};

struct FaultPlan {
  std::vector<FaultRule> rules;  // in the order given: the first that strikes applies
  uint32_t delayMs = 5000;
  uint32_t seed = 1;
};

class FaultPlanError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Parses "KIND:RATE", "KIND:every:N", "delay-ms:N" and "seed:N" items separated by
// commas, e.g. "drop:0.1,close:every:50,seed:7". Raises FaultPlanError.
FaultPlan ParseFaultPlan(const std::string& text);

// What to do with one answer.
struct FaultOutcome {
  std::optional<FaultKind> fault;
  bool send = true;  // send the (possibly altered) answer
  bool close = false;
  uint32_t delayMs = 0;
};

// Applies a plan to the answers and connections of one server; shared by its
// client threads. Each fault that strikes is logged with its name.
class FaultInjector {
 public:
  using Log = std::function<void(const std::string&)>;
  FaultInjector(FaultPlan plan, Log log);

  // Alters `reply` (whole TPKT packets) as the fault that strikes wants.
  FaultOutcome OnAnswer(Bytes& reply, const std::string& peer);
  // True when a new connection must be refused.
  bool RefuseConnection(const std::string& peer);
  // Waits out a delay; false when Stop cut it short.
  bool Wait(uint32_t delayMs);
  // Ends every wait now and later.
  void Stop();

 private:
  std::optional<FaultKind> Strike(bool connection, bool s7Answer);
  void Alter(FaultKind kind, Bytes& reply);

  const FaultPlan plan_;
  const Log log_;
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stopping_ = false;
  std::mt19937 random_;
  std::vector<uint64_t> chances_;  // per rule
};

}  // namespace plcsim
