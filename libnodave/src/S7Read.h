#pragma once

#include "Bytes.h"
#include "S7Pdu.h"

namespace nodave {

// The Read Var service for one item of bytes, counters, timers or analog words.

struct ReadItem {
  uint8_t transportSize = 0;
  uint16_t count = 0;  // elements of the transport size
  uint16_t db = 0;
  uint8_t area = 0;
  uint32_t address = 0;  // bit address, or the number of the first counter or timer
  int32_t length = 0;    // bytes the caller wants
};

// Bytes the PLC sends back for an item at most, beyond the data: answer header,
// function, item count and the item's own header.
constexpr int32_t kReadOverhead = 18;

// Checks the caller's arguments and describes the item; a result code when they make
// no valid read.
int32_t MakeReadItem(int32_t area, int32_t db, int32_t start, int32_t length, ReadItem& item);

// Bytes the answer carries for the item (whole elements).
int32_t AnswerBytes(const ReadItem& item);

Bytes ReadVar(const ReadItem& item);

// Checks the answer to ReadVar(item) and copies exactly item.length bytes to buffer.
int32_t CopyReadData(const Answer& answer, const ReadItem& item, uint8_t* buffer);

}  // namespace nodave
