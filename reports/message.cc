#include "reports/message.h"

#include <functional>

#include "core/number_format.h"

namespace sarvilax {
namespace {

using Pattern = NumberPattern;
constexpr Pattern kWhole = Pattern::kWhole;
constexpr Pattern kCents = Pattern::kTwoDecimals;

// One row of a table: a label, then per column a value field and a unit, on
// the grid where the value fields end at 25, 40, 55, 70 and the units at
// 29, 44, 59, 74.
struct FigureRow {
  const char* label;  // 14 characters, or 15 with a first field one narrower
  const char* unit;   // 4 characters
  std::array<std::string, kColumns> values;
};

std::string LayOutRow(const FigureRow& row) {
  std::string line = row.label;
  const size_t first_width = 25 - line.size();
  for (int c = 0; c < kColumns; ++c) {
    line += RightAlign(row.values[c], c == 0 ? first_width : 11);
    line += row.unit;
  }
  return line;
}

std::string Amount(Currency value, Pattern pattern) {
  return DecimalPoint(FormatNumber(value, pattern));
}

// Weekly columns show cents, cumulative columns whole euros.
std::array<std::string, kColumns> Amounts(const std::array<Currency, kColumns>& v) {
  return {Amount(v[0], kCents), Amount(v[1], kCents), Amount(v[2], kWhole), Amount(v[3], kWhole)};
}

template <typename Field>
std::array<Currency, kColumns> PerColumn(const ReportFigures& f, Field field) {
  std::array<Currency, kColumns> values;
  for (int c = 0; c < kColumns; ++c) values[c] = std::invoke(field, f.periods[c]);
  return values;
}

template <typename T, typename Format>
std::array<std::string, kColumns> EachColumn(const std::array<T, kColumns>& v, Format format) {
  return {format(v[0]), format(v[1]), format(v[2]), format(v[3])};
}

std::vector<FigureRow> VolumeRows(const ReportFigures& f) {
  std::array<int32_t, kColumns> customers, rows;
  for (int c = 0; c < kColumns; ++c) {
    customers[c] = f.periods[c].customers;
    rows[c] = f.periods[c].salesRows;
  }
  auto count = [](int32_t v) { return FormatCount(v); };
  auto cents = [](Currency v) { return Amount(v, kCents); };
  return {{"- Asiakkaita  ", " kpl", EachColumn(customers, count)},
          {"- Myyntirivej\xE4", " kpl", EachColumn(rows, count)},
          {"- Keskiostos  ", " eur", EachColumn(f.averagePurchase, cents)}};
}

std::vector<FigureRow> SalesRows(const ReportFigures& f) {
  auto percent = [](Currency v) { return Amount(v, Pattern::kOneDecimal); };
  return {{"- Tuotemyynti ", " eur", Amounts(PerColumn(f, &PeriodFigures::netSales))},
          {"- Katetuotto  ", " eur", Amounts(PerColumn(f, &PeriodFigures::margin))},
          {"- Kateprosentti", " %  ", EachColumn(f.marginPercent, percent)}};
}

// The stock has no cumulative figure of its own: columns 3 and 4 repeat
// columns 1 and 2.
std::vector<FigureRow> StockRows(const ReportFigures& f) {
  const StockFigures& s = f.stock;
  const std::array<int32_t, kColumns> products = {s.stockedProducts, s.stockedProductsYearAgo,
                                                  s.stockedProducts, s.stockedProductsYearAgo};
  const std::array<Currency, kColumns> value = {s.stockValue, s.stockValueYearAgo, s.stockValue,
                                                s.stockValueYearAgo};
  auto count = [](int32_t v) { return FormatCount(v); };
  return {{"- Tuotteita   ", " kpl", EachColumn(products, count)},
          {"- P\xE4\xE4oma      ", " eur", Amounts(value)},
          {"- Kiertoaika  ", " pv ", EachColumn(f.turnoverDays, count)}};
}

void AddTable(std::vector<std::string>& lines, const std::string& header,
              const std::vector<FigureRow>& rows) {
  lines.push_back(header);
  lines.push_back(std::string(kReportWidth, '-'));
  for (const FigureRow& row : rows) lines.push_back(LayOutRow(row));
  lines.emplace_back();
}

}  // namespace

std::vector<std::string> LayOutMessage(const ReportFigures& figures, const MessageTexts& texts,
                                       const std::string& shop_name) {
  std::vector<std::string> lines = {"", "Hei,", "", texts.heading, ""};
  AddTable(lines, texts.table_headers[0], VolumeRows(figures));
  AddTable(lines, texts.table_headers[1], SalesRows(figures));
  AddTable(lines, texts.table_headers[2], StockRows(figures));
  const char* closing[] = {
      "Liitteen\xE4 on top 20 myynti tuotteittain.", "", "Terveisin", "", "Zorvik", ""};
  lines.insert(lines.end(), std::begin(closing), std::end(closing));
  lines.push_back(shop_name);
  lines.emplace_back();
  return lines;
}

}  // namespace sarvilax
