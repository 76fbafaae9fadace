#include "S7Read.h"

#include <algorithm>

#include "nodave.h"

namespace nodave {
namespace {

constexpr uint8_t kReadVar = 0x04;
constexpr uint8_t kVariableSpecification = 0x12;
constexpr uint8_t kAddressLength = 0x0A;
constexpr uint8_t kSyntaxAny = 0x10;
constexpr uint8_t kByte = 0x02;
constexpr uint8_t kWord = 0x04;
constexpr uint8_t kSuccess = 0xFF;
constexpr size_t kItemHeaderSize = 4;
constexpr int32_t kLargestByteAddress = 0xFFFFFF / 8;
constexpr int32_t kLargestNumber = 0xFFFF;

// Transport size of an area's elements; 0 for an area that is not read.
uint8_t TransportSize(int32_t area) {
  switch (area) {
    case daveCounter:
    case daveTimer:
      return static_cast<uint8_t>(area);
    case daveAnaIn:
    case daveAnaOut:
      return kWord;
    case daveSysInfo:
    case daveSysFlags:
    case daveP:
    case daveInputs:
    case daveOutputs:
    case daveFlags:
    case daveDB:
    case daveDI:
    case daveLocal:
    case daveV:
      return kByte;
    default:
      return 0;
  }
}

bool IsNumbered(int32_t area) { return area == daveCounter || area == daveTimer; }

// Bytes in the answer for `length` units of the answer's transport size.
int32_t AnswerDataBytes(uint8_t transportSize, int32_t length) {
  switch (transportSize) {
    case 0x03:  // bits, one byte each
    case 0x06:
    case 0x07:
    case 0x09:  // octet string
      return length;
    case 0x04:  // counted in bits
    case 0x05:
      return (length + 7) / 8;
    default:
      return -1;
  }
}

// The item return code as a result: 0 for success.
int32_t ItemResult(uint8_t returnCode) {
  if (returnCode == kSuccess) {
    return daveResOK;
  }
  return returnCode == 0 ? int32_t{daveResCPUNoData} : int32_t{returnCode};
}

}  // namespace

int32_t MakeReadItem(int32_t area, int32_t db, int32_t start, int32_t length, ReadItem& item) {
  const uint8_t transportSize = TransportSize(area);
  if (transportSize == 0 || db < 0 || db > kLargestNumber || start < 0) {
    return daveResInvalidParam;
  }
  if (length <= 0) {
    return daveResInvalidLength;
  }
  const bool numbered = IsNumbered(area);
  if (start > (numbered ? kLargestNumber : kLargestByteAddress)) {
    return daveResInvalidParam;
  }
  // Counters, timers and analog words are two bytes each: whole elements are asked for.
  const int32_t count = transportSize == kByte ? length : (length + 1) / 2;
  if (count > kLargestNumber) {
    return daveResReadTooLarge;
  }
  item.transportSize = transportSize;
  item.count = static_cast<uint16_t>(count);
  item.db = static_cast<uint16_t>(db);
  item.area = static_cast<uint8_t>(area);
  item.address = static_cast<uint32_t>(numbered ? start : start * 8);
  item.length = length;
  return daveResOK;
}

int32_t AnswerBytes(const ReadItem& item) {
  return item.transportSize == kByte ? item.count : 2 * item.count;
}

Bytes ReadVar(const ReadItem& item) {
  Bytes parameters{kReadVar,       1,          kVariableSpecification,
                   kAddressLength, kSyntaxAny, item.transportSize};
  PutU16(parameters, item.count);
  PutU16(parameters, item.db);
  parameters.push_back(item.area);
  PutU24(parameters, item.address);
  return parameters;
}

int32_t CopyReadData(const Answer& answer, const ReadItem& item, uint8_t* buffer) {
  if (answer.error != 0) {
    return answer.error;
  }
  if (answer.parameters.size() != 2 || answer.parameters[0] != kReadVar) {
    return daveResUnexpectedFunc;
  }
  const Bytes& data = answer.data;
  if (answer.parameters[1] != 1 || data.size() < kItemHeaderSize) {
    return daveResCannotEvaluatePDU;
  }
  const int32_t result = ItemResult(data[0]);
  if (result != daveResOK) {
    return result;
  }
  const int32_t bytes = AnswerDataBytes(data[1], GetU16(data, 2));
  if (bytes < 0) {
    return daveResUnknownDataUnitSize;
  }
  if (kItemHeaderSize + static_cast<size_t>(bytes) > data.size()) {
    return daveResCannotEvaluatePDU;
  }
  if (bytes < item.length) {
    return daveResCPUNoData;
  }
  std::copy_n(data.begin() + kItemHeaderSize, item.length, buffer);
  return daveResOK;
}

}  // namespace nodave
