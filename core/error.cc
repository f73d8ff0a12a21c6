#include "core/error.h"

#include <system_error>

namespace sarvilax {

std::string ErrnoText(int error_number) {
  // The C library's description of the code, as strerror gives it.
  std::string text = std::generic_category().message(error_number);
  if (text.empty()) return "error " + std::to_string(error_number);
  return text;
}

}  // namespace sarvilax
