// The program's code page 1252 texts made ready for a screen or a terminal:
// UTF-8, with every control character (and the five bytes the code page
// leaves open, which would become C1 controls) shown as '?', so that a
// recipient line from the configuration file cannot steer the terminal.
#ifndef SARVILAX_UI_DISPLAY_TEXT_H_
#define SARVILAX_UI_DISPLAY_TEXT_H_

#include <string>
#include <string_view>

namespace sarvilax {

// The code page 1252 text with each control or undefined byte replaced by
// '?'; one byte still stands for one character on the screen.
std::string WithoutControlBytes(std::string_view cp1252);

// One line of UTF-8: every control character becomes '?'.
std::string DisplayLine(std::string_view cp1252);

// Lines of UTF-8: CR LF, a lone CR and LF each become '\n'; every other
// control character becomes '?'.
std::string DisplayLines(std::string_view cp1252);

// What a face without a dialog writes to standard output in place of the
// message box: the title on one line, then the text, ending with '\n'.
std::string ConsoleMessage(std::string_view title, std::string_view text);

}  // namespace sarvilax

#endif  // SARVILAX_UI_DISPLAY_TEXT_H_
