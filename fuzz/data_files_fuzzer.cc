// libFuzzer target: the bytes of the three point-of-sale data files, through
// the lookups, the stock pass, the period passes and the report documents of
// a weekly and a monthly run, all in memory.
//
// Input: VARNU.001, VARNU.002 and VARNU.004 one after the other, separated
// by the marker "#VARNU#" (a missing marker leaves the files after it
// empty). The run time is the day after the journal's last row, at 06:15,
// so that every period of a seed shop holds rows; a last date that is no
// date gives a fixed run time.
//
// A bad record may end a run with sarvilax::Error, as it ends the program
// with one line; anything else (a crash, a sanitizer report, another
// exception, a hang, a broken document) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/report_run.h"
#include "core/error.h"
#include "core/memory_env.h"
#include "core/ole_date.h"
#include "posdata/records.h"
#include "reports/attachment.h"
#include "reports/message.h"
#include "reports/ratios.h"
#include "reports/report_plan.h"
#include "ui/recording_window.h"

namespace sarvilax {
namespace {

constexpr std::string_view kMarker = "#VARNU#";
constexpr char kDataDirectory[] = "data/";

// A relay that is never reached: the documents are made, not sent.
class UnusedTransfer : public HttpTransfer {
 public:
  std::string Post(const std::string&, const std::string&) override { std::abort(); }
};

// Cuts the next file off the front of input.
std::string TakeFile(std::string_view& input) {
  const size_t marker = input.find(kMarker);
  const std::string file(input.substr(0, marker));
  input =
      marker == std::string_view::npos ? std::string_view() : input.substr(marker + kMarker.size());
  return file;
}

OleDate RunTimeAfter(const std::string& journal) {
  const OleDate fallback = MakeOleDate(CivilDate{2026, 12, 7}, 6 * 3600 + 15 * 60);
  if (journal.size() < static_cast<size_t>(journal_layout::kLength)) return fallback;
  const size_t last = (journal.size() / journal_layout::kLength - 1) * journal_layout::kLength;
  const OleDate date = DecodeJournalDate(journal.data() + last);
  const OleDate earliest = MakeOleDate(CivilDate{1902, 1, 1});
  const OleDate latest = MakeOleDate(CivilDate{9998, 1, 1});
  if (!(date >= earliest && date <= latest)) return fallback;
  const CivilDate day = SplitOleDate(date).date;
  return MakeOleDate(CivilFromDays(DaysFromCivil(day) + 1), 6 * 3600 + 15 * 60);
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// The documents of one run, checked for the shape every report has.
void MakeDocuments(RunContext& context, const ReportPlan& plan) {
  ReportFigures figures = ComputeReportFigures(context, plan);
  DeriveRatios(figures, plan.annualising);
  const std::vector<std::string> message = LayOutMessage(figures, plan.message_texts(), "Kauppa");
  Check(message.size() == 31);
  for (int table : {7, 13, 19}) {
    for (int row = table; row < table + 3; ++row) Check(message[row].size() == kReportWidth);
  }
  const std::vector<std::string> chosen =
      WriteTop20Attachment(context.env, plan.attachment_heading());
  Check(chosen.size() <= 20);
}

void RunOne(std::string_view input) {
  MemoryEnv env;
  env.SetFile(std::string(kDataDirectory) + kIndexFileName, TakeFile(input));
  env.SetFile(std::string(kDataDirectory) + kProductFileName, TakeFile(input));
  const std::string journal(input);
  env.SetFile(std::string(kDataDirectory) + kJournalFileName, journal);
  const OleDate run_time = RunTimeAfter(journal);
  env.SetNow(run_time);

  RecordingWindow window;
  UnusedTransfer transfer;
  RunContext context{env,           window, transfer, RelayConfig{}, Configuration{"Kauppa", {}},
                     kDataDirectory};
  try {
    MakeDocuments(context, WeeklyReportPlan(env, run_time, "Kauppa"));
  } catch (const Error&) {
    // A bad record ends the run with one line; the monthly run then never starts.
    return;
  }
  try {
    MakeDocuments(context, MonthlyReportPlan(env, MonthlyReportDates(run_time), "Kauppa"));
  } catch (const Error&) {
  }
}

}  // namespace
}  // namespace sarvilax

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sarvilax::RunOne(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
