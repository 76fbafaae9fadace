#include "Faults.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

namespace plcsim {

namespace {

constexpr FaultKind kKinds[] = {FaultKind::kDrop,   FaultKind::kDelay,   FaultKind::kTruncate,
                                FaultKind::kLength, FaultKind::kGarbage, FaultKind::kReference,
                                FaultKind::kClose,  FaultKind::kRefuse};

// Where an S7 answer's header sits in a reply: TPKT header, DT header (3 bytes).
constexpr size_t kPduAt = 7;
constexpr size_t kS7HeaderSize = 12;
constexpr size_t kReferenceAt = kPduAt + 4;
constexpr size_t kDataLengthAt = kPduAt + 8;
constexpr uint8_t kS7Protocol = 0x32;
constexpr uint8_t kDataTpdu = 0xF0;

// Every part, empty ones included: "a,,b," has four.
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

uint32_t WholeNumber(const std::string& item, const std::string& text, uint32_t min) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || text[0] == '-' || *end != '\0' || value < min || value > UINT32_MAX) {
    throw FaultPlanError("\"" + item + "\": \"" + text + "\" is no whole number from " +
                         std::to_string(min));
  }
  return static_cast<uint32_t>(value);
}

double Rate(const std::string& item, const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 0 || value > 1) {
    throw FaultPlanError("\"" + item + "\": the rate \"" + text + "\" is not from 0 to 1");
  }
  return value;
}

std::optional<FaultKind> KindNamed(const std::string& name) {
  for (const FaultKind kind : kKinds) {
    if (name == FaultName(kind)) return kind;
  }
  return std::nullopt;
}

bool IsS7Answer(const Bytes& reply) {
  return reply.size() >= kPduAt + kS7HeaderSize && reply[5] == kDataTpdu &&
         reply[kPduAt] == kS7Protocol;
}

void AddToU16(Bytes& bytes, size_t at, int delta) {
  const auto value = static_cast<uint16_t>((bytes[at] << 8 | bytes[at + 1]) + delta);
  bytes[at] = static_cast<uint8_t>(value >> 8);
  bytes[at + 1] = static_cast<uint8_t>(value);
}

}  // namespace

const char* FaultName(FaultKind kind) {
  switch (kind) {
    case FaultKind::kDrop:
      return "drop";
    case FaultKind::kDelay:
      return "delay";
    case FaultKind::kTruncate:
      return "truncate";
    case FaultKind::kLength:
      return "length";
    case FaultKind::kGarbage:
      return "garbage";
    case FaultKind::kReference:
      return "reference";
    case FaultKind::kClose:
      return "close";
    case FaultKind::kRefuse:
      break;
  }
  return "refuse";
}

FaultPlan ParseFaultPlan(const std::string& text) {
  FaultPlan plan;
  if (text.empty()) throw FaultPlanError("no fault in \"\"");
  for (const std::string& item : Split(text, ',')) {
    const std::vector<std::string> parts = Split(item, ':');
    const std::string& name = parts.front();
    if (parts.size() == 2 && name == "seed") {
      plan.seed = WholeNumber(item, parts[1], 0);
    } else if (parts.size() == 2 && name == "delay-ms") {
      plan.delayMs = WholeNumber(item, parts[1], 1);
    } else if (const std::optional<FaultKind> kind = KindNamed(name)) {
      FaultRule rule{*kind};
      if (parts.size() == 3 && parts[1] == "every") {
        rule.every = WholeNumber(item, parts[2], 1);
      } else if (parts.size() == 2) {
        rule.rate = Rate(item, parts[1]);
      } else {
        throw FaultPlanError("\"" + item + "\" is neither KIND:RATE nor KIND:every:N");
      }
      plan.rules.push_back(rule);
    } else {
      throw FaultPlanError("unknown fault \"" + item +
                           "\" (drop, delay, truncate, length, garbage, reference, close, "
                           "refuse, delay-ms, seed)");
    }
  }
  if (plan.rules.empty()) throw FaultPlanError("no fault in \"" + text + "\"");
  return plan;
}

FaultInjector::FaultInjector(FaultPlan plan, Log log)
    : plan_(std::move(plan)),
      log_(std::move(log)),
      random_(plan_.seed),
      chances_(plan_.rules.size(), 0) {}

FaultOutcome FaultInjector::OnAnswer(Bytes& reply, const std::string& peer) {
  FaultOutcome outcome;
  std::lock_guard<std::mutex> lock(mutex_);
  outcome.fault = Strike(false, IsS7Answer(reply));
  if (!outcome.fault) return outcome;
  const FaultKind kind = *outcome.fault;
  outcome.send = kind != FaultKind::kDrop && kind != FaultKind::kClose;
  outcome.close = kind == FaultKind::kClose;
  outcome.delayMs = kind == FaultKind::kDelay ? plan_.delayMs : 0;
  Alter(kind, reply);
  if (log_) log_(std::string("fault ") + FaultName(kind) + ": answer to " + peer);
  return outcome;
}

bool FaultInjector::RefuseConnection(const std::string& peer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!Strike(true, false)) return false;
  if (log_) log_("fault refuse: connection from " + peer);
  return true;
}

bool FaultInjector::Wait(uint32_t delayMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !stopped_.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return stopping_; });
}

void FaultInjector::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stopped_.notify_all();
}

std::optional<FaultKind> FaultInjector::Strike(bool connection, bool s7Answer) {
  for (size_t index = 0; index < plan_.rules.size(); ++index) {
    const FaultRule& rule = plan_.rules[index];
    const bool needsS7 = rule.kind == FaultKind::kLength || rule.kind == FaultKind::kReference;
    if ((rule.kind == FaultKind::kRefuse) != connection || (needsS7 && !s7Answer)) continue;
    const uint64_t chance = ++chances_[index];
    const bool strikes = rule.every > 0
                             ? chance % rule.every == 0
                             : std::uniform_real_distribution<double>(0, 1)(random_) < rule.rate;
    if (strikes) return rule.kind;
  }
  return std::nullopt;
}

void FaultInjector::Alter(FaultKind kind, Bytes& reply) {
  switch (kind) {
    case FaultKind::kTruncate:
      reply.resize(reply.size() / 2);  // answers are never shorter than 7 bytes
      break;
    case FaultKind::kLength:
      AddToU16(reply, kDataLengthAt, 1);
      break;
    case FaultKind::kGarbage:
      for (uint8_t& byte : reply) byte = static_cast<uint8_t>(random_());
      break;
    case FaultKind::kReference:
      AddToU16(reply, kReferenceAt, -1);
      break;
    default:
      break;
  }
}

}  // namespace plcsim
