#include "core/error.h"

#include <cstring>

namespace sarvilax {

namespace {

// strerror_r comes in two shapes: the XSI one returns an int and fills the
// buffer, the GNU one returns the text (which may or may not be the buffer).
// Overloads pick whichever the C library declares.
[[maybe_unused]] const char* StrerrorResult(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* StrerrorResult(const char* result, const char*) { return result; }

}  // namespace

std::string ErrnoText(int error_number) {
  char buffer[256] = {};
  const char* text = StrerrorResult(strerror_r(error_number, buffer, sizeof buffer), buffer);
  if (text == nullptr || *text == '\0') return "error " + std::to_string(error_number);
  return text;
}

}  // namespace sarvilax
