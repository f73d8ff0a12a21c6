// What a weekly and a monthly report differ in: the periods of the passes,
// the comparison date, the annualising, the texts of the message and the
// attachment, the report kind and the confirmation text. One pipeline runs
// either plan.
#ifndef SARVILAX_REPORTS_REPORT_PLAN_H_
#define SARVILAX_REPORTS_REPORT_PLAN_H_

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/env.h"
#include "core/ole_date.h"
#include "figures/report_figures.h"
#include "reports/attachment.h"
#include "reports/message.h"
#include "reports/ratios.h"

namespace sarvilax {

inline constexpr int16_t kWeeklyReportKind = 0;
inline constexpr int16_t kMonthlyReportKind = 1;
inline constexpr char kMonthlyWindowTitle[] = " Kuukausiraportti";

// The journal rows dated from start up to, not including, end; without an
// end, to the end of the journal as it is when the pass starts.
struct PeriodPlan {
  std::string caption;
  OleDate start = 0;
  std::optional<OleDate> end;
};

struct ReportPlan {
  int16_t kind = kWeeklyReportKind;
  std::optional<std::string> window_title;  // set when the run retitles the window
  OleDate comparison_date = 0;              // the stock "a year ago"
  std::array<PeriodPlan, kColumns> periods;
  Annualising annualising;
  // Built when laid out: the texts read the clock at that moment.
  std::function<MessageTexts()> message_texts;
  std::function<AttachmentHeading()> attachment_heading;
  std::string confirmation;
};

// The weekly report of the seven days up to run_time, against the same
// days 365 days earlier. shop_name is used by the attachment heading.
ReportPlan WeeklyReportPlan(Env& env, OleDate run_time, const std::string& shop_name);

// The month a monthly report started at now covers: report_date is the last
// day of the previous month, last_year_date the last day of that month a
// year earlier (28 or 29 February as that year has it). Both at 00:00.
struct MonthlyDates {
  OleDate report_date = 0;
  OleDate last_year_date = 0;
};
MonthlyDates MonthlyReportDates(OleDate now);

ReportPlan MonthlyReportPlan(Env& env, const MonthlyDates& dates, const std::string& shop_name);

// "MARRASKUU" for month 11; December is "JOULU".
const char* FinnishMonthName(int month);

}  // namespace sarvilax

#endif  // SARVILAX_REPORTS_REPORT_PLAN_H_
