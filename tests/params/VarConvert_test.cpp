#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ParamsTestSupport.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "moxShared/Public/Common/moxVarDate.h"

namespace {

struct TCase {
  TVariant Source;
  TVarType Target;
  HResult Status;
  TVariant Expected;
};

TVariant W(const char16_t* text) { return TVariant::OfWide(text); }

void Check(const std::vector<TCase>& cases) {
  for (const TCase& c : cases) {
    TVariant result = TVariant::OfI4(12345);  // left alone on failure
    const HResult status = ChangeVarType(result, c.Source, c.Target);
    SCOPED_TRACE(DescribeVariant(c.Source) + " to " + VarTypeName(c.Target));
    EXPECT_EQ(status, c.Status);
    EXPECT_EQ(result, c.Status == kS_OK ? c.Expected : TVariant::OfI4(12345));
  }
}

constexpr HResult kOk = kS_OK;
constexpr HResult kMismatch = kDISP_E_TYPEMISMATCH;
constexpr HResult kOverflow = kDISP_E_OVERFLOW;

TEST(VarConvert, EmptyAndNull) {
  Check({
      {TVariant(), VarType::I4, kOk, TVariant::OfI4(0)},
      {TVariant(), VarType::BStr, kOk, W(u"")},
      {TVariant(), VarType::Bool, kOk, TVariant::OfBool(false)},
      {TVariant(), VarType::Null, kOk, TVariant::Null()},
      {TVariant::Null(), VarType::Null, kOk, TVariant::Null()},
      {TVariant::Null(), VarType::I4, kMismatch, {}},
      {TVariant::Null(), VarType::BStr, kMismatch, {}},
      {TVariant::Null(), VarType::Empty, kMismatch, {}},
      {TVariant::OfR8(3), VarType::Empty, kOk, TVariant()},
  });
}

TEST(VarConvert, RealsRoundHalfToEvenAndCheckRanges) {
  Check({
      {TVariant::OfR8(2.5), VarType::I4, kOk, TVariant::OfI4(2)},
      {TVariant::OfR8(3.5), VarType::I4, kOk, TVariant::OfI4(4)},
      {TVariant::OfR8(-2.5), VarType::I4, kOk, TVariant::OfI4(-2)},
      {TVariant::OfR8(2.5000001), VarType::I2, kOk, TVariant::OfI2(3)},
      {TVariant::OfR8(127.4), VarType::I1, kOk, TVariant::OfI1(127)},
      {TVariant::OfR8(127.5), VarType::I1, kOverflow, {}},
      {TVariant::OfR8(-0.5), VarType::UI1, kOk, TVariant::OfUI1(0)},
      {TVariant::OfR8(-0.6), VarType::UI1, kOverflow, {}},
      {TVariant::OfR8(1e19), VarType::I8, kOverflow, {}},
      {TVariant::OfR8(1e300), VarType::R4, kOverflow, {}},
      {TVariant::OfR8(1e7), VarType::Date, kOverflow, {}},
      {TVariant::OfR8(1.5), VarType::Cy, kOk, TVariant::OfCy(15000)},
      // From the exact product: the double nearest 0.00005 lies above it.
      {TVariant::OfR8(0.00005), VarType::Cy, kOk, TVariant::OfCy(1)},
      {TVariant::OfR8(2.00005), VarType::Cy, kOk, TVariant::OfCy(20000)},
      {TVariant::OfR8(0.03125), VarType::Cy, kOk, TVariant::OfCy(312)},  // a true tie
      {TVariant::OfR8(0.09375), VarType::Cy, kOk, TVariant::OfCy(938)},
      {TVariant::OfR8(123456789012345), VarType::Cy, kOk, TVariant::OfCy(1234567890123450000)},
      {TVariant::OfR8(-922337203685477.5), VarType::Cy, kOk, TVariant::OfCy(-9223372036854775000)},
      {TVariant::OfR8(922337203685477.625), VarType::Cy, kOverflow, {}},
      {TVariant::OfR4(0.5f), VarType::R8, kOk, TVariant::OfR8(0.5)},
  });
}

TEST(VarConvert, IntegersCheckTheTargetRange) {
  Check({
      {TVariant::OfI4(127), VarType::I1, kOk, TVariant::OfI1(127)},
      {TVariant::OfI4(128), VarType::I1, kOverflow, {}},
      {TVariant::OfI4(-129), VarType::I1, kOverflow, {}},
      {TVariant::OfI4(-1), VarType::UI1, kOverflow, {}},
      {TVariant::OfI4(-1), VarType::UI2, kOverflow, {}},
      {TVariant::OfI8(4294967295), VarType::UI4, kOk, TVariant::OfUI4(4294967295u)},
      {TVariant::OfI8(2147483648), VarType::I4, kOverflow, {}},
      {TVariant::OfUI4(4000000000u), VarType::I8, kOk, TVariant::OfI8(4000000000)},
      {TVariant::OfUI4(4000000000u), VarType::R8, kOk, TVariant::OfR8(4e9)},
      {TVariant::OfI8(922337203685477), VarType::Cy, kOk, TVariant::OfCy(9223372036854770000)},
      {TVariant::OfI8(922337203685478), VarType::Cy, kOverflow, {}},
      {TVariant::OfI2(-7), VarType::Bool, kOk, TVariant::OfBool(true)},
      {TVariant::OfUI1(0), VarType::Bool, kOk, TVariant::OfBool(false)},
  });
}

TEST(VarConvert, CurrencyRoundsHalfToEven) {
  Check({
      {TVariant::OfCy(25000), VarType::I4, kOk, TVariant::OfI4(2)},
      {TVariant::OfCy(35000), VarType::I4, kOk, TVariant::OfI4(4)},
      {TVariant::OfCy(-15000), VarType::I4, kOk, TVariant::OfI4(-2)},
      {TVariant::OfCy(-15001), VarType::I4, kOk, TVariant::OfI4(-2)},
      {TVariant::OfCy(25000), VarType::R8, kOk, TVariant::OfR8(2.5)},
      {TVariant::OfCy(25000), VarType::BStr, kOk, W(u"2.5")},
      {TVariant::OfCy(-10001), VarType::BStr, kOk, W(u"-1.0001")},
      {TVariant::OfCy(120000), VarType::BStr, kOk, W(u"12")},
  });
}

TEST(VarConvert, IntegersKeepTheirBitsBetweenSignedAndUnsignedOfOneSize) {
  Check({
      {TVariant::OfI1(-5), VarType::UI1, kOk, TVariant::OfUI1(251)},
      {TVariant::OfUI1(200), VarType::I1, kOk, TVariant::OfI1(-56)},
      {TVariant::OfI2(-300), VarType::UI2, kOk, TVariant::OfUI2(65236)},
      {TVariant::OfUI2(60000), VarType::I2, kOk, TVariant::OfI2(-5536)},
      {TVariant::OfI4(-70000), VarType::UI4, kOk, TVariant::OfUI4(4294897296u)},
      {TVariant::OfUI4(4000000000u), VarType::I4, kOk, TVariant::OfI4(-294967296)},
      {TVariant::OfI1(-5), VarType::UI2, kOverflow, {}},
      {TVariant::OfI2(-300), VarType::UI1, kOverflow, {}},
      {TVariant::OfI8(-1), VarType::UI4, kOverflow, {}},
      {W(u"&HFF"), VarType::I1, kOk, TVariant::OfI1(-1)},
      {W(u"&O377"), VarType::I1, kOk, TVariant::OfI1(-1)},
      {W(u"&HFFFF"), VarType::I2, kOk, TVariant::OfI2(-1)},
      {W(u"&HFFFFFFFF"), VarType::I4, kOk, TVariant::OfI4(-1)},
      {W(u"&H100"), VarType::I1, kOverflow, {}},
      {W(u"&HFFFF"), VarType::UI1, kOverflow, {}},
      {W(u"255"), VarType::I1, kOverflow, {}},
      {W(u"&HFF"), VarType::Cy, kOverflow, {}},
  });
}

TEST(VarConvert, BooleansAreMinusOneAndNarrowWithoutOverflow) {
  const TVariant yes = TVariant::OfBool(true);
  Check({
      {yes, VarType::I4, kOk, TVariant::OfI4(-1)},
      {yes, VarType::UI1, kOk, TVariant::OfUI1(255)},
      {yes, VarType::UI2, kOk, TVariant::OfUI2(65535)},
      {yes, VarType::UI4, kOk, TVariant::OfUI4(0xFFFFFFFFu)},
      {yes, VarType::R8, kOk, TVariant::OfR8(-1)},
      {yes, VarType::Cy, kOk, TVariant::OfCy(-10000)},
      {yes, VarType::BStr, kOk, W(u"-1")},
      {TVariant::OfBool(false), VarType::AnsiStr, kOk, TVariant::OfAnsi("0")},
  });
}

TEST(VarConvert, TextToNumbers) {
  Check({
      {W(u" 12 "), VarType::I4, kOk, TVariant::OfI4(12)},
      {W(u"+7"), VarType::I2, kOk, TVariant::OfI2(7)},
      {W(u"1,000"), VarType::I4, kOk, TVariant::OfI4(1000)},
      {W(u"1.5"), VarType::I4, kOk, TVariant::OfI4(2)},
      {W(u"2.5"), VarType::I4, kOk, TVariant::OfI4(2)},
      {W(u"-3.5"), VarType::I4, kOk, TVariant::OfI4(-4)},
      {W(u"1e3"), VarType::I4, kOk, TVariant::OfI4(1000)},
      {W(u".5"), VarType::R8, kOk, TVariant::OfR8(0.5)},
      {W(u"5."), VarType::R8, kOk, TVariant::OfR8(5)},
      {W(u"&HFF"), VarType::I4, kOk, TVariant::OfI4(255)},
      {W(u"&O17"), VarType::I4, kOk, TVariant::OfI4(15)},
      {W(u"0.1"), VarType::R8, kOk, TVariant::OfR8(0.1)},
      {W(u"1.23456"), VarType::Cy, kOk, TVariant::OfCy(12346)},
      {W(u"9223372036854775807"), VarType::I8, kOk, TVariant::OfI8(INT64_MAX)},
      {W(u"-9223372036854775808"), VarType::I8, kOk, TVariant::OfI8(INT64_MIN)},
      {W(u"9223372036854775808"), VarType::I8, kOverflow, {}},
      {W(u"4000000000"), VarType::UI4, kOk, TVariant::OfUI4(4000000000u)},
      {W(u"4000000000"), VarType::I4, kOverflow, {}},
      {W(u"300"), VarType::UI1, kOverflow, {}},
      {W(u"1e400"), VarType::R8, kOverflow, {}},
      {W(u""), VarType::I4, kMismatch, {}},
      {W(u"abc"), VarType::I4, kMismatch, {}},
      {W(u"1.2.3"), VarType::R8, kMismatch, {}},
      {W(u"1e"), VarType::R8, kMismatch, {}},
      {W(u"\u00BD"), VarType::R8, kMismatch, {}},
      {TVariant::OfAnsi("42"), VarType::UI2, kOk, TVariant::OfUI2(42)},
  });
}

TEST(VarConvert, TextToBooleans) {
  Check({
      {W(u"True"), VarType::Bool, kOk, TVariant::OfBool(true)},
      {W(u"FALSE"), VarType::Bool, kOk, TVariant::OfBool(false)},
      {W(u"0"), VarType::Bool, kOk, TVariant::OfBool(false)},
      {W(u"2"), VarType::Bool, kOk, TVariant::OfBool(true)},
      {W(u"yes"), VarType::Bool, kMismatch, {}},
  });
}

TEST(VarConvert, NumbersToText) {
  Check({
      {TVariant::OfR8(0.1), VarType::BStr, kOk, W(u"0.1")},
      {TVariant::OfR8(-2.5), VarType::BStr, kOk, W(u"-2.5")},
      {TVariant::OfR8(100), VarType::BStr, kOk, W(u"100")},
      {TVariant::OfR8(1e20), VarType::BStr, kOk, W(u"1E+20")},
      {TVariant::OfR8(1.5e-7), VarType::BStr, kOk, W(u"1.5E-07")},
      {TVariant::OfR8(0.0001), VarType::BStr, kOk, W(u"0.0001")},
      {TVariant::OfR8(0.00001), VarType::BStr, kOk, W(u"1E-05")},
      {TVariant::OfR8(123456789012345), VarType::BStr, kOk, W(u"123456789012345")},
      {TVariant::OfR8(1e15), VarType::BStr, kOk, W(u"1E+15")},
      {TVariant::OfR8(1.0 / 3), VarType::BStr, kOk, W(u"0.333333333333333")},
      {TVariant::OfR4(0.1f), VarType::BStr, kOk, W(u"0.1")},
      {TVariant::OfI8(INT64_MIN), VarType::BStr, kOk, W(u"-9223372036854775808")},
      {TVariant::OfUI4(4000000000u), VarType::BStr, kOk, W(u"4000000000")},
      {TVariant::OfI1(-5), VarType::AnsiStr, kOk, TVariant::OfAnsi("-5")},
  });
}

TEST(VarConvert, Dates) {
  const double quarterPastOne = (13 * 60 + 45) / 1440.0;
  Check({
      {TVariant::OfDate(0), VarType::BStr, kOk, W(u"12:00:00 AM")},
      {TVariant::OfDate(1.5), VarType::BStr, kOk, W(u"12/31/1899 12:00:00 PM")},
      {TVariant::OfDate(36526), VarType::BStr, kOk, W(u"1/1/2000")},
      {TVariant::OfDate(-1.25), VarType::BStr, kOk, W(u"12/29/1899 6:00:00 AM")},
      {TVariant::OfDate(36526.5), VarType::I4, kOk, TVariant::OfI4(36526)},
      {W(u"12/31/1999"), VarType::Date, kOk, TVariant::OfDate(36525)},
      {W(u"1999-12-31 13:45"), VarType::Date, kOk, TVariant::OfDate(36525 + quarterPastOne)},
      {W(u"1:45 PM"), VarType::Date, kOk, TVariant::OfDate(quarterPastOne)},
      {W(u"12/29/1899 6:00:00"), VarType::Date, kOk, TVariant::OfDate(-1.25)},
      {W(u"1/2/03"), VarType::Date, kOk, TVariant::OfDate(37623)},
      {W(u"1.5"), VarType::Date, kOk, TVariant::OfDate(65 / 1440.0)},
      {W(u"2/30/2000"), VarType::Date, kMismatch, {}},
      {W(u"25:00"), VarType::Date, kMismatch, {}},
      {W(u"tomorrow"), VarType::Date, kMismatch, {}},
      {TVariant::OfI4(3000000), VarType::Date, kOverflow, {}},
  });
}

// Parses with 2026 as the current year; 0 for a refused text.
double DateOf(const char* text) {
  double date = 0;
  return ParseDate(text, 2026, date) ? date : 0;
}

TEST(VarConvert, DateTextsFollowTheSystemReading) {
  const double jan5th2026 = 46027;
  EXPECT_EQ(DateOf("1,000"), 36526);     // 1/1/2000: month and year
  EXPECT_EQ(DateOf("1/1/099"), 36161);   // a year below 100 has two digits
  EXPECT_EQ(DateOf("1/5"), jan5th2026);  // month and day of this year
  EXPECT_EQ(DateOf("1 5"), jan5th2026);
  EXPECT_EQ(DateOf("13 5"), DateOf("5/13"));  // day and month
  EXPECT_EQ(DateOf("13/1/2000"), 36538);      // D/M/Y when M/D/Y is invalid
  EXPECT_EQ(DateOf("0099-1-1"), 36161);       // Y/M/D
  EXPECT_EQ(DateOf("2 2000"), 36557);         // 2/1/2000
  EXPECT_EQ(DateOf("0.0001"), 1 / 1440.0);    // "." separates time parts
  EXPECT_EQ(DateOf("1.2.3 PM"), (13 * 3600 + 2 * 60 + 3) / 86400.0);
  EXPECT_EQ(DateOf("12:00 1/1/2000"), 36526.5);  // time first
  EXPECT_EQ(DateOf("1/5/2000, 1.5"), 36530 + 65 / 1440.0);
  for (const char* refused :
       {"", "12", "300", "-3.5", ".5", "1e3", "&HFF", "1.23456", "1:2:3.5", "1/2/3/4", "1/",
        "12.31.1999", "1:00 2:00", "1/1 2/2", "13:00 PM", "99999999999999999999/1/1", "True"}) {
    SCOPED_TRACE(refused);
    double date = -7;
    EXPECT_FALSE(ParseDate(refused, 2026, date));
    EXPECT_EQ(date, -7);
  }
}

TEST(VarConvert, StringsCrossTheCodePage) {
  Check({
      {TVariant::OfAnsi("\xC4\x80"), VarType::BStr, kOk, W(u"\u00C4\u20AC")},
      {W(u"\u00E4\u20AC"), VarType::AnsiStr, kOk, TVariant::OfAnsi("\xE4\x80")},
  });
}

TEST(VarConvert, TypesOutsideTheHandledSetAreRefused) {
  TVarData dispatch{};
  dispatch.VType = 9;
  TVariant result;
  EXPECT_EQ(ChangeVarType(result, TVariant::Adopt(dispatch), VarType::I4), kDISP_E_BADVARTYPE);
  EXPECT_EQ(ChangeVarType(result, TVariant::OfI4(1), 9), kDISP_E_BADVARTYPE);
  EXPECT_THROW(TVariant::CopyOf(dispatch), EVariantError);
}

TEST(VarConvert, VarAsTypeRaisesAndVarToAnsiTreatsNullAsEmpty) {
  EXPECT_THROW(VarAsType(TVariant::Null(), VarType::I4), EVariantError);
  EXPECT_THROW(VarAsType(W(u"70000"), VarType::I2), EVariantError);
  EXPECT_EQ(VarToAnsi(TVariant::Null()), "");
  EXPECT_EQ(VarToAnsi(TVariant()), "");
  EXPECT_EQ(VarToAnsi(TVariant::OfI4(-3)), "-3");
}

}  // namespace
