#include "demoshop/shop_configuration.h"

#include <memory>

#include "core/env.h"
#include "core/settings_store.h"

namespace sarvilax {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kFreeLine[] = "sarvilax-demoshop";

std::string WithTrailingSlash(const std::string& dir) {
  return !dir.empty() && dir.back() == '/' ? dir : dir + '/';
}

}  // namespace

std::string ConfigurationFileText(const ShopConfiguration& configuration) {
  std::string text = configuration.shop_name + kLineEnd + kFreeLine + kLineEnd;
  for (const std::string& recipient : configuration.recipients) text += recipient + kLineEnd;
  return text;
}

void WriteShopConfiguration(Env& env, const ShopConfiguration& configuration) {
  env.ReplaceFileAtomically(WithTrailingSlash(configuration.working_dir) + "Sarvilax.ini",
                            ConfigurationFileText(configuration));
  const std::unique_ptr<SettingsStore> settings =
      NewIniSettingsStore(env, configuration.config_home);
  settings->Write("Kvartolin Oy", "Asiakas", "Datat", WithTrailingSlash(configuration.data_dir));
}

}  // namespace sarvilax
