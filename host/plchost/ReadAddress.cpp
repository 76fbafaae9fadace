#include "ReadAddress.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

namespace plchost {

const char* const kAddressForms =
    "accepted forms: DB10.DBX4.3  DB10.DBB0  DB10.DBW2  DB10.DBD4  MB10  MW10  MD10  M0.1\n"
    "  IB0  IW0  ID0  I0.0 (or EB0 ... E0.0)  QB0  QW0  QD0  Q0.0 (or AB0 ... A0.0)\n"
    "  PIB256  PIW256  PID256  PQW256 (or PEW, PAW)  C5 (or Z5)  T3\n"
    "  with :TYPE  bool byte int word dint dword real lreal char[N] string[N]\n"
    "  and =NAME, e.g. DB10.DBD4:real=TEMPERATURE";

namespace {

// How wide the address says the value is.
enum class TWidth { Bit, Byte, Word, DWord, Number };

struct TAreaPrefix {
  const char* Prefix;
  TAddressArea Area;
};

// Two-letter prefixes first, so that PIW is not taken as P and IW.
constexpr TAreaPrefix kAreaPrefixes[] = {
    {"PI", TAddressArea::Peripheral}, {"PE", TAddressArea::Peripheral},
    {"PQ", TAddressArea::Peripheral}, {"PA", TAddressArea::Peripheral},
    {"I", TAddressArea::Inputs},      {"E", TAddressArea::Inputs},
    {"Q", TAddressArea::Outputs},     {"A", TAddressArea::Outputs},
    {"M", TAddressArea::Flags},       {"C", TAddressArea::Counters},
    {"Z", TAddressArea::Counters},    {"T", TAddressArea::Timers},
};

struct TTypeEntry {
  const char* Name;
  TValueType Type;
  int32_t Bytes;
};

constexpr TTypeEntry kTypes[] = {
    {"bool", TValueType::Bool, 1}, {"byte", TValueType::Byte, 1},   {"int", TValueType::Int, 2},
    {"word", TValueType::Word, 2}, {"dint", TValueType::DInt, 4},   {"dword", TValueType::DWord, 4},
    {"real", TValueType::Real, 4}, {"lreal", TValueType::LReal, 8},
};

struct TParsedAddress {
  std::string Prefix;  // as written: "DB10.DB", "PIW" without the width, "E"
  TAddressArea Area = TAddressArea::Flags;
  int32_t DBNumber = 0;
  int32_t Offset = 0;
  int Bit = -1;
  TWidth Width = TWidth::Byte;
};

[[noreturn]] void Refuse(const std::string& text, const std::string& reason) {
  throw EAddress("--read \"" + text + "\": " + reason + "\n" + kAddressForms);
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Reads an address from left to right; each step refuses what does not fit.
class TAddressScanner {
 public:
  TAddressScanner(const std::string& given, std::string upper)
      : FGiven(given), FText(std::move(upper)) {}

  TParsedAddress Scan() {
    TParsedAddress address;
    if (FText.rfind("DB", 0) == 0) {
      ScanDataBlock(address);
    } else {
      ScanArea(address);
    }
    if (FAt != FText.size()) Refuse(FGiven, "unexpected \"" + FText.substr(FAt) + "\"");
    return address;
  }

 private:
  void ScanDataBlock(TParsedAddress& address) {
    FAt = 2;
    address.Area = TAddressArea::DataBlock;
    address.DBNumber = Number("the data block number", 1, kLargestBlock);
    if (!Take(".DB")) Refuse(FGiven, "a data block address is DB<n>.DBX, .DBB, .DBW or .DBD");
    address.Prefix = FText.substr(0, FAt);
    if (Take("X")) {
      address.Width = TWidth::Bit;
    } else if (!TakeWidth(address)) {
      Refuse(FGiven, "a data block address is DB<n>.DBX, .DBB, .DBW or .DBD");
    }
    ScanByteAndBit(address);
  }

  void ScanArea(TParsedAddress& address) {
    const auto* prefix = std::find_if(
        std::begin(kAreaPrefixes), std::end(kAreaPrefixes),
        [this](const TAreaPrefix& entry) { return FText.rfind(entry.Prefix, 0) == 0; });
    if (prefix == std::end(kAreaPrefixes)) Refuse(FGiven, "unknown memory area");
    FAt = std::strlen(prefix->Prefix);
    address.Prefix = prefix->Prefix;
    address.Area = prefix->Area;
    if (address.Area == TAddressArea::Counters || address.Area == TAddressArea::Timers) {
      address.Width = TWidth::Number;
      address.Offset = Number("the number", 0, kLargestByteAddress);
      return;
    }
    if (!TakeWidth(address)) {
      if (address.Area == TAddressArea::Peripheral) {
        Refuse(FGiven, "peripheral I/O is read as bytes, words or double words (PIB, PIW, PID)");
      }
      address.Width = TWidth::Bit;
    }
    ScanByteAndBit(address);
  }

  void ScanByteAndBit(TParsedAddress& address) {
    address.Offset = Number("the byte address", 0, kLargestByteAddress);
    const bool dotted = Take(".");
    if (address.Width != TWidth::Bit) {
      if (dotted) Refuse(FGiven, "a bit number belongs to bit addresses only (DBX, M0.1)");
      return;
    }
    if (!dotted) Refuse(FGiven, "a bit address needs its bit number: BYTE.BIT");
    address.Bit = Number("the bit number", 0, 7);
  }

  bool TakeWidth(TParsedAddress& address) {
    for (const auto& [letter, width] :
         {std::pair{"B", TWidth::Byte}, {"W", TWidth::Word}, {"D", TWidth::DWord}}) {
      if (Take(letter)) {
        address.Width = width;
        return true;
      }
    }
    return false;
  }

  bool Take(const char* expected) {
    if (FText.compare(FAt, std::strlen(expected), expected) != 0) return false;
    FAt += std::strlen(expected);
    return true;
  }

  int32_t Number(const char* what, int32_t low, int32_t high) {
    const size_t start = FAt;
    while (FAt < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FAt])) != 0) ++FAt;
    if (FAt == start) Refuse(FGiven, std::string(what) + " is missing");
    // More digits than the largest limit has are out of range whatever they say.
    if (FAt - start > 6) Refuse(FGiven, std::string(what) + " is too large");
    const int32_t value = std::stoi(FText.substr(start, FAt - start));
    if (value < low || value > high) {
      Refuse(FGiven, std::string(what) + " " + std::to_string(value) + " is outside " +
                         std::to_string(low) + ".." + std::to_string(high));
    }
    return value;
  }

  const std::string& FGiven;
  const std::string FText;
  size_t FAt = 0;
};

// The value's type from its text: a fixed type, char (one character), or
// char[N] / string[N].
void ScanType(const std::string& given, const std::string& text, TReadValue& value) {
  const std::string type = Lower(text);
  for (const TTypeEntry& entry : kTypes) {
    if (type == entry.Name) {
      value.Type = entry.Type;
      return;
    }
  }
  const size_t open = type.find('[');
  const std::string base = type.substr(0, open);
  if (base != "char" && base != "string") {
    Refuse(given, "unknown type \"" + text + "\"");
  }
  value.Type = base == "char" ? TValueType::Chars : TValueType::String;
  if (type == "char") {
    value.Length = 1;
    return;
  }
  if (open == std::string::npos || type.back() != ']' || open + 2 >= type.size()) {
    Refuse(given, base + " needs its length: " + base + "[N]");
  }
  const std::string digits = type.substr(open + 1, type.size() - open - 2);
  if (digits.size() > 3 ||
      !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); })) {
    Refuse(given, "\"" + digits + "\" is not a length");
  }
  value.Length = std::stoi(digits);
  if (value.Length < 1 || value.Length > kLongestString) {
    Refuse(given, base + " length " + digits + " is outside 1.." + std::to_string(kLongestString));
  }
}

TValueType DefaultType(TWidth width) {
  switch (width) {
    case TWidth::Bit:
      return TValueType::Bool;
    case TWidth::Byte:
      return TValueType::Byte;
    case TWidth::DWord:
      return TValueType::DWord;
    default:
      return TValueType::Word;
  }
}

// The width letter of an address that names the value: strings and lreal are
// named by their first byte.
char WidthLetter(const TReadValue& value) {
  switch (value.Type) {
    case TValueType::Int:
    case TValueType::Word:
      return 'W';
    case TValueType::DInt:
    case TValueType::DWord:
    case TValueType::Real:
      return 'D';
    default:
      return 'B';
  }
}

bool Fits(TWidth width, const TReadValue& value) {
  switch (width) {
    case TWidth::Bit:
      return value.Type == TValueType::Bool;
    case TWidth::Byte:
      return value.Type != TValueType::Bool && WidthLetter(value) == 'B';
    case TWidth::Word:
      return WidthLetter(value) == 'W';
    case TWidth::DWord:
      return WidthLetter(value) == 'D';
    default:  // counters and timers are words
      return WidthLetter(value) == 'W';
  }
}

void CheckFit(const std::string& given, const TParsedAddress& address, const TReadValue& value) {
  if (Fits(address.Width, value)) return;
  const std::string type = TypeName(value);
  if (address.Width == TWidth::Number) Refuse(given, "a counter or timer is read as word or int");
  if (value.Type == TValueType::Bool) {
    Refuse(given, "bool needs a bit address such as DB10.DBX4.3 or M0.1");
  }
  if (address.Width == TWidth::Bit) Refuse(given, "a bit address reads a bool, not " + type);
  const std::string suggestion =
      address.Prefix + WidthLetter(value) + std::to_string(address.Offset) + ":" + type;
  Refuse(given,
         type + " takes " + std::to_string(ValueBytes(value)) + " bytes: write " + suggestion);
}

void CheckName(const std::string& given, const std::string& name) {
  if (name.empty()) Refuse(given, "the name after \"=\" is empty");
  const bool control =
      std::any_of(name.begin(), name.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; });
  if (control || name.find('|') != std::string::npos) {
    Refuse(given, "a name holds no control characters and no \"|\"");
  }
  if (name.front() == ' ' || name.back() == ' ') {
    Refuse(given, "a name neither starts nor ends with a blank");
  }
}

}  // namespace

int32_t ValueBytes(const TReadValue& value) {
  switch (value.Type) {
    case TValueType::Chars:
      return value.Length;
    case TValueType::String:
      return value.Length + 2;
    default:
      break;
  }
  const auto* entry = std::find_if(std::begin(kTypes), std::end(kTypes),
                                   [&value](const TTypeEntry& e) { return e.Type == value.Type; });
  return entry->Bytes;
}

std::string TypeName(const TReadValue& value) {
  if (value.Type == TValueType::Chars) return "char[" + std::to_string(value.Length) + "]";
  if (value.Type == TValueType::String) return "string[" + std::to_string(value.Length) + "]";
  const auto* entry = std::find_if(std::begin(kTypes), std::end(kTypes),
                                   [&value](const TTypeEntry& e) { return e.Type == value.Type; });
  return entry->Name;
}

TReadValue ParseReadValue(const std::string& text) {
  const size_t equals = text.find('=');
  const std::string typed = text.substr(0, equals);
  const size_t colon = typed.find(':');
  TReadValue value;
  value.Address = Upper(typed.substr(0, colon));
  if (value.Address.empty()) Refuse(text, "the address is missing");
  const TParsedAddress address = TAddressScanner(text, value.Address).Scan();
  value.Area = address.Area;
  value.DBNumber = address.DBNumber;
  value.Offset = address.Offset;
  value.Bit = address.Bit;
  value.Type = DefaultType(address.Width);
  if (colon != std::string::npos) ScanType(text, typed.substr(colon + 1), value);
  CheckFit(text, address, value);
  if (address.Width != TWidth::Number &&
      value.Offset + ValueBytes(value) - 1 > kLargestByteAddress) {
    Refuse(text, "the value ends beyond byte " + std::to_string(kLargestByteAddress));
  }
  value.Name = equals == std::string::npos ? value.Address : text.substr(equals + 1);
  CheckName(text, value.Name);
  return value;
}

}  // namespace plchost
