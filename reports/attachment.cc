#include "reports/attachment.h"

#include "core/checked_math.h"
#include "core/currency.h"
#include "core/number_format.h"
#include "core/text_lines.h"
#include "figures/stock_work_file.h"
#include "figures/top_list.h"
#include "reports/message.h"

namespace sarvilax {
namespace {

using namespace top_list_layout;

constexpr char kColumnTitles[] =
    "TUOTEKOODI    TUOTTEEN NIMITYS              M\xC4\xC4R\xC4     MYYNTI     KATE  K-%";
constexpr char kTotalsLabel[] = "YHTEENS\xC4      TOP 20 TUOTTEET";

std::string PadOrCut(const std::string& text, size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

double FieldValue(const std::string& line, int offset, int width) {
  if (line.size() <= static_cast<size_t>(offset)) return 0;
  return ParseNumberField(std::string_view(line).substr(offset, width));
}

struct Totals {
  int32_t quantity = 0;
  Currency sales;
  Currency costedSales;  // net sales of the lines whose margin is not zero
  Currency margin;

  void Add(const std::string& line) {
    quantity = RoundToInt32(quantity + FieldValue(line, kQuantityOffset, kQuantityWidth));
    const Currency line_sales =
        Currency::FromDouble(FieldValue(line, kNetSalesOffset, kNetSalesWidth));
    const double line_margin = FieldValue(line, kMarginOffset, kMarginWidth);
    sales += line_sales;
    if (line_margin != 0) costedSales += line_sales;
    margin += Currency::FromDouble(line_margin);
  }

  std::string Line() const {
    Currency percent;
    if (!costedSales.IsZero()) {
      percent = Currency::FromDouble(margin.ToDouble() / costedSales.ToDouble() * 100);
    }
    auto amount = [](Currency v, NumberPattern p) { return DecimalPoint(FormatNumber(v, p)); };
    return std::string(kTotalsLabel) + RightAlign(FormatCount(quantity), 20) +
           RightAlign(amount(sales, NumberPattern::kTwoDecimals), kNetSalesWidth) +
           RightAlign(amount(margin, NumberPattern::kTwoDecimals), kMarginWidth) +
           RightAlign(amount(percent, NumberPattern::kOneDecimal), kPercentWidth);
  }
};

}  // namespace

std::string HeadingLine(const std::string& left, const std::string& middle,
                        const std::string& right) {
  return PadOrCut(left, 30) + PadOrCut(middle, 34) + right;
}

std::string LayOutAttachment(const AttachmentHeading& heading,
                             const std::vector<std::string>& top_lines) {
  const std::string equals(kReportWidth, '=');
  const std::string dashes(kReportWidth, '-');
  std::vector<std::string> lines = {
      "", heading.title_line, heading.time_line, "", equals, kColumnTitles, equals, ""};
  Totals totals;
  for (const std::string& line : top_lines) {
    lines.push_back(line);
    totals.Add(line);
  }
  lines.insert(lines.end(), {"", dashes, totals.Line(), dashes});
  return JoinLinesCrLf(lines);
}

std::vector<std::string> WriteTop20Attachment(Env& env, const AttachmentHeading& heading) {
  SortTopList(env);
  std::vector<std::string> chosen = ReadTopListLines(env, kTopListEntries);
  DeleteWorkFile(env, kStockWorkFileName);
  DeleteWorkFile(env, kTopListFileName);
  env.WriteWholeFile(kTopListFileName, LayOutAttachment(heading, chosen));
  return chosen;
}

}  // namespace sarvilax
