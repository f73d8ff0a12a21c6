#include "core/settings_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1252.h"
#include "core/env.h"
#include "core/error.h"

namespace sarvilax {

namespace {

// One line of the file: its text and its line end ("\n", "\r\n" or none for
// an unterminated last line).
struct IniLine {
  std::string_view text;
  std::string_view end;
};

std::vector<IniLine> SplitLines(std::string_view file_text) {
  std::vector<IniLine> lines;
  while (!file_text.empty()) {
    const size_t newline = file_text.find('\n');
    const std::string_view line =
        file_text.substr(0, newline == std::string_view::npos ? newline : newline + 1);
    const size_t end_length = line.ends_with("\r\n") ? 2 : line.ends_with('\n') ? 1 : 0;
    lines.push_back(
        {line.substr(0, line.size() - end_length), line.substr(line.size() - end_length)});
    file_text.remove_prefix(line.size());
  }
  return lines;
}

// A carriage return counts as a blank: the last line of a file may end in a
// lone CR that is no part of its value, and stays so when a line is added
// after it (which then ends it with a line end).
std::string_view TrimBlanks(std::string_view text) {
  constexpr char kBlanks[] = " \t\r";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

enum class LineKind { kBlank, kComment, kSection, kKey, kOther };

// What a line is; for a section header its name, for a key line its key and
// its value.
struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;
  std::string_view value;
};

ParsedLine ParseLine(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  if (trimmed.empty()) return {LineKind::kBlank, {}, {}};
  if (trimmed[0] == ';' || trimmed[0] == '#') return {LineKind::kComment, {}, {}};
  if (trimmed[0] == '[') {
    const size_t close = trimmed.find(']');
    if (close == std::string_view::npos) return {LineKind::kOther, {}, {}};
    return {LineKind::kSection, TrimBlanks(trimmed.substr(1, close - 1)), {}};
  }
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {LineKind::kOther, {}, {}};
  return {LineKind::kKey, TrimBlanks(text.substr(0, equals)), TrimBlanks(text.substr(equals + 1))};
}

// Where section/key stands in the file. Lines before the first header belong
// to the section with the empty name.
struct KeyPlace {
  bool section_found = false;
  size_t section_end = 0;  // after the last non-blank line of the first such section
  bool key_found = false;
  size_t key_line = 0;  // the first line of the key
  std::string_view value;
};

KeyPlace FindKey(const std::vector<IniLine>& lines, std::string_view section,
                 std::string_view key) {
  KeyPlace place;
  bool in_section = section.empty();
  bool in_first_section = in_section;
  place.section_found = in_section;
  for (size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine line = ParseLine(lines[i].text);
    if (line.kind == LineKind::kSection) {
      in_section = EqualsIgnoringAsciiCase(line.name, section);
      in_first_section = in_section && !place.section_found;
      if (in_first_section) place.section_found = true;
    }
    if (in_first_section && line.kind != LineKind::kBlank) place.section_end = i + 1;
    if (in_section && line.kind == LineKind::kKey && EqualsIgnoringAsciiCase(line.name, key)) {
      place.key_found = true;
      place.key_line = i;
      place.value = line.value;
      return place;
    }
  }
  return place;
}

// The line end new lines get: the file's own, LF for a file without one.
std::string_view LineEndOf(const std::vector<IniLine>& lines) {
  for (const IniLine& line : lines) {
    if (!line.end.empty()) return line.end;
  }
  return "\n";
}

// Whether section/key=value can be written so that it reads back the same:
// each stands on one line, and the key must not look like a header, a
// comment or hold the '='.
bool Storable(const std::string& section, const std::string& key, const std::string& value) {
  const auto holds = [](const std::string& text, const char* chars) {
    return text.find_first_of(chars) != std::string::npos;
  };
  const std::string_view name = TrimBlanks(key);
  return !holds(section, "]\r\n") && !holds(key, "=\r\n") && !holds(value, "\r\n") &&
         !name.empty() && name.find_first_of("[;#") != 0;
}

class IniSettingsStore : public SettingsStore {
 public:
  IniSettingsStore(Env& env, std::string config_home)
      : env_(env), config_home_(std::move(config_home)) {}

  std::string Read(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& default_value) override {
    const std::string path = PathOf(application);
    if (!env_.FileExists(path)) return default_value;
    std::string value;
    if (!IniLookup(env_.ReadWholeFile(path), Cp1252ToUtf8(section), Cp1252ToUtf8(key), &value)) {
      return default_value;
    }
    return Utf8ToCp1252(value);
  }

  void Write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override {
    const std::string path = PathOf(application);
    if (!Storable(section, key, value)) {
      Fail("cannot store setting " + section + "/" + key + " in " + path +
           ": a line break or a reserved character in the name or value");
    }
    const std::string old_text = env_.FileExists(path) ? env_.ReadWholeFile(path) : "";
    env_.ReplaceFileAtomically(
        path, IniUpdate(old_text, Cp1252ToUtf8(section), Cp1252ToUtf8(key), Cp1252ToUtf8(value)));
  }

  std::string Location(const std::string& application) const override {
    return PathOf(application);
  }

 private:
  std::string PathOf(const std::string& application) const {
    return config_home_ + "/" + application + "/settings.ini";
  }

  Env& env_;
  std::string config_home_;
};

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  // Started without HOME (from a scheduler, say): the password database knows.
  const passwd* entry = getpwuid(getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

}  // namespace

bool IniLookup(const std::string& file_text, const std::string& section, const std::string& key,
               std::string* value) {
  const KeyPlace place = FindKey(SplitLines(file_text), section, key);
  if (!place.key_found) return false;
  value->assign(place.value);
  return true;
}

std::string IniUpdate(const std::string& file_text, const std::string& section,
                      const std::string& key, const std::string& value) {
  std::vector<IniLine> lines = SplitLines(file_text);
  const KeyPlace place = FindKey(lines, section, key);
  const std::string_view line_end = LineEndOf(lines);
  std::string changed_line;
  const std::string header = "[" + section + "]";
  if (place.key_found) {
    // The key keeps its spelling and indentation; only the value changes.
    const std::string_view text = lines[place.key_line].text;
    changed_line = std::string(text.substr(0, text.find('=') + 1)) + value;
    lines[place.key_line].text = changed_line;
  } else {
    changed_line = key + "=" + value;
    size_t at = place.section_found ? place.section_end : lines.size();
    // An unterminated line gets a line end when something follows it.
    if (at > 0 && lines[at - 1].end.empty()) lines[at - 1].end = line_end;
    if (!place.section_found) lines.insert(lines.begin() + at++, {header, line_end});
    lines.insert(lines.begin() + at, {changed_line, line_end});
  }
  std::string out;
  for (const IniLine& line : lines) {
    out.append(line.text);
    out.append(line.end);
  }
  return out;
}

std::unique_ptr<SettingsStore> NewIniSettingsStore(Env& env, std::string config_home) {
  return std::make_unique<IniSettingsStore>(env, std::move(config_home));
}

std::string DefaultConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid and ignored, as every XDG program does.
  if (xdg != nullptr && xdg[0] == '/') return Utf8ToCp1252(xdg);
  return Utf8ToCp1252(HomeFolder() + "/.config");
}

}  // namespace sarvilax
