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

// The current year (of the UTC calendar), for dates given without one.
long CurrentYear();

// Accepts a date, a time, or both in either order, with blanks and commas
// between the parts. A date is two or three numbers separated by "/", "-" or
// blanks, read as the first valid of M/D/Y, D/M/Y and Y/M/D, or for two numbers
// M/D and D/M of `currentYear`, then M/Y; a year below 100 is a two-digit
// year (below 30 in the 2000s, else in the 1900s). A time is "h:mm[:ss]",
// "." also separating ("1.05" is 1:05 AM), with an optional AM or PM. False
// for anything else or an invalid date.
bool ParseDate(std::string_view text, long currentYear, double& date);

// The local date and time now as a date value, to the millisecond.
double LocalNowAsDate();
