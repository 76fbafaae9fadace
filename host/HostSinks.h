#pragma once

#include <cstddef>
#include <cstdint>

#include "DataRecord.h"

namespace host {

// What a host does with what the plug-in sends through Harvex_SendDataEx, for
// the instance of one host context.
class IHostSink {
 public:
  // Bytes to transmit on the channel of the client; 0 or more: accepted.
  virtual int32_t SendBytes(int32_t clientId, const uint8_t* data, size_t length) = 0;
  virtual void DeliverRecord(int32_t clientId, const TDataRecord& record) = 0;

 protected:
  ~IHostSink() = default;
};

// Sinks are registered per host context; a later registration replaces an
// earlier one. Once UnregisterHostSink returns, the sink is not called any
// more: registration waits for the calls under way, so a sink must not wait for
// a thread that registers or unregisters one, nor call these functions itself.
// A sink is called from several threads at once.
void RegisterHostSink(int32_t hostContext, IHostSink* sink);
void UnregisterHostSink(int32_t hostContext);

// The work of Harvex_SendDataEx: kind 0x81 hands `length` bytes at `data` to the
// context's sink, kind 9 a data record read from the call record at `data`.
// -1 for a context without a sink, an unknown kind or unusable arguments (a
// record of the wrong size); a failing sink gives -3. Kind 9 gives 0.
int32_t DispatchSendData(int32_t hostContext, int32_t clientId, int32_t length, int32_t kind,
                         const void* data) noexcept;

}  // namespace host
