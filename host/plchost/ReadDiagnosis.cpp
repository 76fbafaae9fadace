#include "ReadDiagnosis.h"

namespace plchost {

namespace {

// The protocol library's result codes met here: item return codes, and
// header errors as error class * 256 + error code.
constexpr int32_t kItemAccessDenied = 3;
constexpr int32_t kItemAddressOutOfRange = 5;
constexpr int32_t kItemObjectMissing = 10;
constexpr int32_t kHeaderAccessDenied = 0x8103;
constexpr int32_t kHeaderFunctionRefused = 0x8104;

std::string BlockName(const TReadValue& value) {
  return value.Area == TAddressArea::DataBlock ? "DB" + std::to_string(value.DBNumber) : "the area";
}

}  // namespace

std::string ReadFailureText(int32_t code, const TReadValue& value, const std::string& libraryText) {
  const bool block = value.Area == TAddressArea::DataBlock;
  const std::string codeText = " (code " + std::to_string(code) + ")";
  switch (code) {
    case kHeaderFunctionRefused:
      return "the CPU refuses reads" + codeText +
             ": on an S7-1200/1500 permit PUT/GET communication from remote partners in the "
             "CPU's protection settings";
    case kHeaderAccessDenied:
    case kItemAccessDenied:
      return "access denied" + codeText +
             ": the CPU's protection level or its PUT/GET setting forbids the read";
    case kItemAddressOutOfRange:
      if (!block) return "no such address in the area" + codeText;
      return BlockName(value) + " has no such address" + codeText +
             ": on an S7-1200/1500 switch off \"Optimized block access\" in the block's "
             "attributes, else the block is shorter than the read";
    case kItemObjectMissing:
      return (block ? BlockName(value) + " does not exist" : "the area is not available") +
             codeText;
    default:
      return libraryText;
  }
}

}  // namespace plchost
