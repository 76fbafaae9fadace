#include "RequestTree.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "moxShared/Public/Common/moxVarConvert.h"
#include "peers/PeerMemory.h"

namespace e2e {

namespace {

constexpr int kStringSize = 255;

const char* Flag(bool on) { return on ? "1" : "0"; }

void WriteItem(std::ostringstream& xml, const TTreeItem& item) {
  xml << "<Item><Name>" << item.Name << "</Name><Offset>" << item.Offset << "</Offset><Count>"
      << item.Count << "</Count><AppendCnt>" << Flag(item.AppendCnt)
      << "<ZeroBaseCnt>1</ZeroBaseCnt></AppendCnt><DataType>" << item.DataType << "</DataType><LE>"
      << Flag(item.LE) << "</LE><Swapped>" << Flag(item.Swapped) << "</Swapped><Unsigned>"
      << Flag(item.Unsigned) << "</Unsigned><Scale>" << item.Scale << "</Scale><Default>"
      << item.Default << "</Default></Item>";
}

int SizeOf(const std::string& type) {
  if (type == "D8") return 1;
  if (type == "D32" || type == "F32") return 4;
  if (type == "D64" || type == "F64") return 8;
  if (type == "S") return kStringSize;
  if (type == "BIT") return 0;
  return 2;
}

bool IsFloat(const std::string& type) { return type == "F32" || type == "F64"; }

// The n bytes at `at` as the item's flags order them, as an unsigned number:
// big-endian 16-bit words, the words in reverse order unless swapped, all
// bytes reversed for little endian.
uint64_t Ordered(const std::vector<uint8_t>& bytes, int at, int n, const TTreeItem& item) {
  std::vector<uint8_t> image(bytes.begin() + at, bytes.begin() + at + n);
  if (!item.Swapped && n > 2) {
    for (int word = 0; word < n / 4; ++word) {
      std::swap_ranges(image.begin() + 2 * word, image.begin() + 2 * word + 2,
                       image.end() - 2 * word - 2);
    }
  }
  if (item.LE) std::reverse(image.begin(), image.end());
  uint64_t value = 0;
  for (uint8_t byte : image) value = value << 8 | byte;
  return value;
}

TVariant Numeric(const std::vector<uint8_t>& bytes, int at, const TTreeItem& item) {
  const int n = SizeOf(item.DataType);
  const uint64_t raw = n == 1 ? bytes[at] : Ordered(bytes, at, n, item);
  double value = 0;
  if (item.DataType == "F32") {
    float single;
    const auto bits = static_cast<uint32_t>(raw);
    std::memcpy(&single, &bits, sizeof single);
    value = single;
  } else if (item.DataType == "F64") {
    std::memcpy(&value, &raw, sizeof value);
  }
  const int64_t signedValue = n == 8 ? static_cast<int64_t>(raw)
                                     : static_cast<int64_t>(raw << (64 - 8 * n)) >> (64 - 8 * n);
  const bool unsignedValue = item.Unsigned && n < 8;
  std::string scaleText = item.Scale;
  std::replace(scaleText.begin(), scaleText.end(), ',', '.');
  const double scale = std::stod(scaleText);
  if (IsFloat(item.DataType)) return TVariant::OfR8(value * scale);
  if (scale != 1.0) {
    return TVariant::OfR8(static_cast<double>(
        static_cast<long double>(unsignedValue ? static_cast<long double>(raw) : signedValue) *
        scale));
  }
  switch (n) {
    case 1:
      return unsignedValue ? TVariant::OfUI1(static_cast<uint8_t>(raw))
                           : TVariant::OfI1(static_cast<int8_t>(signedValue));
    case 2:
      return unsignedValue ? TVariant::OfUI2(static_cast<uint16_t>(raw))
                           : TVariant::OfI2(static_cast<int16_t>(signedValue));
    case 4:
      return unsignedValue ? TVariant::OfUI4(static_cast<uint32_t>(raw))
                           : TVariant::OfI4(static_cast<int32_t>(signedValue));
    default:
      return TVariant::OfI8(signedValue);
  }
}

// The item's default when the response does not cover the value.
TVariant Fallback(const TTreeItem& item) {
  const TVariant text = TVariant::OfAnsi(item.Default);
  const std::string& type = item.DataType;
  if (type == "S") return text;
  if (type == "BIT") {
    std::string lower = item.Default;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    return TVariant::OfBool(lower == "1" || lower == "y" || lower == "yes" || lower == "on" ||
                            lower == "high");
  }
  try {
    if (IsFloat(type)) {
      const double value = VarAsType(text, VarType::R8).Data().R8;
      return TVariant::OfR8(type == "F32" ? static_cast<float>(value) : value);
    }
    const int64_t value = VarAsType(text, VarType::I8).Data().I8;
    TTreeItem plain = item;
    plain.Scale = "1";
    std::vector<uint8_t> bytes(8);
    for (int i = 0; i < 8; ++i) bytes[7 - i] = static_cast<uint8_t>(value >> (8 * i));
    const int n = SizeOf(type);
    plain.LE = false;
    plain.Swapped = true;
    return Numeric(bytes, 8 - n, plain);
  } catch (const EVariantError&) {
    return TVariant::OfUI1(0);
  }
}

std::string StringAt(const std::vector<uint8_t>& bytes, int at) {
  std::string text;
  for (size_t i = static_cast<size_t>(at); i < bytes.size(); ++i) {
    if (bytes[i] != 0) text += static_cast<char>(bytes[i]);
  }
  return text;
}

std::string ValueName(const TTreeItem& item, int counter) {
  return item.AppendCnt ? item.Name + std::to_string(counter) : item.Name;
}

}  // namespace

TTreeItem Item(const std::string& name, const std::string& dataType, int offset, int count) {
  TTreeItem item;
  item.Name = name;
  item.DataType = dataType;
  item.Offset = offset;
  item.Count = count;
  return item;
}

TTreeRequest Request(const std::string& caption, int area, int dbNumber, int offset, int size) {
  TTreeRequest request;
  request.Caption = caption;
  request.Area = area;
  request.DBNumber = dbNumber;
  request.Offset = offset;
  request.Size = size;
  return request;
}

std::string RequestTreeXml(const std::vector<TTreeRequest>& requests) {
  std::ostringstream xml;
  xml << "<?xml version=\"1.0\"?>\n<MODBUSRTUQUERY>";
  for (const TTreeRequest& request : requests) {
    xml << "<Request caption=\"" << request.Caption << "\"><Enabled>1</Enabled><Area>"
        << request.Area << "</Area><Datablock>" << request.DBNumber << "</Datablock><Offset>"
        << request.Offset << "</Offset><Size>" << request.Size << "</Size><Timeout>"
        << request.Timeout << "</Timeout><RequestMethod><MethodOnce>" << Flag(!request.Poll)
        << "</MethodOnce><MethodPoll>" << Flag(request.Poll) << "<PollInterval>"
        << request.IntervalMs << "</PollInterval><PollUnits>MS</PollUnits></MethodPoll>"
        << "</RequestMethod><Response>";
    for (const TTreeItem& item : request.Items) WriteItem(xml, item);
    xml << "</Response></Request>\n";
  }
  xml << "</MODBUSRTUQUERY>\n";
  return xml.str();
}

std::vector<uint8_t> PeerBytes(const TTreeRequest& request) {
  static const int kS7Codes[] = {0,
                                 0,
                                 peers::kS7Inputs,
                                 peers::kS7Outputs,
                                 peers::kS7Flags,
                                 peers::kS7DataBlock,
                                 peers::kS7Counters};
  const peers::PeerArea* area = peers::FindPeerArea(kS7Codes[request.Area], request.DBNumber);
  std::vector<uint8_t> bytes;
  if (area == nullptr || request.Offset + request.Size > area->Size) return bytes;
  for (int i = 0; i < request.Size; ++i)
    bytes.push_back(peers::PeerByte(area->Seed, request.Offset + i));
  return bytes;
}

std::vector<std::pair<std::string, TVariant>> ExpectedValues(const TTreeRequest& request) {
  const std::vector<uint8_t> bytes = PeerBytes(request);
  const int length = static_cast<int>(bytes.size());
  std::vector<std::pair<std::string, TVariant>> values;
  int next = 0;
  for (const TTreeItem& item : request.Items) {
    int at = item.Offset == -1 ? next : item.Offset;
    for (int c = 0; c < item.Count; ++c) {
      int size = SizeOf(item.DataType);
      const bool bit = item.DataType == "BIT";
      const bool inRange = at >= 0 && (bit ? at < length : at + size <= length);
      TVariant value = Fallback(item);
      if (inRange && bit) {
        const int number = c % 8;
        const int mask = item.LE ? 1 << (7 - number) : 1 << number;
        value = TVariant::OfBool((bytes[at] & mask) != 0);
      } else if (inRange && item.DataType == "S") {
        value = TVariant::OfAnsi(StringAt(bytes, at));
        size = length - at;
      } else if (inRange) {
        value = Numeric(bytes, at, item);
      }
      if (bit) size = c % 8 == 7 ? 1 : 0;
      values.emplace_back(ValueName(item, c), value);
      at += size;
    }
    next = at;
  }
  return values;
}

}  // namespace e2e
