#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ReadAddress.h"

namespace plchost {

// A packed request reads at most this many bytes: what one read carries in the
// smallest PDU an S7 CPU agrees to (240 bytes, less the 24 the link keeps for
// the read's own header), so that the link never splits it. A string reads
// more (see TPlanItem) and is a request of its own.
constexpr int32_t kLargestPackedRead = 216;

// A string value covers this many bytes of its response from its first
// character on; the decoder takes nothing shorter.
constexpr int32_t kStringReadBytes = 255;

// One response item of a planned request.
struct TPlanItem {
  std::string Name;  // the value's name; for bits the text the bit number is appended to
  int32_t Offset = 0;
  int32_t Count = 1;  // bits: one value per bit from bit 0 up to the highest read
  const char* DataType = "D8";
  bool Unsigned = true;
  bool Bits = false;
};

// A value a request's records carry: the record's field and the name it is
// shown under (they differ for a named bit, whose field is its address).
struct TShownValue {
  std::string Field;
  std::string Label;
};

// One request of the tree built from --read values.
struct TReadRequest {
  std::string Caption;
  uint8_t Area = 0;  // the plug-in's area index
  int32_t DBNumber = 0;
  int32_t Offset = 0;  // the byte address, or the first counter's number
  int32_t Size = 0;    // bytes
  std::vector<TPlanItem> Items;
  std::vector<TShownValue> Shown;  // in --read order
};

// The plug-in's area index of the value's area; EAddress for a timer.
uint8_t AreaIndexOf(const TReadValue& value);

// Packs the values into requests: values of one area (and data block) whose
// bytes lie within kLargestPackedRead of each other share a request; each
// string has one of its own. Requests come in the order their area first
// appears; captions name the area ("DB10", "M"), "#2" and on for further
// requests of it. EAddress for a timer (the plug-in reads none) and for a name
// given twice.
std::vector<TReadRequest> PackReads(const std::vector<TReadValue>& values);

}  // namespace plchost
