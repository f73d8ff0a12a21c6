// Sarvilax.Txt: one fixed-width TopListLine per product, sorted by net
// sales, largest first. The Top-20 attachment is cut from it.
#ifndef SARVILAX_FIGURES_TOP_LIST_H_
#define SARVILAX_FIGURES_TOP_LIST_H_

#include <string>
#include <string_view>
#include <vector>

#include "core/env.h"
#include "figures/stock_work_file.h"
#include "ui/window.h"

namespace sarvilax {

// The Top-20 work file and, after the attachment has replaced it, the
// attachment itself: one name for both, on any file system.
inline constexpr char kTopListFileName[] = "Sarvilax.Txt";
inline constexpr char kSummingCaption[] = "Summataan luvut";
inline constexpr int kTopListLineLength = 74;
inline constexpr int kTopListEntries = 20;

// Positions (0-based offset, width) of the fields of a TopListLine.
namespace top_list_layout {
inline constexpr int kQuantityOffset = 39, kQuantityWidth = 10;
inline constexpr int kNetSalesOffset = 49, kNetSalesWidth = 11;
inline constexpr int kMarginOffset = 60, kMarginWidth = 9;
inline constexpr int kPercentWidth = 5;
}  // namespace top_list_layout

// code, space, name, quantity "0" in 10, net sales "0.00" in 11, margin
// "0.00" in 9, margin percentage "0.0" in 5: 74 characters, no line end.
std::string FormatTopListLine(const StockWorkRecord& record);

// Writes Sarvilax.Txt from the work file (products with a blank code are
// left out), sorts it, and returns its first 20 lines. Throws Error when
// the file cannot be written or read.
std::vector<std::string> BuildTopList(Env& env, StockWorkFile& work_file, Window& window);

// Sorts Sarvilax.Txt in place by the numeric value of each line's net sales
// (positions 50-60), largest first; lines of equal value keep their order,
// so the same data always gives the same Top-20.
void SortTopList(Env& env);

// The first count lines of Sarvilax.Txt, without their line ends.
std::vector<std::string> ReadTopListLines(Env& env, size_t count);

}  // namespace sarvilax

#endif  // SARVILAX_FIGURES_TOP_LIST_H_
