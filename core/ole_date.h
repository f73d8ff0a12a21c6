// OleDate: a date and time as a double, whole days since 1899-12-30 00:00 and
// the time of day as the fraction. Journal rows are compared with period
// bounds as exact doubles, so every OleDate of the program is made by
// MakeOleDate and by no other formula.
#ifndef SARVILAX_CORE_OLE_DATE_H_
#define SARVILAX_CORE_OLE_DATE_H_

#include <cstdint>
#include <string>

namespace sarvilax {

using OleDate = double;

struct CivilDate {
  int year = 1899;
  int month = 12;  // 1..12
  int day = 30;    // 1..31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct CivilDateTime {
  CivilDate date;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const CivilDateTime&, const CivilDateTime&) = default;
};

// Days from 1899-12-30 to date (negative before it), proleptic Gregorian.
int64_t DaysFromCivil(const CivilDate& date);
CivilDate CivilFromDays(int64_t days);

// days + seconds_of_day / 86400.0: the division first, then the addition.
OleDate MakeOleDate(const CivilDate& date, int seconds_of_day = 0);
OleDate MakeOleDate(const CivilDateTime& date_time);

// Whole days rounded down; the fraction × 86400 rounded to the nearest second
// (86400 is midnight of the next day). A value that is not finite or lies
// beyond the years 1..9999 throws Error.
CivilDateTime SplitOleDate(OleDate value);

int YearOf(OleDate value);
// 00:00 on 1 January of the value's year.
OleDate StartOfYear(OleDate value);
// 28 to 31; a month outside 1..12 throws Error.
int DaysInMonth(int year, int month);

// "dd.mm.yyyy", "hh:mm" (always a colon) and "yyyy-mm-dd".
std::string FormatDate(OleDate value);
std::string FormatTime(OleDate value);
std::string FormatIsoDate(OleDate value);

}  // namespace sarvilax

#endif  // SARVILAX_CORE_OLE_DATE_H_
