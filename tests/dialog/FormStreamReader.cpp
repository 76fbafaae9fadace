#include "FormStreamReader.h"

#include <cmath>
#include <cstdio>

namespace {

class TStreamReader {
 public:
  explicit TStreamReader(const std::string& stream) : FStream(stream) {}

  TStreamComponent Read() {
    if (FStream.compare(0, 4, "TPF0") != 0) throw EFormStreamRead("no TPF0 signature");
    FPosition = 4;
    TStreamComponent root = Component();
    if (FPosition != FStream.size()) throw EFormStreamRead("bytes after the root component");
    return root;
  }

 private:
  uint8_t Byte() {
    if (FPosition >= FStream.size()) throw EFormStreamRead("stream ends early");
    return static_cast<uint8_t>(FStream[FPosition++]);
  }
  uint8_t Peek() const {
    if (FPosition >= FStream.size()) throw EFormStreamRead("stream ends early");
    return static_cast<uint8_t>(FStream[FPosition]);
  }
  uint64_t Unsigned(int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(Byte()) << (8 * i);
    return value;
  }
  std::string Bytes(size_t count) {
    if (count > FStream.size() - FPosition) throw EFormStreamRead("text beyond the stream");
    std::string text = FStream.substr(FPosition, count);
    FPosition += count;
    return text;
  }
  std::string ShortString() { return Bytes(Byte()); }

  TStreamComponent Component() {
    if ((Peek() & 0xF0) == 0xF0) throw EFormStreamRead("unexpected filer flags");
    TStreamComponent component;
    component.ClassName = ShortString();
    component.Name = ShortString();
    while (Peek() != 0) {
      std::string path = ShortString();
      component.Properties.emplace_back(std::move(path), Value());
    }
    Byte();
    while (Peek() != 0) component.Children.push_back(Component());
    Byte();
    return component;
  }

  static int64_t SignExtended(uint64_t value, int bytes) {
    const int shift = 64 - 8 * bytes;
    return static_cast<int64_t>(value << shift) >> shift;
  }

  double Extended() {
    const uint64_t mantissa = Unsigned(8);
    const auto exponentAndSign = static_cast<uint16_t>(Unsigned(2));
    if (mantissa == 0) return 0;
    const double magnitude =
        std::ldexp(static_cast<double>(mantissa), (exponentAndSign & 0x7FFF) - 16383 - 63);
    return (exponentAndSign & 0x8000) != 0 ? -magnitude : magnitude;
  }

  TStreamValue Value() {
    TStreamValue value;
    value.Type = Byte();
    switch (value.Type) {
      case 0x02:
      case 0x03:
      case 0x04: {
        const int bytes = value.Type == 0x02 ? 1 : value.Type == 0x03 ? 2 : 4;
        value.Integer = SignExtended(Unsigned(bytes), bytes);
        break;
      }
      case 0x13:
        value.Integer = static_cast<int64_t>(Unsigned(8));
        break;
      case 0x05:
        value.Float = Extended();
        break;
      case 0x06:
      case 0x07:
        value.Text = ShortString();
        break;
      case 0x0C:
      case 0x14:
        value.Text = Bytes(static_cast<size_t>(Unsigned(4)));
        break;
      case 0x08:
      case 0x09:
        break;
      case 0x0B:
        while (Peek() != 0) value.Items.push_back(ShortString());
        Byte();
        break;
      case 0x01:
        while (Peek() != 0) {
          const TStreamValue item = Value();
          if (item.Type != 0x06 && item.Type != 0x0C) throw EFormStreamRead("list of non-strings");
          value.Items.push_back(item.Text);
        }
        Byte();
        break;
      default:
        throw EFormStreamRead("value type " + std::to_string(value.Type) + " not expected");
    }
    return value;
  }

  const std::string& FStream;
  size_t FPosition = 0;
};

}  // namespace

std::string TStreamValue::Render() const {
  switch (Type) {
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x13:
      return std::to_string(Integer);
    case 0x05: {
      char text[32];
      std::snprintf(text, sizeof text, "%g", Float);
      return text;
    }
    case 0x08:
      return "False";
    case 0x09:
      return "True";
    case 0x0B:
    case 0x01: {
      std::string text = Type == 0x0B ? "[" : "(";
      for (size_t i = 0; i < Items.size(); ++i) {
        text += (i > 0 ? ", " : "") + (Type == 0x0B ? Items[i] : "'" + Items[i] + "'");
      }
      return text + (Type == 0x0B ? "]" : ")");
    }
    default:
      return Text;
  }
}

const TStreamValue& TStreamComponent::Property(const std::string& path) const {
  for (const auto& [name, value] : Properties) {
    if (name == path) return value;
  }
  throw EFormStreamRead(Name + " has no property " + path);
}

bool TStreamComponent::Has(const std::string& path) const {
  for (const auto& property : Properties) {
    if (property.first == path) return true;
  }
  return false;
}

TStreamComponent ReadFormStream(const std::string& stream) { return TStreamReader(stream).Read(); }
