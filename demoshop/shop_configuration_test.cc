#include "demoshop/shop_configuration.h"

#include <gtest/gtest.h>

#include "core/memory_env.h"
#include "core/settings_store.h"

namespace sarvilax {
namespace {

ShopConfiguration Configuration() {
  ShopConfiguration configuration;
  configuration.working_dir = "/shop";
  configuration.data_dir = "/shop/data";
  configuration.config_home = "/home/k/.config";
  configuration.recipients = {"kauppias@example.com", "", " kirjanpito@example.com"};
  return configuration;
}

TEST(ShopConfigurationTest, IniHasNameFreeLineAndRecipientsWithCrLf) {
  EXPECT_EQ(
      "Kauppa & Kahvila M\xE4kinen\r\nsarvilax-demoshop\r\nkauppias@example.com\r\n\r\n"
      " kirjanpito@example.com\r\n",
      ConfigurationFileText(Configuration()));
  ShopConfiguration no_recipients = Configuration();
  no_recipients.recipients.clear();
  no_recipients.shop_name = "Ty\xF6kalu";
  EXPECT_EQ("Ty\xF6kalu\r\nsarvilax-demoshop\r\n", ConfigurationFileText(no_recipients));
}

TEST(ShopConfigurationTest, WritesIniAndDataFolderKeepingOtherSettings) {
  MemoryEnv env;
  const std::string settings_path = "/home/k/.config/Kvartolin Oy/settings.ini";
  env.SetFile(settings_path, "[Tilasto]\nSarvilaxKK=2026-02-28\n[Asiakas]\nDatat=/old/\n");
  WriteShopConfiguration(env, Configuration());
  EXPECT_EQ(ConfigurationFileText(Configuration()), env.File("/shop/Sarvilax.ini"));
  const std::string settings = env.File(settings_path);
  std::string value;
  ASSERT_TRUE(IniLookup(settings, "Asiakas", "Datat", &value));
  EXPECT_EQ("/shop/data/", value);
  ASSERT_TRUE(IniLookup(settings, "Tilasto", "SarvilaxKK", &value));
  EXPECT_EQ("2026-02-28", value);

  ShopConfiguration with_slash = Configuration();
  with_slash.data_dir = "/shop/data/";
  with_slash.working_dir = "/shop/";
  WriteShopConfiguration(env, with_slash);
  ASSERT_TRUE(IniLookup(env.File(settings_path), "Asiakas", "Datat", &value));
  EXPECT_EQ("/shop/data/", value);
  EXPECT_TRUE(env.HasFile("/shop/Sarvilax.ini"));
}

}  // namespace
}  // namespace sarvilax
