#include "core/env.h"

namespace sarvilax {

std::string ReadToEnd(ReadableFile& file) {
  std::string contents;
  char buffer[65536];
  while (const size_t got =
             file.ReadAt(static_cast<int64_t>(contents.size()), sizeof buffer, buffer)) {
    contents.append(buffer, got);
  }
  return contents;
}

}  // namespace sarvilax
