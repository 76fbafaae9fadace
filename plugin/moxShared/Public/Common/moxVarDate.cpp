#include "moxVarDate.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <ratio>
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

// Splits text into runs of digits and of letters and single separator
// characters; blanks and commas only separate.
struct TToken {
  char Kind;  // 'n' number, 'a' word, or the separator character itself
  std::string Text;
};

std::vector<TToken> Tokenize(std::string_view text) {
  std::vector<TToken> tokens;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\t' || c == ',') {
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

bool IsTimeSeparator(char kind) { return kind == ':' || kind == '.'; }
bool IsDateSeparator(char kind) { return kind == '/' || kind == '-'; }

// A reader over the tokens: each Take consumes a token of the expected kind.
class TTokenReader {
 public:
  explicit TTokenReader(std::vector<TToken> tokens) : FTokens(std::move(tokens)) {}
  bool AtEnd() const { return FPos == FTokens.size(); }
  char PeekKind(size_t ahead = 0) const {
    return FPos + ahead < FTokens.size() ? FTokens[FPos + ahead].Kind : '\0';
  }
  // A number followed by ":" or "." begins a time.
  bool AtTime() const { return PeekKind() == 'n' && IsTimeSeparator(PeekKind(1)); }
  // The value of a number token, saturated far beyond any valid date part.
  bool TakeNumber(long& value) {
    if (PeekKind() != 'n') return false;
    value = 0;
    for (char c : FTokens[FPos++].Text) value = std::min(value * 10 + (c - '0'), 1000000L);
    return true;
  }
  bool TakeSeparatorIf(bool (*isSeparator)(char)) {
    if (!isSeparator(PeekKind())) return false;
    ++FPos;
    return true;
  }
  bool TakeWord(std::string& word) {
    if (PeekKind() != 'a') return false;
    word = FTokens[FPos++].Text;
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return true;
  }

 private:
  std::vector<TToken> FTokens;
  size_t FPos = 0;
};

// Years below 100 are two-digit years: below 30 in the 2000s, else in the 1900s.
long ExpandYear(long year) {
  if (year >= 100) return year;
  return year < 30 ? 2000 + year : 1900 + year;
}

// The numbers of a date, separated by "/", "-" or blanks.
bool ReadDateParts(TTokenReader& reader, std::vector<long>& parts) {
  long part = 0;
  while (reader.PeekKind() == 'n' && !reader.AtTime()) {
    reader.TakeNumber(part);
    parts.push_back(part);
    if (reader.TakeSeparatorIf(IsDateSeparator) && reader.PeekKind() != 'n') return false;
  }
  return !parts.empty();
}

// The first valid reading of the parts: month/day/year, day/month/year or
// year/month/day; two parts are month/day or day/month of the current year,
// or month/year.
bool MakeCivilDate(const std::vector<long>& parts, long currentYear, TCivilDate& date) {
  const auto valid = [&date](long month, long day, long year) {
    date = {ExpandYear(year), static_cast<int>(month), static_cast<int>(day)};
    return IsValidCivil(date);
  };
  if (parts.size() == 3) {
    return valid(parts[0], parts[1], parts[2]) || valid(parts[1], parts[0], parts[2]) ||
           valid(parts[1], parts[2], parts[0]);
  }
  if (parts.size() == 2) {
    return valid(parts[0], parts[1], currentYear) || valid(parts[1], parts[0], currentYear) ||
           valid(parts[0], 1, parts[1]);
  }
  return false;
}

// "h:mm[:ss] [AM|PM]", "." also separating, as seconds since midnight.
bool ReadTime(TTokenReader& reader, long& seconds) {
  long parts[3] = {0, 0, 0};
  size_t count = 0;
  do {
    if (count == 3 || !reader.TakeNumber(parts[count++])) return false;
  } while (reader.TakeSeparatorIf(IsTimeSeparator));
  long hour = parts[0];
  std::string suffix;
  if (reader.TakeWord(suffix)) {
    if ((suffix != "AM" && suffix != "PM") || hour < 1 || hour > 12) return false;
    hour = hour % 12 + (suffix == "PM" ? 12 : 0);
  }
  if (count < 2 || hour > 23 || parts[1] > 59 || parts[2] > 59) return false;
  seconds = hour * 3600 + parts[1] * 60 + parts[2];
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

long CurrentYear() {
  using TDays = std::chrono::duration<long, std::ratio<kSecondsPerDay>>;
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return CivilFromDays(std::chrono::duration_cast<TDays>(sinceEpoch).count()).Year;
}

bool ParseDate(std::string_view text, long currentYear, double& date) {
  TTokenReader reader(Tokenize(text));
  std::vector<long> dateParts;
  bool hasTime = false;
  long seconds = 0;
  while (!reader.AtEnd()) {
    if (reader.AtTime() && !hasTime) {
      if (!ReadTime(reader, seconds)) return false;
      hasTime = true;
    } else if (reader.PeekKind() != 'n' || !dateParts.empty() ||
               !ReadDateParts(reader, dateParts)) {
      return false;
    }
  }
  if (dateParts.empty() && !hasTime) return false;
  TCivilDate civil{1899, 12, 30};
  if (!dateParts.empty() && !MakeCivilDate(dateParts, currentYear, civil)) return false;
  const double day = static_cast<double>(DaysFromCivil(civil) + kUnixEpochDay);
  const double fraction = static_cast<double>(seconds) / kSecondsPerDay;
  date = day < 0 ? day - fraction : day + fraction;
  return true;
}

double LocalNowAsDate() {
  using namespace std::chrono;
  const system_clock::time_point now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  // The reentrant forms need no lock between threads and, unlike std::localtime
  // with glibc, do not look at the time zone file again on every call.
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  const int64_t millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  const TCivilDate civil{local.tm_year + 1900L, local.tm_mon + 1, local.tm_mday};
  const long days = DaysFromCivil(civil) + kUnixEpochDay;
  const double time =
      (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + millis / 1000.0) / 86400.0;
  return static_cast<double>(days) + time;
}
