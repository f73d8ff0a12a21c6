// The per-user settings store: text values addressed by application,
// section and key. Values are code page 1252 text inside the program.
#ifndef SARVILAX_CORE_SETTINGS_STORE_H_
#define SARVILAX_CORE_SETTINGS_STORE_H_

#include <memory>
#include <string>

namespace sarvilax {

class Env;

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored value, or default_value when the store, section or key is
  // missing.
  virtual std::string Read(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& default_value) = 0;
  // Stores value, keeping every other value of the store. Throws Error when
  // the store cannot be written; the old store is then left as it was.
  virtual void Write(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& value) = 0;
  // Where a person finds and edits the application's settings, for messages.
  virtual std::string Location(const std::string& application) const = 0;
};

// The store of each platform: NewIniSettingsStore on POSIX systems (its
// functions below are built there only), NewRegistrySettingsStore on Windows.

// The INI-file store: one file per application,
// <config_home>/<application>/settings.ini, UTF-8, "[Section]" headers and
// "key=value" lines (names compare without regard to letter case; ";" and
// "#" start comments). A write keeps every other line of the file as it was
// and replaces the file atomically through env.
std::unique_ptr<SettingsStore> NewIniSettingsStore(Env& env, std::string config_home);

// ${XDG_CONFIG_HOME:-$HOME/.config}, as code page 1252 text.
std::string DefaultConfigHome();

// The pure text operations of the INI store, on UTF-8 file text.
// IniLookup: the value of section/key, or nullptr-like false when absent.
bool IniLookup(const std::string& file_text, const std::string& section, const std::string& key,
               std::string* value);
// IniUpdate: file_text with section/key set to value; every other line kept
// byte for byte; the section is appended when missing.
std::string IniUpdate(const std::string& file_text, const std::string& section,
                      const std::string& key, const std::string& value);

// The Windows store: string values in the user's registry under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>,
// named by key, where the point-of-sale program keeps its own settings.
std::unique_ptr<SettingsStore> NewRegistrySettingsStore();

}  // namespace sarvilax

#endif  // SARVILAX_CORE_SETTINGS_STORE_H_
