// The files that point the report program at a demo shop: Sarvilax.ini in
// the working folder (shop name, a free line, one recipient per line) and
// the per-user setting "Kvartolin Oy" / "Asiakas" / "Datat" naming the data
// folder.
#ifndef SARVILAX_DEMOSHOP_SHOP_CONFIGURATION_H_
#define SARVILAX_DEMOSHOP_SHOP_CONFIGURATION_H_

#include <string>
#include <vector>

namespace sarvilax {

class Env;

// All text is code page 1252, paths included (as Env takes them).
struct ShopConfiguration {
  std::string working_dir;  // receives Sarvilax.ini
  std::string data_dir;     // the folder of the VARNU files
  std::string config_home;  // the settings file is <config_home>/Kvartolin Oy/settings.ini
  std::string shop_name = "Kauppa & Kahvila M\xE4kinen";
  std::vector<std::string> recipients;
};

// The text of Sarvilax.ini: lines end with CR LF.
std::string ConfigurationFileText(const ShopConfiguration& configuration);

// Replaces Sarvilax.ini atomically and stores the data folder, with a
// trailing '/' (the report program appends file names to it directly),
// keeping every other setting. Throws Error naming the file that could not
// be written.
void WriteShopConfiguration(Env& env, const ShopConfiguration& configuration);

}  // namespace sarvilax

#endif  // SARVILAX_DEMOSHOP_SHOP_CONFIGURATION_H_
