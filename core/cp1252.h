// Code page 1252: the single-byte text of every file and request. Text stays
// in these bytes inside the program; UTF-8 appears only at the edges (the
// window, the terminal, error messages, file names, the settings file).
#ifndef SARVILAX_CORE_CP1252_H_
#define SARVILAX_CORE_CP1252_H_

#include <string>
#include <string_view>

namespace sarvilax {

std::string Cp1252ToUtf8(std::string_view text);
// Characters with no code page 1252 byte become '?'; malformed UTF-8 bytes
// are taken as code page 1252 bytes as they are.
std::string Utf8ToCp1252(std::string_view text);

// Upper and lower case of code page 1252 letters (ä ↔ Ä, š ↔ Š, ÿ ↔ Ÿ …);
// every other byte stays as it is.
char ToUpperCp1252(char c);
char ToLowerCp1252(char c);
std::string ToUpperCp1252(std::string_view text);
std::string ToLowerCp1252(std::string_view text);

// a and b are the same but for the case of the letters A-Z, as the names of
// files and of settings compare; every other byte must be equal.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace sarvilax

#endif  // SARVILAX_CORE_CP1252_H_
