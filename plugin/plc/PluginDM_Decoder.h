#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "moxShared/Private/Plugins/moxParsedDataList.h"
#include "plc/PluginDM_RequestItems.h"
#include "threads/Thread_ObjectList.h"

// The response decoder: turns the bytes of one PLC read into one data record.

// What the decoder needs from the request engine that made the read and its module.
class TDecoderHost {
 public:
  // The engine's request list, which holds the request while it is decoded.
  virtual TThreadObjectList& RequestList() = 0;
  // The engine's scheduler timer: off while a record is built, then re-evaluated.
  virtual void SwitchTimerOff() = 0;
  virtual void UpdateTimer() = 0;
  // The module's writer lock, held for the whole record.
  virtual void BeginModuleWrite() = 0;
  virtual void EndModuleWrite() = 0;
  // Appends the module's standard packet fields for this engine's data source
  // (the packet as full and data packet, client id 0); returns how many.
  virtual int32_t FillStandardItems(TParsedDataList& list, const std::string& packet) = 0;
  // The PLC link's MPI addresses.
  virtual int32_t MPILocal() = 0;
  virtual int32_t MPIRemote() = 0;

 protected:
  ~TDecoderHost() = default;
};

// Appends one field per value of the items, decoded from the first `length`
// bytes of `response` or, where those do not cover a value, its default.
// Returns the number of values (a blank name adds nothing but counts).
int32_t DecodeItems(const std::vector<TResponseItem>& items, const uint8_t* response,
                    int32_t length, TmoxParamsList& list);

// Builds the record of a read into `list`: the standard packet fields, the
// PLC fields (the request's own area as the link's area ordinal and its data
// block), the values, and the row separator. `read` is the work item's copy
// of the request's parameters; its `Size` bytes (at most `capacity`) of
// `response` are the answer. Returns the number of fields added, 0 when the
// read is empty or its request has left the list (then nothing changes);
// otherwise the request counts as answered. The request list's shared lock is
// held until the record is built, so a rebuild cannot free the request
// meanwhile.
int32_t Decode(TDecoderHost& host, const TRequestParams& read, const uint8_t* response,
               size_t capacity, TParsedDataList& list);
