// Compares the plug-in's variant conversions with the system's own
// (VariantChangeTypeEx of oleaut32, US English) over a table of values.
#if defined(_WIN32)

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ParamsTestSupport.h"
#include "moxShared/Public/Common/moxVarConvert.h"

#include <windows.h>

namespace {

constexpr LCID kUsEnglish = 0x0409;

const TVarType kTargets[] = {VarType::Empty, VarType::Null, VarType::I2, VarType::I4,
                             VarType::R4,    VarType::R8,   VarType::Cy, VarType::Date,
                             VarType::BStr,  VarType::Bool, VarType::I1, VarType::UI1,
                             VarType::UI2,   VarType::UI4,  VarType::I8};

std::vector<TVariant> Sources() {
  std::vector<TVariant> values = {TVariant(),
                                  TVariant::Null(),
                                  TVariant::OfBool(true),
                                  TVariant::OfBool(false),
                                  TVariant::OfI1(-5),
                                  TVariant::OfUI1(200),
                                  TVariant::OfI2(-300),
                                  TVariant::OfUI2(60000),
                                  TVariant::OfI4(-70000),
                                  TVariant::OfI4(128),
                                  TVariant::OfUI4(4000000000u),
                                  TVariant::OfI8(1LL << 40),
                                  TVariant::OfI8(-1),
                                  TVariant::OfR4(0.1f),
                                  TVariant::OfR4(2.5f),
                                  TVariant::OfR8(2.5),
                                  TVariant::OfR8(-2.5),
                                  TVariant::OfR8(3.5),
                                  TVariant::OfR8(1e20),
                                  TVariant::OfR8(0.1),
                                  TVariant::OfR8(1.5e-7),
                                  TVariant::OfR8(123456789012345.0),
                                  TVariant::OfR8(1.0 / 3),
                                  TVariant::OfR8(-0.5),
                                  TVariant::OfR8(1e300),
                                  TVariant::OfCy(25000),
                                  TVariant::OfCy(-15000),
                                  TVariant::OfCy(123456789),
                                  TVariant::OfDate(0),
                                  TVariant::OfDate(1.5),
                                  TVariant::OfDate(-1.25),
                                  TVariant::OfDate(36526),
                                  TVariant::OfDate(45000.75)};
  for (const char16_t* text : {u"",
                               u" 12 ",
                               u"1,000",
                               u"1.5",
                               u"2.5",
                               u"-3.5",
                               u"1e3",
                               u"&HFF",
                               u"abc",
                               u"True",
                               u"false",
                               u"12/31/1999",
                               u"1999-12-31 13:45",
                               u"13:45",
                               u"1:45 PM",
                               u"9223372036854775807",
                               u"4000000000",
                               u".5",
                               u"300",
                               u"0.0001"}) {
    values.push_back(TVariant::OfWide(text));
  }
  return values;
}

VARIANT ToSystem(const TVariant& value) {
  VARIANT result;
  TVarData copy = TVariant(value).Detach();
  static_assert(sizeof(copy) == sizeof(result), "the same 16 bytes");
  std::memcpy(&result, &copy, sizeof(result));
  return result;
}

// A status as text, "0x80020005", so that a mismatch reads as the codes do.
std::string StatusText(HResult status) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(status));
  return text;
}

bool NearlyEqual(double a, double b) { return a == b || std::fabs(a - b) <= 1e-12 * std::fabs(b); }

// Equal values; floating-point results of parsed text may differ in the last bit.
bool SameValue(const TVariant& ours, const TVariant& system) {
  if (ours.Type() != system.Type()) return false;
  switch (ours.Type()) {
    case VarType::R4:
      return NearlyEqual(ours.Data().R4, system.Data().R4);
    case VarType::R8:
    case VarType::Date:
      return NearlyEqual(ours.Data().R8, system.Data().R8);
    default:
      return ours == system;
  }
}

TEST(VarConvertOle, AgreesWithTheSystemConversion) {
  for (const TVariant& source : Sources()) {
    for (TVarType target : kTargets) {
      VARIANT systemSource = ToSystem(source);
      VARIANT systemResult;
      VariantInit(&systemResult);
      const HRESULT systemStatus =
          VariantChangeTypeEx(&systemResult, &systemSource, kUsEnglish, 0, target);
      VariantClear(&systemSource);
      TVarData raw;
      std::memcpy(&raw, &systemResult, sizeof(raw));
      const TVariant expected = TVariant::Adopt(raw);

      TVariant ours;
      const HResult status = ChangeVarType(ours, source, target);
      SCOPED_TRACE(DescribeVariant(source) + " to " + VarTypeName(target));
      EXPECT_EQ(StatusText(status), StatusText(systemStatus));
      if (status == kS_OK && systemStatus == S_OK) {
        EXPECT_TRUE(SameValue(ours, expected))
            << "ours " << DescribeVariant(ours) << ", system's " << DescribeVariant(expected);
      }
    }
  }
}

}  // namespace

#endif
