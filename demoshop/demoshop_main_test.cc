// The sarvilax-demoshop program run as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/settings_store.h"
#include "tests/test_util.h"

namespace sarvilax {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::RunProcess;
using testing::TempDir;

std::vector<std::string> Command(std::vector<std::string> args) {
  args.insert(args.begin(), SARVILAX_DEMOSHOP_BINARY);
  return args;
}

TEST(DemoshopMainTest, MakesDataFolderIniAndSetting) {
  TempDir dir;
  const std::string config = dir / "config";
  const auto result =
      RunProcess(Command({"--seed", "3", "--products", "80", "--years", "1",
                          "--receipts-per-day=20", "--end-date", "2026-03-15", "--shop-name",
                          "Kioski \xC3\x96kyl\xC3\xA4", "--recipient", "a@example.com",
                          "--recipient", "b@example.com", "--config-home", config, "shop"}),
                 dir.path());
  ASSERT_EQ(0, result.exit_status) << result.err;
  EXPECT_EQ("", result.err);
  EXPECT_EQ(1, std::count(result.out.begin(), result.out.end(), '\n')) << result.out;
  EXPECT_NE(std::string::npos, result.out.find("80 products")) << result.out;
  EXPECT_NE(std::string::npos, result.out.find("from 2025-03-16 to 2026-03-15")) << result.out;

  const std::string shop = std::filesystem::canonical(dir / "shop").string();
  EXPECT_EQ("Kioski \xD6kyl\xE4\r\nsarvilax-demoshop\r\na@example.com\r\nb@example.com\r\n",
            ReadFile(shop + "/Sarvilax.ini"));
  std::string data_folder;
  ASSERT_TRUE(
      IniLookup(ReadFile(config + "/Kvartolin Oy/settings.ini"), "Asiakas", "Datat", &data_folder));
  EXPECT_EQ(shop + "/data/", data_folder);
  for (const char* name : {"VARNU.001", "VARNU.002", "VARNU.004"}) {
    EXPECT_TRUE(Exists(data_folder + name)) << name;
  }
  EXPECT_EQ(0u, ReadFile(data_folder + "VARNU.004").size() % 104);
}

TEST(DemoshopMainTest, DefaultsGiveARecipientAndTodaysShop) {
  TempDir dir;
  const auto result =
      RunProcess(Command({"--products", "20", "--years", "1", "--receipts-per-day", "5", "shop"}),
                 dir.path(), {"XDG_CONFIG_HOME=" + dir.path() + "/xdg"});
  ASSERT_EQ(0, result.exit_status) << result.err;
  EXPECT_EQ("Kauppa & Kahvila M\xE4kinen\r\nsarvilax-demoshop\r\nkauppias@example.com\r\n",
            ReadFile(dir / "shop/Sarvilax.ini"));
  EXPECT_TRUE(Exists(dir / "xdg/Kvartolin Oy/settings.ini"));
}

TEST(DemoshopMainTest, BadCommandLinesFailWithOneLineAndWriteNothing) {
  const std::vector<std::vector<std::string>> bad = {
      {"--products", "many", "shop"},
      {"--products", "0", "shop"},
      {"--end-date", "2026-02-30", "shop"},
      {"--end-date", "15.3.2026", "shop"},
      {"--colour", "red", "shop"},
      {"--shop-name", "Kauppa \xC5\x91", "shop"},  // a letter code page 1252 lacks
      {"--recipient", "a@example.com\nb@example.com", "shop"},
      {"--years"},
      {"one", "two"},
      {},
  };
  for (const auto& args : bad) {
    TempDir dir;
    const auto result =
        RunProcess(Command(args), dir.path(), {"XDG_CONFIG_HOME=" + dir.path() + "/xdg"});
    EXPECT_EQ(1, result.exit_status) << args.size();
    EXPECT_EQ(1, std::count(result.err.begin(), result.err.end(), '\n')) << result.err;
    EXPECT_EQ(0u, result.err.find("sarvilax-demoshop: ")) << result.err;
    EXPECT_FALSE(Exists(dir / "shop/data/VARNU.004")) << result.err;
    EXPECT_FALSE(Exists(dir / "shop/Sarvilax.ini")) << result.err;
    EXPECT_FALSE(Exists(dir / "xdg")) << result.err;
  }
  TempDir dir;
  const auto help = RunProcess(Command({"--help"}), dir.path());
  EXPECT_EQ(0, help.exit_status);
  EXPECT_NE(std::string::npos, help.out.find("--receipts-per-day")) << help.out;
}

}  // namespace
}  // namespace sarvilax
