#pragma once

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "moxShared/Public/Common/moxErrorLog.h"
#include "moxShared/Public/Common/moxParamLstIntf.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "moxShared/Public/Common/moxVariant.h"
#include "platform/CodePage.h"

// Calls slot `slot` of an interface's method table the way a foreign host
// does: through the raw table, with the interface pointer first.
template <typename TResult, typename... TArgs>
TResult CallSlot(void* intf, int slot, TArgs... args) {
  using TMethod = TResult(MOX_STDCALL*)(void*, TArgs...);
  void** table = *static_cast<void***>(intf);
  return reinterpret_cast<TMethod>(table[slot])(intf, args...);
}

// A VARIANT pointing at text, as a host passes strings (type 0x100 or 0x102).
inline TVarData TextPointer(TVarType type, const void* text) {
  TVarData value{};
  value.VType = type;
  value.Ptr = text;
  return value;
}

// Collects what shared code writes to the error log while it lives.
class TErrorLogCapture {
 public:
  TErrorLogCapture() { SetErrorLog(&Collect, this); }
  ~TErrorLogCapture() { SetErrorLog(nullptr, nullptr); }
  TErrorLogCapture(const TErrorLogCapture&) = delete;
  TErrorLogCapture& operator=(const TErrorLogCapture&) = delete;

  std::vector<std::string> Lines;

 private:
  static void Collect(void* context, const std::string& message) {
    static_cast<TErrorLogCapture*>(context)->Lines.push_back(message);
  }
};

// A value as readable text for test failures: its type and its value, a string
// in quotes, a real with all its digits, a currency as its scaled integer.
// Traces call it directly; gtest's printer (PrintTo) may come from a file
// that did not include this header.
inline std::string DescribeVariant(const TVariant& value) {
  std::ostringstream out;
  out << VarTypeName(value.Type()) << "(";
  if (value.Type() == VarType::BStr) {
    out << '"' << platform::WideToUtf8(value.WideView()) << '"';
  } else if (value.Type() == VarType::AnsiStr) {
    out << '"' << value.AnsiView() << '"';
  } else if (value.Type() == VarType::R4 || value.Type() == VarType::R8 ||
             value.Type() == VarType::Date) {
    out.precision(17);
    out << (value.Type() == VarType::R4 ? value.Data().R4 : value.Data().R8);
  } else if (value.Type() == VarType::Cy) {
    out << value.Data().Cy << "/10000";
  } else if (!value.IsEmptyOrNull()) {
    out << VarToAnsi(value);
  }
  out << ")";
  return out.str();
}

// Readable values in gtest's own messages (EXPECT_EQ).
inline void PrintTo(const TVariant& value, std::ostream* out) { *out << DescribeVariant(value); }
