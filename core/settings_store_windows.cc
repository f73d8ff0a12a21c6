// The per-user settings store on Windows: the registry of the user, where
// the point-of-sale program keeps the same settings. Each value is a string
// (REG_SZ) named by its key, in the registry key
//   HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>
// Names compare without regard to letter case, as the registry does.
#include "core/settings_store.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/error.h"
#include "core/wide_text.h"

namespace sarvilax {

namespace {

constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using OpenKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::string RegistryPath(const std::string& application) {
  return "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\" + application;
}

// A backslash would step into another key, and the registry cuts a string
// value at its first NUL; neither could be read back as written.
bool Storable(const std::string& application, const std::string& section, const std::string& key,
              const std::string& value) {
  const auto holds = [](const std::string& text, std::string_view chars) {
    return text.find_first_of(chars) != std::string::npos;
  };
  return !application.empty() && !section.empty() && !holds(application, "\\") &&
         !holds(section, "\\") && !holds(key, std::string_view("\0", 1)) &&
         !holds(value, std::string_view("\0", 1));
}

class RegistrySettingsStore : public SettingsStore {
 public:
  std::string Read(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& default_value) override {
    HKEY raw_key = nullptr;
    const std::wstring path = kSettingsRoot + WideFromCp1252(application + "\\" + section);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &raw_key) !=
        ERROR_SUCCESS) {
      return default_value;
    }
    const OpenKey opened(raw_key);
    const std::wstring name = WideFromCp1252(key);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(raw_key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
      return default_value;
    }
    // The value may grow between the two calls; the second says so.
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(raw_key, name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
      return default_value;
    }
    value.resize(size / sizeof(wchar_t));
    // A string value normally ends with its NUL, but nothing enforces it.
    const size_t end = value.find(L'\0');
    if (end != std::wstring::npos) value.resize(end);
    return Cp1252FromWide(value);
  }

  void Write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override {
    const std::string where = RegistryPath(application) + "\\" + section;
    if (!Storable(application, section, key, value)) {
      Fail("cannot store setting " + key + " in " + where +
           ": a backslash in the name or a NUL in the value");
    }
    HKEY raw_key = nullptr;
    const std::wstring path = kSettingsRoot + WideFromCp1252(application + "\\" + section);
    LSTATUS status =
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &raw_key, nullptr);
    if (status != ERROR_SUCCESS) {
      Fail("cannot store setting " + key + " in " + where + ": " + WindowsErrorText(status));
    }
    const OpenKey opened(raw_key);
    const std::wstring name = WideFromCp1252(key);
    const std::wstring text = WideFromCp1252(value);
    status = RegSetValueExW(raw_key, name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) {
      Fail("cannot store setting " + key + " in " + where + ": " + WindowsErrorText(status));
    }
  }

  std::string Location(const std::string& application) const override {
    return "the registry key " + RegistryPath(application);
  }
};

}  // namespace

std::unique_ptr<SettingsStore> NewRegistrySettingsStore() {
  return std::make_unique<RegistrySettingsStore>();
}

}  // namespace sarvilax
