#include "FormStream.h"

#include <cmath>
#include <cstdint>

namespace {

enum : uint8_t {
  vaNull = 0x00,
  vaList = 0x01,
  vaInt8 = 0x02,
  vaInt16 = 0x03,
  vaInt32 = 0x04,
  vaExtended = 0x05,
  vaString = 0x06,
  vaIdent = 0x07,
  vaFalse = 0x08,
  vaTrue = 0x09,
  vaSet = 0x0B,
  vaLString = 0x0C,
  vaInt64 = 0x13,
  vaUTF8String = 0x14,
};

class TFormStreamWriter {
 public:
  std::string Write(const TFormObject& root) {
    FOut = "TPF0";
    Component(root);
    return FOut;
  }

 private:
  void Byte(uint8_t value) { FOut.push_back(static_cast<char>(value)); }

  void LittleEndian(uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) Byte(static_cast<uint8_t>(value >> (8 * i)));
  }

  void ShortString(const std::string& text) {
    if (text.size() > 255) throw EFormStream("name longer than 255 bytes: " + text);
    Byte(static_cast<uint8_t>(text.size()));
    FOut += text;
  }

  void Component(const TFormObject& object) {
    ShortString(object.ClassName);
    ShortString(object.Name);
    for (const TFormProperty& property : object.Properties) {
      ShortString(property.Path);
      Value(property.Value);
    }
    Byte(vaNull);
    for (const TFormObject& child : object.Children) Component(child);
    Byte(vaNull);
  }

  void Value(const TFormValue& value) {
    switch (value.Kind) {
      case TFormValueKind::Integer:
        return Integer(value.Integer);
      case TFormValueKind::Float:
        return Extended(value.Float);
      case TFormValueKind::String:
        return String(value.Text);
      case TFormValueKind::Ident:
        Byte(vaIdent);
        return ShortString(value.Text);
      case TFormValueKind::Boolean:
        return Byte(value.Boolean ? vaTrue : vaFalse);
      case TFormValueKind::Set:
        Byte(vaSet);
        for (const std::string& member : value.Items) ShortString(member);
        return Byte(vaNull);
      case TFormValueKind::List:
        Byte(vaList);
        for (const std::string& item : value.Items) String(item);
        return Byte(vaNull);
    }
  }

  void Integer(int64_t value) {
    if (value >= INT8_MIN && value <= INT8_MAX) {
      Byte(vaInt8);
      LittleEndian(static_cast<uint64_t>(value), 1);
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
      Byte(vaInt16);
      LittleEndian(static_cast<uint64_t>(value), 2);
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
      Byte(vaInt32);
      LittleEndian(static_cast<uint64_t>(value), 4);
    } else {
      Byte(vaInt64);
      LittleEndian(static_cast<uint64_t>(value), 8);
    }
  }

  // 80-bit extended: a 64-bit mantissa with its integer bit, then sign and
  // exponent (bias 16383).
  void Extended(double value) {
    Byte(vaExtended);
    if (value == 0) {
      FOut.append(10, '\0');
      return;
    }
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);
    LittleEndian(static_cast<uint64_t>(std::ldexp(fraction, 64)), 8);
    const auto biased = static_cast<uint16_t>(exponent - 1 + 16383);
    LittleEndian(biased | (value < 0 ? 0x8000u : 0u), 2);
  }

  void String(const std::string& text) {
    bool ascii = true;
    for (const char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii) {
      Byte(vaUTF8String);
      LittleEndian(text.size(), 4);
    } else if (text.size() <= 255) {
      Byte(vaString);
      Byte(static_cast<uint8_t>(text.size()));
    } else {
      Byte(vaLString);
      LittleEndian(text.size(), 4);
    }
    FOut += text;
  }

  std::string FOut;
};

}  // namespace

std::string WriteFormStream(const TFormObject& root) { return TFormStreamWriter().Write(root); }
