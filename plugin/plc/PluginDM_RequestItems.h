#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "moxShared/Public/Common/moxVariant.h"
#include "threads/Thread_Common.h"
#include "threads/moxTimerEx.h"

// The in-memory request list: what the scheduler sends and the decoder reads.

// Every PLC read lands in the engine's response buffer of this many bytes.
constexpr int32_t kResponseBufferSize = 128000;

// How a response item's values are stored in the response.
enum class TDataType : uint8_t { D8, D16, D32, D64, F32, F64, S, BIT };

// Bytes per value of a data type: 1, 2, 4, 8, 4, 8, 255 (strings), 0 (bits).
int32_t ValueSizeOf(TDataType type);

// One value (or a run of `Count` values) to extract from a response.
struct TResponseItem {
  int32_t Offset = -1;  // -1: directly after the previous item
  int32_t Count = 1;
  TDataType DataType = TDataType::D16;
  int32_t Size = 2;
  std::string Name = "ITEM";
  TVariant Default = TVariant::OfAnsi("0");
  bool AppendCnt = true;
  bool ZeroBaseCnt = true;
  bool Swapped = true;
  bool LE = false;
  bool Unsigned = true;
  long double Scale = 1.0L;
};

// The name of value `counter` (from 0) of an item: `Name`, with the counter
// appended when `AppendCnt` is set (from 1 unless `ZeroBaseCnt`).
std::string CountedName(const TResponseItem& item, int32_t counter);
// Appends what CountedName puts after `Name`.
void AppendCounter(std::string& name, const TResponseItem& item, int32_t counter);

class TRequestItem;

// What a read needs: copied whole into each work item for the worker thread.
struct TRequestParams {
  int32_t DBNumber = 0;
  uint8_t Area = 0;  // memory area index, see MemoryAreaName
  int32_t Offset = 0;
  int32_t Size = 0;
  int32_t Timeout = 0;  // ms
  TRequestItem* Request = nullptr;
};

class TRequestItem : public TObject {
 public:
  TRequestItem() { Params.Request = this; }
  TRequestItem(const TRequestItem&) = delete;
  TRequestItem& operator=(const TRequestItem&) = delete;

  bool Enabled = false;
  bool Busy = false;  // sent, response outstanding
  std::string Name;
  bool MethodPoll = false;      // false: sent once
  int32_t PollInterval = 1000;  // ms
  std::vector<TResponseItem> Items;
  TRequestParams Params;
  TmoxTimeout Timer;  // started at each send and each response
};

// Memory areas, by the index that a request's `Area` holds.
constexpr int32_t kMemoryAreaCount = 8;

// The dialog's name of a memory area (the module's untranslated text); the
// index must be below kMemoryAreaCount.
const char* MemoryAreaName(int32_t index);

// The ordinal of the PLC link's area (TNoDaveArea) read for an area index:
// daveAnaIn 2, daveAnaOut 3, daveInputs 4, daveOutputs 5, daveFlags 6, daveDB 7,
// daveCounter 11, daveP 13. An index above 7 reads analog inputs.
int8_t ReadAreaOrdinal(uint8_t area);
