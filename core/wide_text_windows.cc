#include "core/wide_text.h"

#include <windows.h>

#include <string>
#include <string_view>

#include "core/cp1252.h"

namespace sarvilax {

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::wstring WideFromCp1252(std::string_view cp1252) { return WideFromUtf8(Cp1252ToUtf8(cp1252)); }

std::string Cp1252FromWide(std::wstring_view wide) { return Utf8ToCp1252(Utf8FromWide(wide)); }

std::string WindowsErrorText(unsigned long error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'.' || text.back() == L' ' || text.back() == L'\r' ||
                           text.back() == L'\n')) {
    text.pop_back();
  }
  if (text.empty()) return "error " + std::to_string(error);
  return Cp1252FromWide(text);
}

}  // namespace sarvilax
