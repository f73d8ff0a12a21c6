// sarvilax-demoshop: makes a demo shop for the report program to read: a
// point-of-sale data folder, a Sarvilax.ini beside it and the per-user
// setting that points at the data folder.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1252.h"
#include "core/env.h"
#include "core/error.h"
#include "core/settings_store.h"
#include "demoshop/shop_configuration.h"
#include "demoshop/shop_generator.h"

namespace sarvilax {
namespace {

constexpr char kUsage[] =
    "Usage: sarvilax-demoshop [options] <working-folder>\n"
    "Makes a demo shop: <working-folder>/data/VARNU.001, VARNU.002 and VARNU.004,\n"
    "<working-folder>/Sarvilax.ini, and the setting Datat in\n"
    "<config-home>/Kvartolin Oy/settings.ini pointing at the data folder.\n"
    "The same options always give the same files.\n"
    "\n"
    "  --seed N               random seed (default 1)\n"
    "  --products N           products (default 300)\n"
    "  --years N              years of journal history (default 2)\n"
    "  --receipts-per-day N   average receipts a day (default 60)\n"
    "  --lines-per-receipt N  average sale lines a receipt (default 3)\n"
    "  --end-date YYYY-MM-DD  last day of the history (default today)\n"
    "  --shop-name TEXT       shop name (default \"Kauppa & Kahvila M\xC3\xA4kinen\")\n"
    "  --recipient ADDRESS    a report recipient; repeat for more\n"
    "                         (default kauppias@example.com)\n"
    "  --config-home DIR      settings folder (default ${XDG_CONFIG_HOME:-$HOME/.config})\n"
    "  --help                 show this text\n";

constexpr char kDefaultRecipient[] = "kauppias@example.com";

struct CommandLine {
  bool help = false;
  ShopParameters parameters;
  bool end_date_given = false;
  std::string shop_name;  // UTF-8; empty means the default
  std::vector<std::string> recipients;
  std::string config_home;
  std::string working_folder;
};

template <typename Number>
Number ParseNumber(std::string_view option, std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    Fail("option " + std::string(option) + " needs a whole number, not \"" + std::string(text) +
         "\"");
  }
  return value;
}

int ParseCount(std::string_view option, std::string_view text) {
  const int64_t value = ParseNumber<int64_t>(option, text);
  if (value < 0 || value > 1'000'000'000) {
    Fail("option " + std::string(option) + " is out of range: " + std::string(text));
  }
  return static_cast<int>(value);
}

CivilDate ParseDate(std::string_view text) {
  const bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-';
  if (!shaped)
    Fail("option --end-date needs a date as yyyy-mm-dd, not \"" + std::string(text) + "\"");
  CivilDate date;
  date.year = ParseNumber<int>("--end-date", text.substr(0, 4));
  date.month = ParseNumber<int>("--end-date", text.substr(5, 2));
  date.day = ParseNumber<int>("--end-date", text.substr(8, 2));
  return date;
}

void ApplyOption(std::string_view name, std::string_view value, CommandLine& line) {
  ShopParameters& p = line.parameters;
  if (name == "--seed") {
    p.seed = ParseNumber<uint64_t>(name, value);
  } else if (name == "--products") {
    p.products = ParseCount(name, value);
  } else if (name == "--years") {
    p.years = ParseCount(name, value);
  } else if (name == "--receipts-per-day") {
    p.receipts_per_day = ParseCount(name, value);
  } else if (name == "--lines-per-receipt") {
    p.lines_per_receipt = ParseCount(name, value);
  } else if (name == "--end-date") {
    p.end_date = ParseDate(value);
    line.end_date_given = true;
  } else if (name == "--shop-name") {
    line.shop_name = value;
  } else if (name == "--recipient") {
    line.recipients.emplace_back(value);
  } else if (name == "--config-home") {
    line.config_home = value;
  } else {
    Fail("unknown option " + std::string(name) + " (see --help)");
  }
}

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg.starts_with("--")) {
      const size_t equals = arg.find('=');
      if (equals != std::string_view::npos) {
        ApplyOption(arg.substr(0, equals), arg.substr(equals + 1), line);
      } else if (i + 1 < argc) {
        ApplyOption(arg, argv[++i], line);
      } else {
        Fail("option " + std::string(arg) + " needs a value");
      }
    } else if (line.working_folder.empty() && !arg.empty()) {
      line.working_folder = arg;
    } else {
      Fail("give exactly one working folder (see --help)");
    }
  }
  if (!line.help && line.working_folder.empty()) Fail("no working folder given (see --help)");
  return line;
}

// Text that must fit code page 1252 and one line of Sarvilax.ini.
std::string ToCp1252(std::string_view what, const std::string& utf8) {
  std::string text = Utf8ToCp1252(utf8);
  if (Cp1252ToUtf8(text) != utf8) {
    Fail(std::string(what) + " \"" + utf8 + "\" has characters that code page 1252 cannot hold");
  }
  if (text.find_first_of("\r\n") != std::string::npos) {
    Fail(std::string(what) + " may not contain a line break");
  }
  return text;
}

std::string Megabytes(int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

std::string IsoDate(const CivilDate& date) { return FormatIsoDate(MakeOleDate(date)); }

int Run(int argc, char** argv) {
  CommandLine line = ParseCommandLine(argc, argv);
  if (line.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!line.end_date_given) line.parameters.end_date = SplitOleDate(DefaultEnv().Now()).date;
  CheckShopParameters(line.parameters);

  namespace fs = std::filesystem;
  ShopConfiguration configuration;
  if (!line.shop_name.empty()) configuration.shop_name = ToCp1252("the shop name", line.shop_name);
  if (line.recipients.empty()) line.recipients.emplace_back(kDefaultRecipient);
  for (const std::string& recipient : line.recipients) {
    configuration.recipients.push_back(ToCp1252("the recipient", recipient));
  }
  configuration.config_home =
      line.config_home.empty()
          ? DefaultConfigHome()
          : ToCp1252("the settings folder", fs::absolute(line.config_home).string());
  fs::create_directories(fs::path(line.working_folder) / "data");
  const std::string working = fs::canonical(line.working_folder).string();
  const std::string data = working + "/data";
  configuration.working_dir = ToCp1252("the working folder", working);
  configuration.data_dir = ToCp1252("the data folder", data);

  const ShopSummary summary = GenerateShop(line.parameters, data);
  WriteShopConfiguration(DefaultEnv(), configuration);
  std::printf("sarvilax-demoshop: %d products, %lld journal rows from %s to %s, %s in %s/\n",
              line.parameters.products, static_cast<long long>(summary.journal_rows),
              IsoDate(summary.first_date).c_str(), IsoDate(line.parameters.end_date).c_str(),
              Megabytes(summary.bytes).c_str(), data.c_str());
  return 0;
}

}  // namespace
}  // namespace sarvilax

int main(int argc, char** argv) {
  try {
    return sarvilax::Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "sarvilax-demoshop: %s\n", error.what());
    return 1;
  }
}
