#include "app/report_run.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "core/settings_store.h"
#include "figures/period_pass.h"
#include "figures/stock_pass.h"
#include "figures/top_list.h"
#include "posdata/lookups.h"

namespace sarvilax {
namespace {

void RunPlannedPeriod(DataFiles& files, Window& window, const PeriodPlan& period,
                      PeriodFigures& figures, StockWorkFile* work_file) {
  const int64_t first = FindFirstJournalRow(files, period.start);
  const int64_t last =
      period.end ? FindFirstJournalRow(files, *period.end) - 1 : files.journal().CountRecords();
  RunPeriodPass(files, window, period.caption, first, last, figures, work_file);
}

// The passes allocate and free buffers of megabytes one after another. By
// default glibc hands each back to the system, and the next is paged in
// afresh, a page fault and a cleared page per 4 kB; keeping freed memory
// for reuse saves that without raising the peak.
void KeepFreedMemoryForReuse() {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

}  // namespace

ReportFigures ComputeReportFigures(RunContext& context, const ReportPlan& plan) {
  KeepFreedMemoryForReuse();
  ReportFigures figures;
  DataFiles files = DataFiles::Open(context.env, context.data_directory);
  StockWorkFile work_file(context.env);
  RunStockPass(files, work_file, context.window, plan.comparison_date, figures.stock);
  for (int c = 0; c < kColumns; ++c) {
    RunPlannedPeriod(files, context.window, plan.periods[c], figures.periods[c],
                     c == kThisPeriod ? &work_file : nullptr);
  }
  BuildTopList(context.env, work_file, context.window);
  return figures;
}

DispatchResult RunReport(RunContext& context, const ReportPlan& plan) {
  ReportFigures figures = ComputeReportFigures(context, plan);
  DeriveRatios(figures, plan.annualising);
  const std::vector<std::string> message =
      LayOutMessage(figures, plan.message_texts(), context.configuration.shop_name);
  WriteTop20Attachment(context.env, plan.attachment_heading());
  return DispatchReport(context, message, plan.kind, plan.confirmation);
}

DispatchResult RunWeeklyReport(RunContext& context) {
  context.window.SetVisible(true);
  const OleDate run_time = context.env.Now();
  return RunReport(context,
                   WeeklyReportPlan(context.env, run_time, context.configuration.shop_name));
}

std::optional<DispatchResult> RunMonthlyReport(RunContext& context) {
  const MonthlyDates dates = MonthlyReportDates(context.env.Now());
  const std::string report_date = FormatIsoDate(dates.report_date);
  SettingsStore& settings = context.env.Settings();
  if (settings.Read(kSettingsApplicationName, kMonthlySettingSection, kMonthlySettingKey, "") ==
      report_date) {
    return std::nullopt;
  }
  context.window.SetVisible(true);
  context.window.SetTitle(kMonthlyWindowTitle);
  DispatchResult result =
      RunReport(context, MonthlyReportPlan(context.env, dates, context.configuration.shop_name));
  // A preview must not change what the next real run reports.
  if (context.relay.preview_folder.empty()) {
    settings.Write(kSettingsApplicationName, kMonthlySettingSection, kMonthlySettingKey,
                   report_date);
  }
  return result;
}

}  // namespace sarvilax
