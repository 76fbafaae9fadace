#include "ReadPlan.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace plchost {

namespace {

// The plug-in's area indexes.
constexpr uint8_t kAreaInputs = 2;
constexpr uint8_t kAreaOutputs = 3;
constexpr uint8_t kAreaFlags = 4;
constexpr uint8_t kAreaDataBlock = 5;
constexpr uint8_t kAreaCounters = 6;
constexpr uint8_t kAreaPeripheral = 7;

// A string's characters follow its two header bytes (largest and actual length).
constexpr int32_t kStringHeaderBytes = 2;

std::string AreaLabel(const TReadValue& value) {
  switch (value.Area) {
    case TAddressArea::Inputs:
      return "I";
    case TAddressArea::Outputs:
      return "Q";
    case TAddressArea::Flags:
      return "M";
    case TAddressArea::Counters:
      return "C";
    case TAddressArea::Peripheral:
      return "P";
    default:
      return "DB" + std::to_string(value.DBNumber);
  }
}

bool IsString(const TReadValue& value) {
  return value.Type == TValueType::Chars || value.Type == TValueType::String;
}

// Where the value lies in its area, in bytes: a counter number counts two.
int32_t FirstByte(const TReadValue& value) {
  return value.Area == TAddressArea::Counters ? 2 * value.Offset : value.Offset;
}

// Where the decoder finds the value, from its first byte.
int32_t ItemStart(const TReadValue& value) {
  return value.Type == TValueType::String ? kStringHeaderBytes : 0;
}

// The end of the bytes a request must read for the value.
int32_t EndByte(const TReadValue& value) {
  if (IsString(value)) return value.Offset + ItemStart(value) + kStringReadBytes;
  return FirstByte(value) + ValueBytes(value);
}

void SetDataType(const TReadValue& value, TPlanItem& item) {
  struct TEntry {
    TValueType Type;
    const char* DataType;
    bool Unsigned;
  };
  static constexpr TEntry kEntries[] = {
      {TValueType::Bool, "BIT", true},  {TValueType::Byte, "D8", true},
      {TValueType::Int, "D16", false},  {TValueType::Word, "D16", true},
      {TValueType::DInt, "D32", false}, {TValueType::DWord, "D32", true},
      {TValueType::Real, "F32", true},  {TValueType::LReal, "F64", true},
      {TValueType::Chars, "S", true},   {TValueType::String, "S", true},
  };
  const auto* entry = std::find_if(std::begin(kEntries), std::end(kEntries),
                                   [&value](const TEntry& e) { return e.Type == value.Type; });
  item.DataType = entry->DataType;
  item.Unsigned = entry->Unsigned;
}

// A bit's field: its address, which the bit item builds from the address of
// the byte and the bit number it appends.
std::string BitPrefix(const TReadValue& value) {
  return value.Address.substr(0, value.Address.rfind('.') + 1);
}

// The request for values of one area and block, `members` sorted by their first byte.
TReadRequest RequestOf(const std::vector<TReadValue>& values, const std::vector<size_t>& members) {
  const TReadValue& first = values[members.front()];
  TReadRequest request;
  request.Area = AreaIndexOf(first);
  request.DBNumber = first.Area == TAddressArea::DataBlock ? first.DBNumber : 0;
  const int32_t start = FirstByte(first);
  int32_t end = start;
  std::map<int32_t, size_t> bitItems;  // byte -> its bit item
  for (const size_t index : members) {
    const TReadValue& value = values[index];
    end = std::max(end, EndByte(value));
    const int32_t offset = FirstByte(value) - start + ItemStart(value);
    if (value.Type != TValueType::Bool) {
      TPlanItem item;
      item.Name = value.Name;
      item.Offset = offset;
      SetDataType(value, item);
      request.Items.push_back(item);
      continue;
    }
    const auto [found, added] = bitItems.emplace(offset, request.Items.size());
    if (added) {
      TPlanItem item;
      item.Name = BitPrefix(value);
      item.Offset = offset;
      item.Count = 0;
      item.Bits = true;
      SetDataType(value, item);
      request.Items.push_back(item);
    }
    TPlanItem& item = request.Items[found->second];
    item.Count = std::max(item.Count, value.Bit + 1);
  }
  request.Offset = first.Area == TAddressArea::Counters ? start / 2 : start;
  request.Size = end - start;
  std::vector<size_t> ordered = members;
  std::sort(ordered.begin(), ordered.end());
  for (const size_t index : ordered) {
    const TReadValue& value = values[index];
    const std::string field =
        value.Type == TValueType::Bool
            ? request.Items[bitItems.at(FirstByte(value) - start)].Name + std::to_string(value.Bit)
            : value.Name;
    request.Shown.push_back({field, value.Name});
  }
  return request;
}

// Splits one area's values into requests by their first byte, strings last.
std::vector<std::vector<size_t>> Spans(const std::vector<TReadValue>& values,
                                       std::vector<size_t> members) {
  std::stable_sort(members.begin(), members.end(), [&values](size_t a, size_t b) {
    return FirstByte(values[a]) < FirstByte(values[b]);
  });
  std::vector<std::vector<size_t>> spans;
  std::vector<std::vector<size_t>> strings;  // after the packed requests
  std::vector<size_t> open;
  int32_t start = 0;
  int32_t end = 0;
  for (const size_t index : members) {
    const TReadValue& value = values[index];
    if (IsString(value)) {
      strings.push_back({index});
      continue;
    }
    if (!open.empty() && std::max(end, EndByte(value)) - start > kLargestPackedRead) {
      spans.push_back(std::move(open));
      open.clear();
    }
    if (open.empty()) start = end = FirstByte(value);
    open.push_back(index);
    end = std::max(end, EndByte(value));
  }
  if (!open.empty()) spans.push_back(std::move(open));
  spans.insert(spans.end(), strings.begin(), strings.end());
  return spans;
}

void CheckNamesOnce(const std::vector<TReadRequest>& requests) {
  std::set<std::string> fields;
  std::set<std::string> labels;
  const auto once = [](std::set<std::string>& seen, const std::string& name) {
    if (!seen.insert(name).second) {
      throw EAddress("--read: the name \"" + name +
                     "\" is given twice; give each value a name of its own with =NAME");
    }
  };
  for (const TReadRequest& request : requests) {
    for (const TPlanItem& item : request.Items) {
      if (!item.Bits) once(fields, item.Name);
      for (int32_t bit = 0; item.Bits && bit < item.Count; ++bit) {
        once(fields, item.Name + std::to_string(bit));
      }
    }
    for (const TShownValue& shown : request.Shown) once(labels, shown.Label);
  }
}

}  // namespace

uint8_t AreaIndexOf(const TReadValue& value) {
  switch (value.Area) {
    case TAddressArea::Inputs:
      return kAreaInputs;
    case TAddressArea::Outputs:
      return kAreaOutputs;
    case TAddressArea::Flags:
      return kAreaFlags;
    case TAddressArea::DataBlock:
      return kAreaDataBlock;
    case TAddressArea::Counters:
      return kAreaCounters;
    case TAddressArea::Peripheral:
      return kAreaPeripheral;
    default:
      throw EAddress("--read \"" + value.Address +
                     "\": the plug-in reads no timers (its areas are inputs, outputs, flags, "
                     "data blocks, counters and peripheral I/O)");
  }
}

std::vector<TReadRequest> PackReads(const std::vector<TReadValue>& values) {
  std::vector<std::pair<std::string, std::vector<size_t>>> areas;  // in order of appearance
  for (size_t index = 0; index < values.size(); ++index) {
    AreaIndexOf(values[index]);
    const std::string label = AreaLabel(values[index]);
    auto found = std::find_if(areas.begin(), areas.end(),
                              [&label](const auto& area) { return area.first == label; });
    if (found == areas.end()) found = areas.insert(areas.end(), {label, {}});
    found->second.push_back(index);
  }
  std::vector<TReadRequest> requests;
  for (const auto& [label, members] : areas) {
    int number = 0;
    for (const std::vector<size_t>& span : Spans(values, members)) {
      requests.push_back(RequestOf(values, span));
      requests.back().Caption = ++number == 1 ? label : label + " #" + std::to_string(number);
    }
  }
  CheckNamesOnce(requests);
  return requests;
}

}  // namespace plchost
