#pragma once

#include <string>

#include "moxShared/Public/Common/moxVariant.h"

namespace plchost {

// A value ready for output: its kind decides quoting, its text is UTF-8.
struct TCell {
  enum class TKind { Null, Integer, Number, Boolean, Text };

  TKind Kind = TKind::Null;
  std::string Text;
};

// The cell of a delivered value: numbers in the shortest text that reads back
// equal ("." as decimal point), Booleans as true/false, dates as
// YYYY-MM-DD hh:mm:ss.zzz, text converted from the system code page (or
// UTF-16) to UTF-8; a number that is not finite as "nan", "inf" or "-inf".
// Empty and Null give Null.
TCell CellOf(const TVariant& value);

// A number cell that is NaN or infinite (JSON and InfluxDB have no text for it).
bool IsNonFinite(const TCell& cell);

// The bytes of a value's text as upper-case hexadecimal pairs (raw packets).
TCell HexCellOf(const TVariant& value);

// A date value (days since 30 December 1899, the fraction the time of day) as
// YYYY-MM-DD hh:mm:ss.zzz; empty outside the years 100 to 9999.
std::string DateText(double date);

}  // namespace plchost
