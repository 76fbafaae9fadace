#include "HostSinks.h"

#include <map>
#include <stdexcept>

#include "platform/Sync.h"

namespace host {

namespace {

struct TSinkRegistry {
  platform::CriticalSection Lock;
  std::map<int32_t, IHostSink*> Sinks;
};

// Lives as long as the process: plug-in threads may call in until the very end.
TSinkRegistry& Registry() {
  static auto* registry = new TSinkRegistry();
  return *registry;
}

int32_t SendBytes(IHostSink& sink, int32_t clientId, int32_t length, const void* data) {
  if (length < 0 || (data == nullptr && length > 0)) return -1;
  return sink.SendBytes(clientId, static_cast<const uint8_t*>(data), static_cast<size_t>(length));
}

int32_t Deliver(IHostSink& sink, int32_t clientId, const void* data) {
  sink.DeliverRecord(clientId, ReadDataRecord(static_cast<const TPluginCallRec*>(data)));
  return 0;
}

}  // namespace

void RegisterHostSink(int32_t hostContext, IHostSink* sink) {
  TSinkRegistry& registry = Registry();
  platform::CriticalSectionGuard guard(registry.Lock);
  registry.Sinks[hostContext] = sink;
}

void UnregisterHostSink(int32_t hostContext) {
  TSinkRegistry& registry = Registry();
  platform::CriticalSectionGuard guard(registry.Lock);
  registry.Sinks.erase(hostContext);
}

int32_t DispatchSendData(int32_t hostContext, int32_t clientId, int32_t length, int32_t kind,
                         const void* data) noexcept {
  try {
    TSinkRegistry& registry = Registry();
    platform::CriticalSectionGuard guard(registry.Lock);
    const auto found = registry.Sinks.find(hostContext);
    if (found == registry.Sinks.end() || found->second == nullptr) return -1;
    if (kind == kSendBytes) return SendBytes(*found->second, clientId, length, data);
    if (kind == kSendDataRecord && data != nullptr) return Deliver(*found->second, clientId, data);
    return -1;
  } catch (const std::invalid_argument&) {
    return -1;
  } catch (...) {
    return -3;
  }
}

}  // namespace host
