// Line splitting of the program's text files.
#ifndef SARVILAX_CORE_TEXT_LINES_H_
#define SARVILAX_CORE_TEXT_LINES_H_

#include <string>
#include <string_view>
#include <vector>

namespace sarvilax {

// Splits text at CR LF, a lone CR or a lone LF; the terminators are not part
// of the lines. A last line without a terminator is kept; an empty text has
// no lines, and a final terminator does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

// Each line followed by CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace sarvilax

#endif  // SARVILAX_CORE_TEXT_LINES_H_
