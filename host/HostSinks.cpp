#include "HostSinks.h"

#include <map>
#include <mutex>
#include <shared_mutex>
#include <stdexcept>

namespace host {

namespace {

// Calls into sinks share the lock, so the engines' threads deliver side by side;
// registering takes it alone, so it waits for the calls under way.
struct TSinkRegistry {
  std::shared_mutex Lock;
  std::map<int32_t, IHostSink*> Sinks;
};

// Lives as long as the process: plug-in threads may call in until the very end.
TSinkRegistry& Registry() {
  static auto* registry = new TSinkRegistry();
  return *registry;
}

// Runs call(sink) for the context's sink under the shared lock; -1 without one.
template <class Call>
int32_t WithSink(int32_t hostContext, Call&& call) {
  TSinkRegistry& registry = Registry();
  std::shared_lock<std::shared_mutex> guard(registry.Lock);
  const auto found = registry.Sinks.find(hostContext);
  if (found == registry.Sinks.end() || found->second == nullptr) return -1;
  return call(*found->second);
}

int32_t SendBytes(int32_t hostContext, int32_t clientId, int32_t length, const void* data) {
  if (length < 0 || (data == nullptr && length > 0)) return -1;
  return WithSink(hostContext, [&](IHostSink& sink) {
    return sink.SendBytes(clientId, static_cast<const uint8_t*>(data), static_cast<size_t>(length));
  });
}

int32_t Deliver(int32_t hostContext, int32_t clientId, const void* data) {
  // Read before the lock: it is the costly part of a delivery.
  const TDataRecord record = ReadDataRecord(static_cast<const TPluginCallRec*>(data));
  return WithSink(hostContext, [&](IHostSink& sink) {
    sink.DeliverRecord(clientId, record);
    return 0;
  });
}

}  // namespace

void RegisterHostSink(int32_t hostContext, IHostSink* sink) {
  TSinkRegistry& registry = Registry();
  std::lock_guard<std::shared_mutex> guard(registry.Lock);
  registry.Sinks[hostContext] = sink;
}

void UnregisterHostSink(int32_t hostContext) {
  TSinkRegistry& registry = Registry();
  std::lock_guard<std::shared_mutex> guard(registry.Lock);
  registry.Sinks.erase(hostContext);
}

int32_t DispatchSendData(int32_t hostContext, int32_t clientId, int32_t length, int32_t kind,
                         const void* data) noexcept {
  try {
    if (kind == kSendBytes) return SendBytes(hostContext, clientId, length, data);
    if (kind == kSendDataRecord && data != nullptr) return Deliver(hostContext, clientId, data);
    return -1;
  } catch (const std::invalid_argument&) {
    return -1;
  } catch (...) {
    return -3;
  }
}

}  // namespace host
