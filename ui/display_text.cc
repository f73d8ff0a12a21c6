#include "ui/display_text.h"

#include "core/cp1252.h"

namespace sarvilax {

namespace {

bool IsControlOrUndefined(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
         byte == 0x90 || byte == 0x9D;
}

}  // namespace

std::string WithoutControlBytes(std::string_view cp1252) {
  std::string clean(cp1252);
  for (char& c : clean) {
    if (IsControlOrUndefined(static_cast<unsigned char>(c))) c = '?';
  }
  return clean;
}

std::string DisplayLine(std::string_view cp1252) {
  return Cp1252ToUtf8(WithoutControlBytes(cp1252));
}

std::string DisplayLines(std::string_view cp1252) {
  std::string lines;
  lines.reserve(cp1252.size());
  for (size_t i = 0; i < cp1252.size(); ++i) {
    const char c = cp1252[i];
    if (c == '\r') {
      lines += '\n';
      if (i + 1 < cp1252.size() && cp1252[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      lines += '\n';
    } else {
      lines += IsControlOrUndefined(static_cast<unsigned char>(c)) ? '?' : c;
    }
  }
  return Cp1252ToUtf8(lines);
}

std::string ConsoleMessage(std::string_view title, std::string_view text) {
  return DisplayLine(title) + "\n" + DisplayLines(text) + "\n";
}

}  // namespace sarvilax
