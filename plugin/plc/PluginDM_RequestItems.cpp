#include "plc/PluginDM_RequestItems.h"

#include <charconv>

namespace {

struct TMemoryArea {
  const char* Name;
  int8_t ReadAs;  // TNoDaveArea ordinal
};

constexpr std::array<TMemoryArea, kMemoryAreaCount> kMemoryAreas = {{
    {"Analog Inputs", 2},
    {"Analog Outputs", 3},
    {"Inputs", 4},
    {"Outputs", 5},
    {"Flags", 6},
    {"Data block (global)", 7},
    {"Counters", 11},
    {"Peripheral data", 13},
}};

}  // namespace

int32_t ValueSizeOf(TDataType type) {
  static constexpr std::array<int32_t, 8> kSizes = {1, 2, 4, 8, 4, 8, 255, 0};
  return kSizes[static_cast<size_t>(type)];
}

std::string CountedName(const TResponseItem& item, int32_t counter) {
  std::string name = item.Name;
  AppendCounter(name, item, counter);
  return name;
}

void AppendCounter(std::string& name, const TResponseItem& item, int32_t counter) {
  if (!item.AppendCnt) return;
  const int64_t shown = item.ZeroBaseCnt ? counter : int64_t{counter} + 1;
  char digits[24];
  const auto written = std::to_chars(digits, digits + sizeof digits, shown);
  name.append(digits, written.ptr);
}

const char* MemoryAreaName(int32_t index) { return kMemoryAreas.at(index).Name; }

int8_t ReadAreaOrdinal(uint8_t area) {
  return area < kMemoryAreaCount ? kMemoryAreas[area].ReadAs : kMemoryAreas[0].ReadAs;
}
