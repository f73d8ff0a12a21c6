// What a hostile working folder or environment cannot make the program do:
// write through a link planted at a work file's name, or send a report
// unencrypted across a network.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/fault_harness.h"

namespace sarvilax {
namespace {

using testing::EndedWithOneClearLine;
using testing::HttpsTestServer;
using testing::ProcessResult;
using testing::ReadFile;
using testing::TestShop;
using testing::WriteFile;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class SecurityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing (scripts/install-deps)";
    shop_ = std::make_unique<TestShop>();
    std::filesystem::create_directory(victims());
  }

  std::string victims() const { return shop_->folder() + "/victims"; }
  std::string Work(const std::string& name) const { return shop_->work() + "/" + name; }

  HttpsTestServer relay_;
  std::unique_ptr<TestShop> shop_;
};

TEST_F(SecurityTest, LinksPlantedAtWorkFileNamesNeverRedirectAWrite) {
  const std::string contents = "a file of someone else\n";
  for (const char* name : {"Sarvilax.Dat", "Sarvilax.Txt", "Sarvilax.Tmp"}) {
    const std::string victim = victims() + "/" + name;
    WriteFile(victim, contents);
    std::filesystem::create_symlink(victim, Work(name));
  }
  // A link to where nothing is yet must not create the file there.
  std::filesystem::remove(victims() + "/Sarvilax.Tmp");
  const ProcessResult run = shop_->Run(relay_);
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(relay_.requests().size(), 2u);
  EXPECT_EQ(ReadFile(victims() + "/Sarvilax.Dat"), contents);
  EXPECT_EQ(ReadFile(victims() + "/Sarvilax.Txt"), contents);
  EXPECT_FALSE(testing::Exists(victims() + "/Sarvilax.Tmp"));
  for (const char* name : {"Sarvilax.Dat", "Sarvilax.Txt", "Sarvilax.Tmp"}) {
    EXPECT_FALSE(std::filesystem::is_symlink(Work(name))) << name;
  }

  // A hard link shares the file itself; the work file is made anew beside it.
  const std::string victim = victims() + "/body";
  WriteFile(victim, contents);
  std::filesystem::create_hard_link(victim, Work("Sarvilax.Tmp"));
  ASSERT_EQ(shop_->Run(relay_).exit_status, 0);
  EXPECT_EQ(ReadFile(victim), contents);
}

TEST_F(SecurityTest, ALinkPlantedAtTheLockEndsTheRunBeforeAnything) {
  const std::string victim = victims() + "/lock";
  WriteFile(victim, "x");
  std::filesystem::create_symlink(victim, Work("Sarvilax.lck"));
  const ProcessResult run = shop_->Run(relay_);
  EXPECT_TRUE(EndedWithOneClearLine(run));
  EXPECT_TRUE(Contains(run.err, "Sarvilax.lck")) << run.err;
  EXPECT_TRUE(relay_.requests().empty());
  EXPECT_EQ(ReadFile(victim), "x");
}

TEST_F(SecurityTest, PlainHttpIsRefusedUnlessTheRelayIsOnThisMachine) {
  for (const char* url : {"http://192.0.2.10", "http://relay.example.com", "HTTP://10.0.0.1:8080",
                          "http://127.0.0.1.example.com", "http://localhost@192.0.2.10",
                          "http://[::ffff:192.0.2.1]", "ftp://127.0.0.1", "relay.example.com"}) {
    const ProcessResult run = shop_->RunWithRelay(url, relay_.certificate_file());
    EXPECT_TRUE(EndedWithOneClearLine(run)) << url;
    EXPECT_TRUE(Contains(run.err, "SARVILAX_RELAY_URL")) << url << ": " << run.err;
  }
  // The same relay over https is used.
  EXPECT_EQ(shop_->Run(relay_).exit_status, 0);
  EXPECT_EQ(relay_.requests().size(), 2u);
}

// Recipients and the shop name become request fields and nothing else: no
// shell sees them, and a preview names its files after them only inside its
// own folder.
TEST_F(SecurityTest, ConfigurationTextNeverReachesAShellOrAPathElsewhere) {
  const std::string preview = shop_->folder() + "/preview";
  std::filesystem::create_directory(preview);
  WriteFile(Work("Sarvilax.ini"),
            "$(touch ../pwned-name)`touch ../pwned-name2`\r\n\r\n"
            "../../victims/escaped\r\n/tmp/absolute;touch ../pwned-address\r\n"
            "..\r\n|touch ../pwned-pipe\r\n");
  const ProcessResult run = shop_->RunWithRelay("file://" + preview, "");
  ASSERT_EQ(run.exit_status, 0) << run.err;
  size_t previews = 0;
  for (const auto& entry : std::filesystem::directory_iterator(preview)) {
    EXPECT_TRUE(entry.is_regular_file()) << entry.path();
    ++previews;
  }
  EXPECT_EQ(previews, 4u);  // one file per recipient, in the preview folder only
  EXPECT_TRUE(std::filesystem::is_empty(victims()));
  // A shell would have run the commands in the working folder.
  for (const std::string& folder : {shop_->folder(), shop_->work()}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      EXPECT_FALSE(Contains(entry.path().filename().string(), "pwned")) << entry.path();
    }
  }
}

}  // namespace
}  // namespace sarvilax
