#include "reports/report_plan.h"

#include <cstdio>

#include "core/cp1252.h"

namespace sarvilax {
namespace {

constexpr char kCumulativeCaption[] = "Kumulatiivinen myynti";
constexpr char kLastYearCumulativeCaption[] = "Viime vuoden kumulatiivinen";
constexpr char kCumulativeHeader[] = "   KERTYM\xC4 ";
constexpr const char* kTableTitles[] = {"VOLYYMI", "MYYNTITUOTOT", "VARASTO"};

std::string PadRight(std::string text, size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string FourDigitYear(int year) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", year);
  return text;
}

std::string Year(int year) { return std::to_string(year); }

MessageTexts WeeklyMessageTexts(Env& env, OleDate run_time) {
  MessageTexts texts;
  texts.heading = "T\xE4ss\xE4 on viikkoraportti ajalta " + FormatDate(run_time - 7) + " KLO " +
                  FormatTime(run_time) + " - " + FormatDate(run_time) + " KLO " +
                  FormatTime(run_time);
  for (int t = 0; t < 3; ++t) {
    // The year is read from the clock for each header.
    const int y = YearOf(env.Now());
    texts.table_headers[t] = PadRight(kTableTitles[t], 18) + "VIIKKO " + Year(y) + "    VIIKKO " +
                             Year(y - 1) + kCumulativeHeader + Year(y) + kCumulativeHeader +
                             Year(y - 1);
  }
  return texts;
}

MessageTexts MonthlyMessageTexts(const MonthlyDates& dates) {
  const int month = SplitOleDate(dates.report_date).date.month;
  const int year = YearOf(dates.report_date);
  const int last_year = YearOf(dates.last_year_date);
  const std::string name = FinnishMonthName(month);
  const std::string abbreviation = name.substr(0, 3);
  MessageTexts texts;
  texts.heading =
      "T\xE4ss\xE4 on " + ToLowerCp1252(name) + "n " + FourDigitYear(year) + " kuukausiraportti";
  // The three table headers differ only in their titles.
  const std::string columns = abbreviation + " / " + Year(year) + "     " + abbreviation + " / " +
                              Year(last_year) + kCumulativeHeader + Year(year) + kCumulativeHeader +
                              Year(last_year);
  for (int t = 0; t < 3; ++t) {
    texts.table_headers[t] = PadRight(kTableTitles[t], 19) + columns;
  }
  return texts;
}

std::string ZorvikTimeLine(OleDate time) {
  return HeadingLine("ZORVIK", "MYYNTI TOP 20 ", "KLO  " + FormatTime(time));
}

OleDate DayAfter(OleDate day) {
  return MakeOleDate(CivilFromDays(DaysFromCivil(SplitOleDate(day).date) + 1));
}

OleDate FirstOfMonth(OleDate day) {
  CivilDate date = SplitOleDate(day).date;
  date.day = 1;
  return MakeOleDate(date);
}

// The days from 1 January 00:00 of the moment's year to the moment.
double DaysSinceNewYear(OleDate moment) { return moment - StartOfYear(moment); }

}  // namespace

const char* FinnishMonthName(int month) {
  static constexpr const char* kNames[] = {"TAMMIKUU", "HELMIKUU",   "MAALISKUU",   "HUHTIKUU",
                                           "TOUKOKUU", "KES\xC4KUU", "HEIN\xC4KUU", "ELOKUU",
                                           "SYYSKUU",  "LOKAKUU",    "MARRASKUU",   "JOULU"};
  return kNames[(month - 1) % 12];
}

ReportPlan WeeklyReportPlan(Env& env, OleDate run_time, const std::string& shop_name) {
  ReportPlan plan;
  plan.kind = kWeeklyReportKind;
  plan.comparison_date = run_time - 365;
  const OleDate c = plan.comparison_date;
  plan.periods = {{{"Kuluvan viikon myynti", run_time - 7, std::nullopt},
                   {"Viime vuoden vastaava viikko", c - 7, c},
                   {kCumulativeCaption, StartOfYear(run_time), std::nullopt},
                   {kLastYearCumulativeCaption, StartOfYear(c), c}}};
  plan.annualising = {Annualising::ShortPeriod::kWeek, DaysSinceNewYear(run_time),
                      DaysSinceNewYear(c)};
  plan.message_texts = [&env, run_time] { return WeeklyMessageTexts(env, run_time); };
  plan.attachment_heading = [run_time, shop_name] {
    const std::string middle = "VIIKKORAPORTTI" + std::string(20, ' ');
    return AttachmentHeading{HeadingLine(ToUpperCp1252(shop_name), middle, FormatDate(run_time)),
                             ZorvikTimeLine(run_time)};
  };
  plan.confirmation = "  Viikkoraportit on l\xE4hetetty seuraaviin osoitteisiin:     ";
  return plan;
}

MonthlyDates MonthlyReportDates(OleDate now) {
  const CivilDate today = SplitOleDate(now).date;
  const CivilDate report = CivilFromDays(DaysFromCivil({today.year, today.month, 1}) - 1);
  const int last_year = report.year - 1;
  const CivilDate last_year_end{last_year, report.month, DaysInMonth(last_year, report.month)};
  return {MakeOleDate(report), MakeOleDate(last_year_end)};
}

ReportPlan MonthlyReportPlan(Env& env, const MonthlyDates& dates, const std::string& shop_name) {
  const OleDate report = dates.report_date;
  const OleDate last_year = dates.last_year_date;
  ReportPlan plan;
  plan.kind = kMonthlyReportKind;
  plan.window_title = kMonthlyWindowTitle;
  plan.comparison_date = last_year;
  plan.periods = {{{"Kuluvan kuukauden myynti", FirstOfMonth(report), DayAfter(report)},
                   {"Viime vuoden vastaava kuukausi", FirstOfMonth(last_year), DayAfter(last_year)},
                   {kCumulativeCaption, StartOfYear(report), DayAfter(report)},
                   {kLastYearCumulativeCaption, StartOfYear(last_year), DayAfter(last_year)}}};
  plan.annualising = {Annualising::ShortPeriod::kMonth, DaysSinceNewYear(report),
                      DaysSinceNewYear(last_year)};
  plan.message_texts = [dates] { return MonthlyMessageTexts(dates); };
  plan.attachment_heading = [&env, dates, shop_name] {
    const std::string month =
        std::string(FinnishMonthName(SplitOleDate(dates.report_date).date.month)) + " " +
        FourDigitYear(YearOf(dates.report_date));
    // The monthly attachment shows when it was written, read as each line is.
    const std::string title = HeadingLine(ToUpperCp1252(shop_name), month, FormatDate(env.Now()));
    return AttachmentHeading{title, ZorvikTimeLine(env.Now())};
  };
  plan.confirmation = "  Kuukausiraportit on l\xE4hetetty seuraaviin osoitteisiin:     ";
  return plan;
}

}  // namespace sarvilax
