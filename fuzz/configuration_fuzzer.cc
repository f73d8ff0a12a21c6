// libFuzzer target: Sarvilax.ini and the per-user settings file.
//
// Input: five parts separated by lines "----": the text of Sarvilax.ini, the
// text of settings.ini, and a section, a key and a value to store (a missing
// part is the empty text; missing names are those the monthly run stores).
//
// Checked, besides the absence of crashes and sanitizer reports:
// - Sarvilax.ini: no value holds a line break, line 1 is the shop name,
//   lines 3 onward are the recipients, and writing the lines back gives the
//   same configuration;
// - the settings text: a value that can be stored reads back as stored; every
//   other key keeps its value; every other line, comments included, stays
//   byte for byte in its order; the store over files keeps code page 1252
//   text through the UTF-8 file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "core/cp1252.h"
#include "core/error.h"
#include "core/memory_env.h"
#include "core/settings_store.h"
#include "core/text_lines.h"

namespace sarvilax {
namespace {

constexpr std::string_view kSeparator = "\n----\n";

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> SplitParts(std::string_view input) {
  std::vector<std::string> parts;
  while (parts.size() < 4) {
    const size_t at = input.find(kSeparator);
    if (at == std::string_view::npos) break;
    parts.emplace_back(input.substr(0, at));
    input.remove_prefix(at + kSeparator.size());
  }
  parts.emplace_back(input);
  return parts;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

void CheckConfiguration(const std::string& text) {
  const Configuration configuration = ParseConfiguration(text);
  const std::vector<std::string> lines = SplitLines(text);
  Check(!HasLineBreak(configuration.shop_name));
  for (const std::string& recipient : configuration.recipients) Check(!HasLineBreak(recipient));
  Check(configuration.shop_name == (lines.empty() ? "" : lines[0]));
  Check(configuration.recipients.size() == (lines.size() > 2 ? lines.size() - 2 : 0));
  const Configuration again = ParseConfiguration(JoinLinesCrLf(lines));
  Check(again.shop_name == configuration.shop_name);
  Check(again.recipients == configuration.recipients);
}

// Blanks around names and values are no part of them; a carriage return
// counts as one.
std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == text.npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Section and key names as a person writes them: no line break, no blanks
// around them, a key without '=' that does not look like a header or a
// comment, a section without ']'. The value: one line without blanks around it.
bool IsPlainSetting(const std::string& section, const std::string& key, const std::string& value) {
  return !HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value) &&
         section.find(']') == section.npos && key.find('=') == key.npos && !key.empty() &&
         key.find_first_of("[;#") != 0 && Trimmed(section) == section && Trimmed(key) == key &&
         Trimmed(value) == value;
}

// Every (section, key) the text names, as a reader of the file sees them.
std::vector<std::pair<std::string, std::string>> NamedKeys(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> keys;
  std::string section;
  for (std::string_view line : SplitLines(text)) {
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
    if (trimmed[0] == '[') {
      const size_t close = trimmed.find(']');
      if (close != trimmed.npos) section = Trimmed(trimmed.substr(1, close - 1));
      continue;
    }
    const size_t equals = line.find('=');
    if (equals != line.npos) keys.emplace_back(section, Trimmed(line.substr(0, equals)));
  }
  return keys;
}

// The lines of text split after each '\n', the line end kept.
std::vector<std::string_view> RawLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

// A line of the old text as it stands in the new one: byte for byte, or
// the unterminated last line with a line end added.
bool SameLine(std::string_view old_line, std::string_view new_line) {
  if (old_line == new_line) return true;
  if (old_line.ends_with('\n') || !new_line.starts_with(old_line)) return false;
  const std::string_view added = new_line.substr(old_line.size());
  return added == "\n" || added == "\r\n";
}

// Either one line of before changed in place, or one or two lines were
// inserted at one place; every other line stands in after byte for byte.
void CheckOtherLinesKept(const std::string& before, const std::string& after) {
  const std::vector<std::string_view> old_lines = RawLines(before);
  const std::vector<std::string_view> new_lines = RawLines(after);
  Check(new_lines.size() >= old_lines.size() && new_lines.size() <= old_lines.size() + 2);
  const size_t inserted = new_lines.size() - old_lines.size();
  size_t first_difference = 0;
  while (first_difference < old_lines.size() &&
         SameLine(old_lines[first_difference], new_lines[first_difference])) {
    ++first_difference;
  }
  const size_t resume = first_difference + (inserted == 0 ? 1 : 0);
  for (size_t i = resume; i < old_lines.size(); ++i) {
    Check(SameLine(old_lines[i], new_lines[i + inserted]));
  }
}

void CheckIniText(const std::string& text, const std::string& section, const std::string& key,
                  const std::string& value) {
  std::string ignored;
  IniLookup(text, section, key, &ignored);
  if (!IsPlainSetting(section, key, value)) return;
  const std::string updated = IniUpdate(text, section, key, value);
  std::string read_back;
  Check(IniLookup(updated, section, key, &read_back));
  Check(read_back == value);
  for (const auto& [other_section, other_key] : NamedKeys(text)) {
    if (EqualsIgnoringAsciiCase(other_section, section) && EqualsIgnoringAsciiCase(other_key, key))
      continue;
    std::string old_value, new_value;
    const bool had = IniLookup(text, other_section, other_key, &old_value);
    Check(IniLookup(updated, other_section, other_key, &new_value) == had);
    Check(new_value == old_value);
  }
  CheckOtherLinesKept(text, updated);
  Check(IniUpdate(updated, section, key, value) == updated);
}

// The store over a file: code page 1252 in, UTF-8 on disk, the same bytes out.
void CheckStore(const std::string& file_text, const std::string& section, const std::string& key,
                const std::string& value) {
  MemoryEnv env;
  env.SetFile("/home/settings/Kvartolin Oy/settings.ini", file_text);
  std::unique_ptr<SettingsStore> store = NewIniSettingsStore(env, "/home/settings");
  store->Read("Kvartolin Oy", "Asiakas", "Datat", "");
  try {
    store->Write("Kvartolin Oy", section, key, value);
  } catch (const Error&) {
    return;  // refused: a name or value that cannot stand on one line
  }
  if (!IsPlainSetting(section, key, value)) return;
  Check(store->Read("Kvartolin Oy", section, key, "\x01missing") == value);
}

void RunOne(std::string_view input) {
  std::vector<std::string> parts = SplitParts(input);
  parts.resize(5);
  if (parts[2].empty() && parts[3].empty()) {
    parts[2] = "Tilasto";
    parts[3] = "SarvilaxKK";
  }
  CheckConfiguration(parts[0]);
  CheckIniText(parts[1], parts[2], parts[3], parts[4]);
  CheckStore(parts[1], parts[2], parts[3], parts[4]);
}

}  // namespace
}  // namespace sarvilax

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sarvilax::RunOne(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
