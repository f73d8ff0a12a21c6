// The report runs: one pipeline (stock pass, four period passes, Top-20
// list, message, attachment, dispatch) that the weekly run and, once a
// month, the monthly run carry out with their own plans.
#ifndef SARVILAX_APP_REPORT_RUN_H_
#define SARVILAX_APP_REPORT_RUN_H_

#include "app/run_context.h"
#include "delivery/dispatch.h"
#include "reports/report_plan.h"

namespace sarvilax {

inline constexpr char kMonthlySettingSection[] = "Tilasto";
inline constexpr char kMonthlySettingKey[] = "SarvilaxKK";

// The stock pass, the four period passes (the first also feeding the
// per-product work file) and the Top-20 work file. Every file is closed on
// return; Sarvilax.Txt holds the sorted Top-20 work file.
ReportFigures ComputeReportFigures(RunContext& context, const ReportPlan& plan);

// Runs plan from the stock pass to the dispatch. Throws Error on the first
// failure; the work files of the failed run stay where they are.
DispatchResult RunReport(RunContext& context, const ReportPlan& plan);

// The report of the seven days up to now, sent to every recipient.
DispatchResult RunWeeklyReport(RunContext& context);

// When the previous month has not been reported yet, reports it and, as its
// very last act, stores the month. Otherwise returns at once, touching
// nothing. Returns the dispatch result of a due run, nothing otherwise. A
// preview run (requests written to a folder) never stores the month.
std::optional<DispatchResult> RunMonthlyReport(RunContext& context);

}  // namespace sarvilax

#endif  // SARVILAX_APP_REPORT_RUN_H_
