// Windows: data files are not mapped; the searches read them.
#include "posdata/file_mapping.h"

namespace sarvilax {

std::unique_ptr<FileMapping> FileMapping::Open(const std::string&) { return nullptr; }

FileMapping::~FileMapping() = default;

void FileMapping::Unmap() {}

bool FileMapping::Cover(int64_t) { return false; }

bool FileMapping::RunGuardedCall(void (*call)(void*), void* context) {
  call(context);
  return true;
}

}  // namespace sarvilax
