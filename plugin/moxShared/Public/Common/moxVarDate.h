#pragma once

#include <string>
#include <string_view>

// Date values of the automation conversions: days since 30 December 1899, the
// fraction being the time of day (for days before that date the fraction
// counts forward from the start of the day: -1.25 is 29 December 1899 06:00).
// Text is in the US English form: "M/D/YYYY h:mm:ss AM".

// The earliest and latest days a date value may name (1 January 100 and
// 31 December 9999).
constexpr double kMinDateDay = -657434;
constexpr double kMaxDateDay = 2958465;

// Whether a number is a valid date value.
bool IsValidDate(double date);

// Text of a date value: only the time when the day is 30 December 1899, only
// the date when the time is midnight. Seconds are rounded. The value must be valid.
std::string FormatDate(double date);

// Accepts "M/D/Y", "Y-M-D" (a two-digit year below 30 is in the 2000s, else in
// the 1900s), a time "h:mm[:ss] [AM|PM]", or a date followed by a time,
// with optional blanks around. False for anything else or an invalid date.
bool ParseDate(std::string_view text, double& date);
