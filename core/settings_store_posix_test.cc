#include "core/settings_store.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/env.h"
#include "core/error.h"
#include "gtest/gtest.h"

namespace sarvilax {
namespace {

std::string Lookup(const std::string& text, const std::string& section, const std::string& key) {
  std::string value;
  return IniLookup(text, section, key, &value) ? value : "<absent>";
}

TEST(IniTextTest, LookupReadsNamesWithoutRegardToCase) {
  const std::string text =
      "; Datat=commented\r\n"
      "[asiakas]\r\n"
      "# Datat=also commented\r\n"
      "  DATAT =  /srv/kassa/data/  \r\n"
      "datat=second\r\n"
      "Osoite=a=b\r\n"
      "[Tilasto]\n"
      "Empty=\n"
      "Last=no line end";
  EXPECT_EQ(Lookup(text, "Asiakas", "Datat"), "/srv/kassa/data/");
  EXPECT_EQ(Lookup(text, "ASIAKAS", "osoite"), "a=b");
  EXPECT_EQ(Lookup(text, "Tilasto", "Empty"), "");
  EXPECT_EQ(Lookup(text, "Tilasto", "Last"), "no line end");
  EXPECT_EQ(Lookup(text, "Tilasto", "Datat"), "<absent>");
  EXPECT_EQ(Lookup(text, "Muu", "Datat"), "<absent>");
  EXPECT_EQ(Lookup("", "Asiakas", "Datat"), "<absent>");
}

TEST(IniTextTest, UpdateKeepsEveryOtherLineByteForByte) {
  const std::string text =
      "; kept\r\n"
      "[Asiakas]\r\n"
      "  Datat = old \r\n"
      "Datat=duplicate\r\n"
      "\r\n"
      "[Tilasto]\r\n"
      "Muu=1\r\n"
      "\r\n";
  // An existing key: its line changes, its spelling stays; the first of two counts.
  EXPECT_EQ(IniUpdate(text, "asiakas", "DATAT", "/new/"),
            "; kept\r\n[Asiakas]\r\n  Datat =/new/\r\nDatat=duplicate\r\n\r\n"
            "[Tilasto]\r\nMuu=1\r\n\r\n");
  // A new key goes after the last non-blank line of its section, with the file's line end.
  EXPECT_EQ(IniUpdate(text, "Asiakas", "Uusi", "x"),
            "; kept\r\n[Asiakas]\r\n  Datat = old \r\nDatat=duplicate\r\nUusi=x\r\n\r\n"
            "[Tilasto]\r\nMuu=1\r\n\r\n");
  EXPECT_EQ(IniUpdate(text, "Tilasto", "SarvilaxKK", "2026-11-30"),
            "; kept\r\n[Asiakas]\r\n  Datat = old \r\nDatat=duplicate\r\n\r\n"
            "[Tilasto]\r\nMuu=1\r\nSarvilaxKK=2026-11-30\r\n\r\n");
  // A missing section is appended; an unterminated last line is ended first.
  EXPECT_EQ(IniUpdate("[A]\nk=1", "B", "k", "2"), "[A]\nk=1\n[B]\nk=2\n");
  EXPECT_EQ(IniUpdate("[A]\nk=1", "A", "j", "2"), "[A]\nk=1\nj=2\n");
  EXPECT_EQ(IniUpdate("", "Tilasto", "SarvilaxKK", "2026-11-30"),
            "[Tilasto]\nSarvilaxKK=2026-11-30\n");
  // What was written reads back.
  const std::string updated = IniUpdate(text, "Tilasto", "Avain", "a = b");
  EXPECT_EQ(Lookup(updated, "Tilasto", "Avain"), "a = b");
  EXPECT_EQ(Lookup(updated, "Asiakas", "Datat"), "old");
}

// Found by fuzzing: a last line ending in a lone CR kept the CR in its
// value until a line was added after it, which then read without it.
TEST(IniTextTest, ALoneCarriageReturnEndingTheFileIsNoPartOfTheValue) {
  const std::string text = "[Asiakas]\nDatat=/srv/kassa/\r";
  EXPECT_EQ(Lookup(text, "Asiakas", "Datat"), "/srv/kassa/");
  const std::string updated = IniUpdate(text, "Tilasto", "SarvilaxKK", "2026-11-30");
  EXPECT_EQ(updated, "[Asiakas]\nDatat=/srv/kassa/\r\n[Tilasto]\nSarvilaxKK=2026-11-30\n");
  EXPECT_EQ(Lookup(updated, "Asiakas", "Datat"), "/srv/kassa/");
}

// A scratch folder removed at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "sarvilax-XXXXXX").string();
    path_ = mkdtemp(name.data());
  }
  ~ScratchFolder() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

TEST(IniSettingsStoreTest, WritesKeepOtherValuesAndConvertText) {
  ScratchFolder scratch;
  const std::string home = scratch.path() + "/config";
  auto store = NewIniSettingsStore(DefaultEnv(), home);
  EXPECT_EQ(store->Read("Kvartolin Oy", "Asiakas", "Datat", "default"), "default");

  store->Write("Kvartolin Oy", "Asiakas", "Datat", "/srv/k\xE4ssa/");
  store->Write("Kvartolin Oy", "Tilasto", "SarvilaxKK", "2026-11-30");
  store->Write("Kvartolin Oy", "asiakas", "DATAT", "/srv/p\xE4\xE4/");
  const std::string file = home + "/Kvartolin Oy/settings.ini";
  EXPECT_EQ(ReadFile(file),
            "[Asiakas]\nDatat=/srv/p\xC3\xA4\xC3\xA4/\n[Tilasto]\nSarvilaxKK=2026-11-30\n");
  EXPECT_EQ(store->Read("Kvartolin Oy", "Asiakas", "Datat", ""), "/srv/p\xE4\xE4/");
  EXPECT_EQ(store->Read("Kvartolin Oy", "Tilasto", "SarvilaxKK", ""), "2026-11-30");
  EXPECT_EQ(store->Read("Kvartolin Oy", "Tilasto", "Muu", "default"), "default");

  // A value that would break the file apart is refused, and nothing changes.
  EXPECT_THROW(store->Write("Kvartolin Oy", "Asiakas", "Datat", "a\r\nb=c"), Error);
  EXPECT_EQ(store->Read("Kvartolin Oy", "Asiakas", "Datat", ""), "/srv/p\xE4\xE4/");
}

TEST(IniSettingsStoreTest, FailedWriteLeavesTheOldFile) {
  ScratchFolder scratch;
  auto store = NewIniSettingsStore(DefaultEnv(), scratch.path());
  store->Write("Kvartolin Oy", "Tilasto", "SarvilaxKK", "2026-10-31");
  const std::string file = scratch.path() + "/Kvartolin Oy/settings.ini";
  const std::string before = ReadFile(file);

  // A file size limit makes the write fail as a full disk would.
  rlimit old_limit;
  getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit small_limit = old_limit;
  small_limit.rlim_cur = 16;
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small_limit);
  EXPECT_THROW(store->Write("Kvartolin Oy", "Tilasto", "SarvilaxKK", "2026-11-30"), Error);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);

  EXPECT_EQ(ReadFile(file), before);
  EXPECT_EQ(DefaultEnv().ListDirectory(scratch.path() + "/Kvartolin Oy"),
            std::vector<std::string>{"settings.ini"});

  // No folder can be made under a plain file.
  auto blocked = NewIniSettingsStore(DefaultEnv(), file);
  try {
    blocked->Write("Kvartolin Oy", "Tilasto", "SarvilaxKK", "2026-11-30");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("settings.ini/Kvartolin Oy/settings.ini"),
              std::string::npos)
        << error.what();
  }
  EXPECT_EQ(ReadFile(file), before);
}

}  // namespace
}  // namespace sarvilax
