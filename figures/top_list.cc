#include "figures/top_list.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "core/number_format.h"
#include "figures/pass_progress.h"

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

// Lines of a text, split as SplitLines splits them (at CR LF, a lone CR or
// a lone LF), as views into the text.
struct TextLines {
  std::vector<std::string_view> lines;
  // Every line ends with CR LF and nothing follows the last one: the text
  // is exactly its lines joined with CR LF.
  bool crlf_throughout = true;
};

// The first `most` lines of text. Each search for a line end starts where
// the last one stopped, so the split is linear in the text however its
// lines end.
TextLines LinesOf(std::string_view text, size_t most) {
  TextLines out;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  auto find = [end](const char* from, char c) {
    const void* found = std::memchr(from, c, static_cast<size_t>(end - from));
    return found == nullptr ? end : static_cast<const char*>(found);
  };
  const char* next_cr = find(begin, '\r');
  const char* next_lf = find(begin, '\n');
  const char* start = begin;
  while (start < end && out.lines.size() < most) {
    if (next_cr < start) next_cr = find(start, '\r');
    if (next_lf < start) next_lf = find(start, '\n');
    const char* line_end = std::min(next_cr, next_lf);
    out.lines.emplace_back(start, static_cast<size_t>(line_end - start));
    if (line_end == end) {
      out.crlf_throughout = false;
      break;
    }
    const bool crlf = *line_end == '\r' && line_end + 1 < end && line_end[1] == '\n';
    if (!crlf) out.crlf_throughout = false;
    start = line_end + (crlf ? 2 : 1);
  }
  return out;
}

// The first `most` bytes of Sarvilax.Txt (all of it by default), read in
// one go into a buffer of their size.
std::string ReadTopListText(Env& env, size_t most = SIZE_MAX) {
  std::unique_ptr<ReadableFile> file = env.OpenShared(kTopListFileName);
  std::string text(std::min<size_t>(most, static_cast<size_t>(file->Length())), '\0');
  text.resize(file->ReadAt(0, text.size(), text.data()));
  return text;
}

// Positions 40-74 of a line: quantity, net sales, margin and its percentage.
std::string AmountsText(const StockWorkRecord& r) {
  std::string line =
      RightAlign(FormatNumber(r.quantitySold, NumberPattern::kWhole), kQuantityWidth);
  line += RightAlign(DecimalPoint(FormatNumber(r.netSales, NumberPattern::kTwoDecimals)),
                     kNetSalesWidth);
  line +=
      RightAlign(DecimalPoint(FormatNumber(r.margin, NumberPattern::kTwoDecimals)), kMarginWidth);
  line += FormatMarginPercent(r);
  return line;
}

double NetSalesKey(std::string_view line) {
  if (line.size() <= static_cast<size_t>(kNetSalesOffset)) return 0;
  const std::string_view field = line.substr(kNetSalesOffset, kNetSalesWidth);
  // Most products sold nothing; their field reads 0 without parsing.
  static const std::string zero = RightAlign("0.00", kNetSalesWidth);
  if (field == zero) return 0;
  return ParseNumberField(field);
}

// Appends the line of record r (see FormatTopListLine) and CR LF to text.
void AppendTopListLine(const StockWorkRecord& r, std::string& text) {
  // A line break byte in a code or a name would split the line, and the
  // sort and the attachment's totals would then read its pieces.
  const auto one_line = [](char c) { return c == '\r' || c == '\n' ? ' ' : c; };
  std::transform(r.code.begin(), r.code.end(), std::back_inserter(text), one_line);
  text += ' ';
  std::transform(r.name.begin(), r.name.end(), std::back_inserter(text), one_line);
  if (r.quantitySold.IsZero() && r.netSales.IsZero() && r.margin.IsZero()) {
    // Most products sold nothing in the period; their amounts are laid out once.
    static const std::string zero_amounts = AmountsText(StockWorkRecord());
    text += zero_amounts;
  } else {
    text += AmountsText(r);
  }
  text += "\r\n";
}

// The order of lines by their keys, largest first, lines of equal keys in
// their present order (a stable sort). Most products sold nothing and have
// the key 0: only the others are sorted, the zeros keep their places
// between the positive and the negative keys.
std::vector<size_t> SortedOrder(const std::vector<double>& keys) {
  std::vector<size_t> positive, zero, negative;
  for (size_t i = 0; i < keys.size(); ++i) {
    (keys[i] > 0 ? positive : (keys[i] < 0 ? negative : zero)).push_back(i);
  }
  const auto larger = [&keys](size_t a, size_t b) { return keys[a] > keys[b]; };
  std::stable_sort(positive.begin(), positive.end(), larger);
  std::stable_sort(negative.begin(), negative.end(), larger);
  positive.insert(positive.end(), zero.begin(), zero.end());
  positive.insert(positive.end(), negative.begin(), negative.end());
  return positive;
}

// The lines in descending order of their keys, each followed by CR LF;
// nothing when that is text as it is (a list already sorted, as the
// attachment finds it).
std::optional<std::string> SortedText(std::string_view text, const TextLines& split,
                                      const std::vector<double>& keys) {
  const bool in_order =
      std::adjacent_find(keys.begin(), keys.end(), std::less<double>()) == keys.end();
  if (in_order && split.crlf_throughout) return std::nullopt;
  std::string out;
  out.reserve(text.size() + 2);
  for (size_t i : SortedOrder(keys)) {
    out += split.lines[i];
    out += "\r\n";
  }
  return out;
}

std::optional<std::string> SortedLines(std::string_view text) {
  const TextLines split = LinesOf(text, SIZE_MAX);
  std::vector<double> keys;
  keys.reserve(split.lines.size());
  for (std::string_view line : split.lines) keys.push_back(NetSalesKey(line));
  return SortedText(text, split, keys);
}

}  // namespace

std::string FormatTopListLine(const StockWorkRecord& r) {
  std::string line;
  AppendTopListLine(r, line);
  line.resize(line.size() - 2);
  return line;
}

std::vector<std::string> BuildTopList(Env& env, StockWorkFile& work_file, Window& window) {
  window.SetPhase(kSummingCaption);
  const int32_t count = work_file.CountRecords();
  const std::string_view records = work_file.Records(count);
  const size_t in_file = records.size() / stock_work_layout::kLength;
  // The records that make lines, in index order, with the value each line's
  // net sales field reads back as.
  auto record_at = [&records](size_t r) {
    return DecodeStockWorkRecord(records.data() + r * stock_work_layout::kLength);
  };
  std::vector<size_t> listed;
  std::vector<double> keys;
  // The lines of the products that sold something are laid out once, here,
  // for their keys and for the file; where each is in sold_lines, per
  // listed record (length 0 for the others).
  std::string sold_lines;
  struct Place {
    size_t at = 0;
    size_t length = 0;
  };
  std::vector<Place> sold_line;
  bool line_breaks_inside = false;  // a code or name holding CR or LF
  PassProgress progress(window, count);
  for (size_t r = 0; r < in_file; ++r) {
    const char* bytes = records.data() + r * stock_work_layout::kLength;
    const StockWorkRecord record = record_at(r);
    if (!IsBlankCode(record.code)) {
      listed.push_back(r);
      double key = 0;
      Place place;
      if (!record.netSales.IsZero()) {
        place.at = sold_lines.size();
        AppendTopListLine(record, sold_lines);
        place.length = sold_lines.size() - place.at;
        key = NetSalesKey(std::string_view(sold_lines).substr(place.at, place.length));
      }
      keys.push_back(key);
      sold_line.push_back(place);
      line_breaks_inside =
          line_breaks_inside || std::any_of(bytes, bytes + stock_work_layout::kQuantitySold,
                                            [](char c) { return c == '\r' || c == '\n'; });
    }
    progress.Done(static_cast<int64_t>(r) + 1);
  }
  // The file is written once, in its sorted order: the same file as writing
  // the lines in index order and sorting it with SortTopList, whose lines
  // are these unless a code or a name breaks one.
  std::string text;
  text.reserve(listed.size() * (kTopListLineLength + 2));
  if (line_breaks_inside) {
    for (size_t r : listed) AppendTopListLine(record_at(r), text);
    if (std::optional<std::string> sorted = SortedLines(text)) text = std::move(*sorted);
  } else {
    for (size_t i : SortedOrder(keys)) {
      if (sold_line[i].length > 0) {
        text.append(sold_lines, sold_line[i].at, sold_line[i].length);
      } else {
        AppendTopListLine(record_at(listed[i]), text);
      }
    }
  }
  env.WriteWholeFile(kTopListFileName, text);
  const std::vector<std::string_view> first = LinesOf(text, kTopListEntries).lines;
  return std::vector<std::string>(first.begin(), first.end());
}

void SortTopList(Env& env) {
  if (std::optional<std::string> sorted = SortedLines(ReadTopListText(env))) {
    env.WriteWholeFile(kTopListFileName, *sorted);
  }
}

std::vector<std::string> ReadTopListLines(Env& env, size_t count) {
  // The lines wanted are at the start of a file that holds every product:
  // read a part that holds them, and more only when it does not.
  for (size_t part = (count + 1) * (kTopListLineLength + 2);; part *= 4) {
    const std::string text = ReadTopListText(env, part);
    std::vector<std::string_view> lines = LinesOf(text, count + 1).lines;
    // The last line of a part may be cut short; one more line proves it whole.
    if (text.size() < part || lines.size() > count) {
      if (lines.size() > count) lines.resize(count);
      return std::vector<std::string>(lines.begin(), lines.end());
    }
  }
}

}  // namespace sarvilax
