#include "plc/PluginDM_LoopbackPorts.h"

TLoopbackPorts::TLoopbackPorts(int32_t first, int32_t last)
    : first_(first), states_(last >= first ? last - first + 1 : 0, TPortState::Unused) {}

TLoopbackPorts::TClaim TLoopbackPorts::Claim(const TPortUsable& usable) {
  std::lock_guard<std::mutex> guard(lock_);
  TClaim claim;
  claim.FirstOfProcess = !states_.empty() && states_.front() == TPortState::Unused;
  if (!TakeFirst(TPortState::Unused, usable, claim)) TakeFirst(TPortState::Gone, usable, claim);
  return claim;
}

bool TLoopbackPorts::TakeFirst(TPortState state, const TPortUsable& usable, TClaim& claim) {
  for (size_t i = 0; i < states_.size(); ++i) {
    if (states_[i] != state) continue;
    const auto port = static_cast<int32_t>(first_ + i);
    if (usable(port)) {
      states_[i] = TPortState::Live;
      claim.Port = port;
      return true;
    }
    states_[i] = TPortState::Gone;
  }
  return false;
}

void TLoopbackPorts::Release(int32_t port) {
  std::lock_guard<std::mutex> guard(lock_);
  const int64_t index = static_cast<int64_t>(port) - first_;
  if (index >= 0 && index < static_cast<int64_t>(states_.size()) &&
      states_[index] == TPortState::Live) {
    states_[index] = TPortState::Gone;
  }
}

TLoopbackPorts& LoopbackPorts() {
  // Never destroyed: the instance registry, made before this, frees the instances
  // still alive at unload only after the later statics are gone, and their
  // engines give their ports back here.
  static auto* ports = new TLoopbackPorts();
  return *ports;
}
