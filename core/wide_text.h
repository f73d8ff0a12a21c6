// Text at the edge of the Windows API (Windows only). Inside, the program
// holds code page 1252 bytes; the system speaks UTF-16. Conversions go
// through the program's own code page table and UTF-8, so that a name or
// value means the same on Windows as on every other system.
#ifndef SARVILAX_CORE_WIDE_TEXT_H_
#define SARVILAX_CORE_WIDE_TEXT_H_

#include <string>
#include <string_view>

namespace sarvilax {

std::wstring WideFromUtf8(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

std::wstring WideFromCp1252(std::string_view cp1252);
// Characters without a code page 1252 byte become '?'.
std::string Cp1252FromWide(std::wstring_view wide);

// The system's words for a Windows error code ("The system cannot find the
// file specified"), without the closing full stop, as code page 1252 text;
// "error N" when the system has none.
std::string WindowsErrorText(unsigned long error);

}  // namespace sarvilax

#endif  // SARVILAX_CORE_WIDE_TEXT_H_
