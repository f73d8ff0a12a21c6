#include "figures/top_list.h"

#include <algorithm>
#include <utility>

#include "core/number_format.h"
#include "core/text_lines.h"

namespace sarvilax {
namespace {

using namespace top_list_layout;

std::string FormatMarginPercent(const StockWorkRecord& r) {
  if (r.netSales.IsZero()) return RightAlign("0.0", kPercentWidth);
  const double percent = r.margin.ToDouble() / r.netSales.ToDouble() * 100;
  return RightAlign(DecimalPoint(FormatNumber(percent, NumberPattern::kOneDecimal)), kPercentWidth);
}

// A code of spaces (a free index slot) or of zero bytes (a record the work
// file never had) names no product.
bool IsBlankCode(const ProductCode& code) {
  return std::all_of(code.begin(), code.end(), [](char c) { return c == ' ' || c == '\0'; });
}

double NetSalesKey(std::string_view line) {
  if (line.size() <= static_cast<size_t>(kNetSalesOffset)) return 0;
  return ParseNumberField(line.substr(kNetSalesOffset, kNetSalesWidth));
}

}  // namespace

std::string FormatTopListLine(const StockWorkRecord& r) {
  std::string line(r.code.begin(), r.code.end());
  line += ' ';
  line.append(r.name.begin(), r.name.end());
  line += RightAlign(FormatNumber(r.quantitySold, NumberPattern::kWhole), kQuantityWidth);
  line += RightAlign(DecimalPoint(FormatNumber(r.netSales, NumberPattern::kTwoDecimals)),
                     kNetSalesWidth);
  line +=
      RightAlign(DecimalPoint(FormatNumber(r.margin, NumberPattern::kTwoDecimals)), kMarginWidth);
  line += FormatMarginPercent(r);
  return line;
}

std::vector<std::string> BuildTopList(Env& env, StockWorkFile& work_file, Window& window) {
  window.SetPhase(kSummingCaption);
  std::string text;
  const int32_t count = work_file.CountRecords();
  for (int32_t r = 1; r <= count; ++r) {
    const StockWorkRecord record = work_file.Read(r);
    if (!IsBlankCode(record.code)) {
      text += FormatTopListLine(record);
      text += "\r\n";
    }
    window.SetProgress(ProgressPercent(r, count));
  }
  env.WriteWholeFile(kTopListFileName, text);
  SortTopList(env);
  return ReadTopListLines(env, kTopListEntries);
}

void SortTopList(Env& env) {
  std::vector<std::string> lines = SplitLines(env.ReadWholeFile(kTopListFileName));
  std::vector<std::pair<double, size_t>> keys;
  keys.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) keys.emplace_back(NetSalesKey(lines[i]), i);
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (const auto& key : keys) sorted.push_back(std::move(lines[key.second]));
  env.WriteWholeFile(kTopListFileName, JoinLinesCrLf(sorted));
}

std::vector<std::string> ReadTopListLines(Env& env, size_t count) {
  std::vector<std::string> lines = SplitLines(env.ReadWholeFile(kTopListFileName));
  if (lines.size() > count) lines.resize(count);
  return lines;
}

}  // namespace sarvilax
