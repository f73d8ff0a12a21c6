// The body of a report mail: a short Finnish letter with three fixed-width
// tables (volume, sales returns, stock), each comparing the period and the
// year to date with the same spans a year earlier. The weekly and monthly
// reports share the layout and differ only in the heading and the table
// headers.
#ifndef SARVILAX_REPORTS_MESSAGE_H_
#define SARVILAX_REPORTS_MESSAGE_H_

#include <array>
#include <string>
#include <vector>

#include "figures/report_figures.h"

namespace sarvilax {

inline constexpr int kReportWidth = 74;

struct MessageTexts {
  std::string heading;                       // line 4
  std::array<std::string, 3> table_headers;  // lines 6, 12 and 18, 74 characters each
};

// The 31 lines of the message, without line ends. Every line but the shop
// name's is at most 74 characters; the tables fill exactly 74.
std::vector<std::string> LayOutMessage(const ReportFigures& figures, const MessageTexts& texts,
                                       const std::string& shop_name);

}  // namespace sarvilax

#endif  // SARVILAX_REPORTS_MESSAGE_H_
