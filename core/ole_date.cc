#include "core/ole_date.h"

#include <charconv>
#include <cmath>

#include "core/error.h"

namespace sarvilax {

namespace {

// Days from 1970-01-01 to 1899-12-30.
constexpr int64_t kEpochOffset = -25569;
constexpr int kSecondsPerDay = 86400;

// Howard Hinnant's days_from_civil: days since 1970-01-01 in the proleptic
// Gregorian calendar, for any year. The year is counted from March, so the
// leap day falls at the end of the counted year.
constexpr int64_t DaysSince1970(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;  // [0, 399]
  const int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

// The inverse, civil_from_days.
CivilDate CivilFromDaysSince1970(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;  // [0, 146096]
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t month_index = (5 * day_of_year + 2) / 153;  // [0, 11], March first
  CivilDate date;
  date.day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
  date.month = static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
  date.year = static_cast<int>(year_of_era + era * 400 + (date.month <= 2 ? 1 : 0));
  return date;
}

constexpr int64_t kFirstDay = DaysSince1970(1, 1, 1) - kEpochOffset;
constexpr int64_t kLastDay = DaysSince1970(9999, 12, 31) - kEpochOffset;
static_assert(DaysSince1970(1899, 12, 30) == kEpochOffset);
static_assert(DaysSince1970(2000, 3, 1) == 11017);

std::string DoubleText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

[[noreturn]] void ThrowOutOfRange(OleDate value) {
  throw Error("the date value " + DoubleText(value) + " is not a date of the years 1 to 9999");
}

// Writes value as exactly width digits, zero-padded (value >= 0).
void AppendDigits(std::string* out, int value, int width) {
  char digits[8];
  for (int i = width - 1; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out->append(digits, width);
}

}  // namespace

int64_t DaysFromCivil(const CivilDate& date) {
  return DaysSince1970(date.year, date.month, date.day) - kEpochOffset;
}

CivilDate CivilFromDays(int64_t days) { return CivilFromDaysSince1970(days + kEpochOffset); }

OleDate MakeOleDate(const CivilDate& date, int seconds_of_day) {
  const double days = static_cast<double>(DaysFromCivil(date));
  return days + seconds_of_day / 86400.0;
}

OleDate MakeOleDate(const CivilDateTime& date_time) {
  return MakeOleDate(date_time.date,
                     date_time.hour * 3600 + date_time.minute * 60 + date_time.second);
}

CivilDateTime SplitOleDate(OleDate value) {
  // Also rules out NaN and the infinities before any conversion to integer.
  if (!(value >= static_cast<double>(kFirstDay) && value < static_cast<double>(kLastDay + 1))) {
    ThrowOutOfRange(value);
  }
  const double whole_days = std::floor(value);
  int64_t days = static_cast<int64_t>(whole_days);
  int64_t seconds = std::llround((value - whole_days) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    ++days;
    seconds = 0;
  }
  if (days > kLastDay) ThrowOutOfRange(value);
  CivilDateTime result;
  result.date = CivilFromDays(days);
  result.hour = static_cast<int>(seconds / 3600);
  result.minute = static_cast<int>(seconds / 60 % 60);
  result.second = static_cast<int>(seconds % 60);
  return result;
}

int YearOf(OleDate value) { return SplitOleDate(value).date.year; }

OleDate StartOfYear(OleDate value) { return MakeOleDate(CivilDate{YearOf(value), 1, 1}); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) throw Error("month " + std::to_string(month) + " does not exist");
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

std::string FormatDate(OleDate value) {
  const CivilDate date = SplitOleDate(value).date;
  std::string text;
  AppendDigits(&text, date.day, 2);
  text += '.';
  AppendDigits(&text, date.month, 2);
  text += '.';
  AppendDigits(&text, date.year, 4);
  return text;
}

std::string FormatTime(OleDate value) {
  const CivilDateTime date_time = SplitOleDate(value);
  std::string text;
  AppendDigits(&text, date_time.hour, 2);
  text += ':';
  AppendDigits(&text, date_time.minute, 2);
  return text;
}

std::string FormatIsoDate(OleDate value) {
  const CivilDate date = SplitOleDate(value).date;
  std::string text;
  AppendDigits(&text, date.year, 4);
  text += '-';
  AppendDigits(&text, date.month, 2);
  text += '-';
  AppendDigits(&text, date.day, 2);
  return text;
}

}  // namespace sarvilax
