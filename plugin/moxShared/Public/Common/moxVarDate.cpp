#include "moxVarDate.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr int kSecondsPerDay = 86400;
// Day 0 of date values is 30 December 1899, 25569 days before 1 January 1970.
constexpr long kUnixEpochDay = 25569;

struct TCivilDate {
  long Year;
  int Month;
  int Day;
};

// Days since 1 January 1970 of a date of the proleptic Gregorian calendar.
long DaysFromCivil(TCivilDate d) {
  const long year = d.Year - (d.Month <= 2 ? 1 : 0);
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yearOfEra = year - era * 400;
  const long dayOfYear = (153 * (d.Month + (d.Month > 2 ? -3 : 9)) + 2) / 5 + d.Day - 1;
  const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

TCivilDate CivilFromDays(long days) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long dayOfEra = days - era * 146097;
  const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool IsLeapYear(long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool IsValidCivil(const TCivilDate& d) {
  static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.Year < 100 || d.Year > 9999 || d.Month < 1 || d.Month > 12 || d.Day < 1) return false;
  return d.Day <= kDaysInMonth[d.Month - 1] + (d.Month == 2 && IsLeapYear(d.Year) ? 1 : 0);
}

std::string FormatTime(long seconds) {
  const long hour = seconds / 3600;
  char text[32];
  std::snprintf(text, sizeof(text), "%ld:%02ld:%02ld %s", (hour + 11) % 12 + 1, seconds / 60 % 60,
                seconds % 60, hour < 12 ? "AM" : "PM");
  return text;
}

// Splits text into runs of digits and of letters, keeping the separators.
struct TToken {
  char Kind;  // 'n' number, 'a' word, or the separator character itself
  std::string Text;
};

std::vector<TToken> Tokenize(std::string_view text) {
  std::vector<TToken> tokens;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    const auto sameKind = [&](unsigned char x) {
      return std::isdigit(c) ? std::isdigit(x) != 0 : std::isalpha(c) && std::isalpha(x);
    };
    size_t end = i + 1;
    if (std::isalnum(c)) {
      while (end < text.size() && sameKind(static_cast<unsigned char>(text[end]))) ++end;
    }
    const char kind = std::isdigit(c) ? 'n' : std::isalpha(c) ? 'a' : static_cast<char>(c);
    tokens.push_back({kind, std::string(text.substr(i, end - i))});
    i = end;
  }
  return tokens;
}

// A reader over the tokens: each Take consumes a token of the expected kind.
class TTokenReader {
 public:
  explicit TTokenReader(std::vector<TToken> tokens) : FTokens(std::move(tokens)) {}
  bool AtEnd() const { return FPos == FTokens.size(); }
  bool Peek(char kind, size_t ahead = 0) const {
    return FPos + ahead < FTokens.size() && FTokens[FPos + ahead].Kind == kind;
  }
  size_t PeekLength() const { return AtEnd() ? 0 : FTokens[FPos].Text.size(); }
  bool TakeNumber(long& value, size_t maxDigits) {
    if (!Peek('n') || FTokens[FPos].Text.size() > maxDigits) return false;
    value = std::stol(FTokens[FPos++].Text);
    return true;
  }
  bool TakeSeparator(char separator) {
    if (!Peek(separator)) return false;
    ++FPos;
    return true;
  }
  bool TakeWord(std::string& word) {
    if (!Peek('a')) return false;
    word = FTokens[FPos++].Text;
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return true;
  }

 private:
  std::vector<TToken> FTokens;
  size_t FPos = 0;
};

long ExpandYear(long year, size_t digits) {
  if (digits > 2) return year;
  return year < 30 ? 2000 + year : 1900 + year;
}

// "M/D/Y" or "Y-M-D".
bool ReadDate(TTokenReader& reader, TCivilDate& date) {
  long first = 0;
  long second = 0;
  long third = 0;
  if (reader.Peek('n') && reader.Peek('/', 1)) {
    if (!reader.TakeNumber(first, 2) || !reader.TakeSeparator('/') ||
        !reader.TakeNumber(second, 2) || !reader.TakeSeparator('/')) {
      return false;
    }
    // The year's digit count decides the century of a short year.
    const size_t yearDigits = reader.PeekLength();
    if (!reader.TakeNumber(third, 4)) return false;
    date = {ExpandYear(third, yearDigits), static_cast<int>(first), static_cast<int>(second)};
    return IsValidCivil(date);
  }
  if (!reader.TakeNumber(first, 4) || !reader.TakeSeparator('-') || !reader.TakeNumber(second, 2) ||
      !reader.TakeSeparator('-') || !reader.TakeNumber(third, 2)) {
    return false;
  }
  date = {first, static_cast<int>(second), static_cast<int>(third)};
  return IsValidCivil(date);
}

// "h:mm[:ss] [AM|PM]" as seconds since midnight.
bool ReadTime(TTokenReader& reader, long& seconds) {
  long hour = 0;
  long minute = 0;
  long second = 0;
  if (!reader.TakeNumber(hour, 2) || !reader.TakeSeparator(':') || !reader.TakeNumber(minute, 2)) {
    return false;
  }
  if (reader.TakeSeparator(':') && !reader.TakeNumber(second, 2)) return false;
  std::string suffix;
  if (reader.TakeWord(suffix)) {
    if ((suffix != "AM" && suffix != "PM") || hour < 1 || hour > 12) return false;
    hour = hour % 12 + (suffix == "PM" ? 12 : 0);
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  seconds = hour * 3600 + minute * 60 + second;
  return true;
}

}  // namespace

bool IsValidDate(double date) { return date > kMinDateDay - 1 && date < kMaxDateDay + 1; }

std::string FormatDate(double date) {
  double whole = std::trunc(date);
  long seconds = std::lround(std::fabs(date - whole) * kSecondsPerDay);
  if (seconds == kSecondsPerDay) {
    seconds = 0;
    whole += 1;
  }
  std::string dateText;
  if (whole != 0) {
    const TCivilDate d = CivilFromDays(static_cast<long>(whole) - kUnixEpochDay);
    dateText = std::to_string(d.Month) + "/" + std::to_string(d.Day) + "/" + std::to_string(d.Year);
  }
  if (seconds == 0 && whole != 0) return dateText;
  const std::string timeText = FormatTime(seconds);
  return dateText.empty() ? timeText : dateText + " " + timeText;
}

bool ParseDate(std::string_view text, double& date) {
  TTokenReader reader(Tokenize(text));
  TCivilDate civil{1899, 12, 30};
  const bool timeOnly = reader.Peek(':', 1);
  if (!timeOnly && !ReadDate(reader, civil)) return false;
  long seconds = 0;
  if ((timeOnly || !reader.AtEnd()) && !ReadTime(reader, seconds)) return false;
  if (!reader.AtEnd()) return false;
  const double day = static_cast<double>(DaysFromCivil(civil) + kUnixEpochDay);
  const double fraction = static_cast<double>(seconds) / kSecondsPerDay;
  date = day < 0 ? day - fraction : day + fraction;
  return true;
}
