#include "demoshop/product_catalog.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "core/cp1252.h"
#include "demoshop/demo_random.h"

namespace sarvilax {
namespace {

using Words = std::span<const char* const>;

// One shelf section of the shop. Names are code page 1252 bytes.
struct Category {
  Words nouns;
  Words variants;
  Words sizes;
  int16_t vat_percent;
  int share_permille;  // of the assortment
  int min_cents, max_cents;
  int min_margin_permille, max_margin_permille;
  int weighed_permille;
  int uncosted_permille;
  bool perishable;
  bool branded;
  Season season;
  double popularity_factor;
};

constexpr const char* kBrands[] = {
    "M\xE4kel\xE4n", "Pohjolan",    "J\xE4rvisen", "H\xE4meen",        "Savon",        "Lapin",
    "Kartanon",      "Myll\xE4rin", "Iso\xE4idin", "Pellon",           "V\xE4in\xF6n", "Kotimaan",
    "Saariston",     "Kultainen",   "T\xE4hti",    "M\xE4yr\xE4koiran"};

constexpr const char* kBread[] = {
    "Ruisleip\xE4", "Kauraleip\xE4", "Paahtoleip\xE4",      "S\xE4mpyl\xE4", "Karjalanpiirakka",
    "Pulla",        "Korvapuusti",   "N\xE4kkileip\xE4",    "Rieska",        "Limppu",
    "Patonki",      "Hapankorppu",   "Saaristolaisleip\xE4"};
constexpr const char* kBreadVariants[] = {"t\xE4ysjyv\xE4", "luomu", "gluteeniton", "siemen",
                                          "perinteinen",    "tumma", "vaalea",      "kaura"};
constexpr const char* kBreadSizes[] = {"500g", "300g", "6 kpl", "4 kpl", "10 kpl", "720g"};

constexpr const char* kDairy[] = {"Maito",     "Kevytmaito",     "Piim\xE4",   "Jogurtti",
                                  "Viili",     "Juusto",         "Voi",        "Kermaviili",
                                  "Rahka",     "Emmental",       "Ruokakerma", "Kuohukerma",
                                  "Raejuusto", "Leip\xE4juusto", "Kaurajuoma", "Kananmunat"};
constexpr const char* kDairyVariants[] = {"laktoositon", "mansikka", "vanilja",     "luomu",
                                          "kevyt",       "mustikka", "maustamaton", "rasvaton"};
constexpr const char* kDairySizes[] = {"1l", "0,5l", "2dl", "200g", "400g", "1kg", "10 kpl"};

constexpr const char* kMeat[] = {"Jauheliha",  "Broilerin filee", "Lenkkimakkara", "Kinkku",
                                 "Lohifilee",  "Silakka",         "Nakit",         "Maksalaatikko",
                                 "Lihapullat", "Siika",           "Kassler",       "Meetvursti",
                                 "Savukala",   "Grillimakkara",   "Karjalanpaisti"};
constexpr const char* kMeatVariants[] = {"savustettu", "marinoitu", "kevyt",      "kotimainen",
                                         "hunaja",     "pippuri",   "valkosipuli"};
constexpr const char* kMeatSizes[] = {"400g", "300g", "1kg", "250g", "600g"};

constexpr const char* kProduce[] = {
    "Peruna", "Porkkana",  "Omena",    "Banaani",  "Tomaatti",         "Kurkku",
    "Sipuli", "Mansikka",  "Mustikka", "Puolukka", "P\xE4\xE4ryn\xE4", "Appelsiini",
    "Lanttu", "Punajuuri", "Kaali",    "Salaatti", "Paprika",          "Sitruuna"};
constexpr const char* kProduceVariants[] = {"kotimainen", "luomu",     "uusi",
                                            "punainen",   "keltainen", "vihre\xE4"};
constexpr const char* kProduceSizes[] = {"1kg", "500g", "ruukku", "rasia", "2kg pussi"};

constexpr const char* kDryGoods[] = {
    "Kahvi",      "Tee",          "Kaurahiutaleet", "Vehn\xE4jauho",  "Sokeri",
    "Riisi",      "Makaroni",     "Spagetti",       "P\xE4hkin\xE4t", "Ruokasuola",
    "Kaakao",     "Mysli",        "Hernekeitto",    "Tomaattimurska", "Ketsuppi",
    "Sinappi",    "Rypsi\xF6ljy", "Kauramurot",     "Hillo",          "Kissanruoka",
    "Koiranruoka"};
constexpr const char* kDryGoodsVariants[] = {"tumma paahto",   "vaalea paahto", "suodatin", "luomu",
                                             "t\xE4ysjyv\xE4", "mansikka",      "mustikka", "kana"};
constexpr const char* kDryGoodsSizes[] = {"500g",   "1kg", "400g", "250g",
                                          "20 pss", "2kg", "0,5l", "150g"};

constexpr const char* kSweets[] = {"Suklaa",  "Salmiakki",   "Lakritsi",  "Irtokarkit",
                                   "Keksit",  "Sipsit",      "Pastillit", "Suklaalevy",
                                   "Popcorn", "Nallekarkit", "Purukumi",  "Suolap\xE4hkin\xE4t",
                                   "Vohvelit"};
constexpr const char* kSweetsVariants[] = {"maito",    "tumma", "p\xE4hkin\xE4", "sitruuna",
                                           "mansikka", "suola", "hapan",         "xylitol"};
constexpr const char* kSweetsSizes[] = {"200g", "100g", "150g", "350g", "45g", "1kg"};

constexpr const char* kIceCream[] = {"J\xE4\xE4tel\xF6",       "Mehuj\xE4\xE4",         "Tuutti",
                                     "Puikkoj\xE4\xE4tel\xF6", "J\xE4\xE4tel\xF6kakku", "Pehmis"};
constexpr const char* kIceCreamVariants[] = {"vanilja",          "mansikka", "suklaa",
                                             "p\xE4\xE4ryn\xE4", "lakritsi", "kinuski"};
constexpr const char* kIceCreamSizes[] = {"1l", "2l", "4 kpl", "0,9l", "85g"};

constexpr const char* kDrinks[] = {"Limonadi",  "Kivenn\xE4isvesi", "Appelsiinimehu",
                                   "Omenamehu", "Kotikalja",        "Energiajuoma",
                                   "Smoothie",  "J\xE4\xE4tee"};
constexpr const char* kDrinksVariants[] = {"sokeriton", "sitruuna", "p\xE4\xE4ryn\xE4", "vadelma",
                                           "light"};
constexpr const char* kDrinksSizes[] = {"0,33l", "0,5l", "1,5l", "1l", "6 x 0,33l"};

constexpr const char* kAlcohol[] = {"Olut",       "Siideri",      "Lonkero",
                                    "Tumma olut", "Vehn\xE4olut", "Long drink"};
constexpr const char* kAlcoholVariants[] = {"III",     "IV A",  "p\xE4\xE4ryn\xE4",
                                            "greippi", "lager", "karpalo"};
constexpr const char* kAlcoholSizes[] = {"0,33l", "0,5l", "6 x 0,33l", "12 x 0,33l", "24 x 0,33l"};

constexpr const char* kCafe[] = {"Kahvi",     "Cappuccino",       "Tee",    "Kaakao", "Munkki",
                                 "Pulla",     "Voisilm\xE4pulla", "Lounas", "Keitto", "Piirakka",
                                 "Kakkupala", "Smoothie"};
constexpr const char* kCafeVariants[] = {"iso", "pieni", "p\xE4iv\xE4n", "mukaan", "kinkku-juusto"};
constexpr const char* kCafeSizes[] = {"annos", "kuppi", "muki"};

constexpr const char* kPress[] = {"Iltalehti",
                                  "Ilta-Sanomat",
                                  "Aamulehti",
                                  "Helsingin Sanomat",
                                  "Aku Ankka",
                                  "Seura",
                                  "Apu",
                                  "Me Naiset",
                                  "Tekniikan Maailma",
                                  "Kotiliesi",
                                  "Ristikot",
                                  "V\xE4rityskirja",
                                  "Pokkari",
                                  "Sudoku",
                                  "Karttakirja",
                                  "Maaseudun Tulevaisuus",
                                  "Hymy",
                                  "Kauneus ja Terveys"};
constexpr const char* kPressVariants[] = {"viikonloppu", "erikoisnumero", "kes\xE4numero",
                                          "teemanumero"};
constexpr const char* kPressSizes[] = {"nro 1", "nro 6", "nro 12", "nro 24", "nro 52"};

constexpr const char* kHousehold[] = {
    "Talouspaperi", "WC-paperi",   "Astianpesuaine", "Pyykinpesuaine", "Paristo AA",
    "Paristo AAA",  "Kynttil\xE4", "Roskapussi",     "Foliopaperi",    "Tulitikut",
    "Led-lamppu",   "Grillihiili", "Pakastepussi",   "Tiskisieni",     "Kertak\xE4ytt\xF6mukit"};
constexpr const char* kHouseholdVariants[] = {"ekologinen", "sitrus", "hajusteeton",
                                              "laventeli",  "iso",    "pieni"};
constexpr const char* kHouseholdSizes[] = {"4 rll",  "8 rll", "1l",    "0,5l",
                                           "10 kpl", "30 m",  "2 kpl", "20 kpl"};

constexpr const char* kHygiene[] = {
    "Hammastahna",  "Shampoo",     "Saippua",    "Deodorantti",  "Laastari",   "Partah\xF6yl\xE4",
    "K\xE4sivoide", "Hammasharja", "Vanupuikot", "Aurinkovoide", "Huulirasva", "Vaipat"};
constexpr const char* kHygieneVariants[] = {"sensitive", "herkk\xE4", "raikas",
                                            "miesten",   "lasten",    "mint"};
constexpr const char* kHygieneSizes[] = {"75ml", "250ml", "100g", "20 kpl", "50ml", "3 kpl"};

constexpr const char* kChristmas[] = {
    "Joulukinkku", "Piparkakut",       "Joulutorttu",    "Gl\xF6gi",        "Konvehtirasia",
    "Rosolli",     "Porkkanalaatikko", "Lanttulaatikko", "Joulupuuroriisi", "Suklaajoulukalenteri",
    "Luumuhillo",  "Joulusinappi"};
constexpr const char* kChristmasVariants[] = {"perinteinen", "luomu", "kotimainen", "kevyt"};
constexpr const char* kChristmasSizes[] = {"500g", "300g", "1l", "200g", "1kg"};

constexpr Category kCategories[] = {
    {kBread, kBreadVariants, kBreadSizes, 14, 90, 120, 650, 250, 400, 0, 30, true, true,
     Season::kAllYear, 1.6},
    {kDairy, kDairyVariants, kDairySizes, 14, 110, 90, 900, 200, 320, 0, 30, true, true,
     Season::kAllYear, 1.6},
    {kMeat, kMeatVariants, kMeatSizes, 14, 100, 150, 1500, 180, 300, 100, 30, true, true,
     Season::kAllYear, 1.0},
    {kProduce, kProduceVariants, kProduceSizes, 14, 60, 90, 690, 250, 450, 850, 30, true, false,
     Season::kAllYear, 1.8},
    {kDryGoods, kDryGoodsVariants, kDryGoodsSizes, 14, 160, 80, 1200, 200, 380, 0, 30, false, true,
     Season::kAllYear, 1.0},
    {kSweets, kSweetsVariants, kSweetsSizes, 14, 100, 80, 600, 250, 450, 80, 30, false, true,
     Season::kAllYear, 1.2},
    {kIceCream, kIceCreamVariants, kIceCreamSizes, 14, 20, 100, 800, 300, 450, 0, 30, false, true,
     Season::kSummer, 3.0},
    {kDrinks, kDrinksVariants, kDrinksSizes, 14, 70, 90, 450, 250, 400, 0, 30, false, true,
     Season::kAllYear, 1.3},
    {kAlcohol, kAlcoholVariants, kAlcoholSizes, 24, 40, 150, 3500, 180, 300, 0, 30, false, true,
     Season::kAllYear, 1.2},
    {kCafe, kCafeVariants, kCafeSizes, 14, 20, 150, 1250, 450, 700, 0, 300, true, false,
     Season::kAllYear, 3.0},
    {kPress, kPressVariants, kPressSizes, 10, 50, 200, 2500, 150, 250, 0, 200, false, false,
     Season::kAllYear, 1.5},
    {kHousehold, kHouseholdVariants, kHouseholdSizes, 24, 100, 120, 1800, 250, 450, 0, 30, false,
     true, Season::kAllYear, 0.7},
    {kHygiene, kHygieneVariants, kHygieneSizes, 24, 60, 150, 1500, 300, 450, 0, 30, false, true,
     Season::kAllYear, 0.6},
    {kChristmas, kChristmasVariants, kChristmasSizes, 14, 15, 200, 4000, 250, 400, 0, 30, false,
     true, Season::kChristmas, 3.0},
};

// Items without VAT at a fixed price: deposits (mostly refunded, so most of
// their lines are negative), stamps and gift cards.
struct FixedItem {
  const char* name;
  int cents;
  double return_share;
};
constexpr FixedItem kFixedItems[] = {
    {"Pullopantti 0,10", 10, 0.6},    {"Pullopantti 0,20", 20, 0.6},
    {"Pullopantti 0,40", 40, 0.6},    {"T\xF6lkkipantti 0,15", 15, 0.6},
    {"Postimerkki 1lk", 175, 0.01},   {"Lahjakortti 10 e", 1000, 0.01},
    {"Lahjakortti 20 e", 2000, 0.01}, {"Lahjakortti 50 e", 5000, 0.01}};
// The fixed-price items make up what the categories leave of the assortment.
constexpr int CategorySharesPermille() {
  int sum = 0;
  for (const Category& category : kCategories) sum += category.share_permille;
  return sum;
}
static_assert(CategorySharesPermille() == 995);

constexpr size_t kAlwaysStockedDeposits = 4;  // the first four fixed items
constexpr size_t kShopSizeWithDeposits = 20;
constexpr int64_t kDaysPerYear = 365;
constexpr double kAverageUnitsPerLine = 1.3;
constexpr double kAverageKilosPerLine = 0.6;

template <typename T>
const T& Pick(std::span<const T> items, DemoRandom& random) {
  return items[random.Below(static_cast<uint32_t>(items.size()))];
}

// Appends " word" when the name stays within the field.
void AppendWord(std::string& name, std::string_view word) {
  if (name.size() + 1 + word.size() <= std::tuple_size_v<ProductName>) {
    name += ' ';
    name += word;
  }
}

std::string MakeName(const Category& category, bool weighed, DemoRandom& random) {
  std::string noun = Pick(category.nouns, random);
  const char* brand = Pick<const char*>(kBrands, random);
  const char* variant = Pick(category.variants, random);
  const char* size = Pick(category.sizes, random);
  std::string name = noun;
  if (category.branded && !weighed && random.Chance(0.35)) {
    name = brand;
    AppendWord(name, ToLowerCp1252(std::string_view(noun).substr(0, 1)) + noun.substr(1));
    if (name == brand) name = noun;  // the brand and noun were too long together
  }
  if (random.Chance(0.6)) AppendWord(name, variant);
  if (!weighed && random.Chance(0.75)) AppendWord(name, size);
  return name;
}

// prefix followed by count random digits.
std::string Digits(std::string prefix, DemoRandom& random, int count) {
  for (int i = 0; i < count; ++i) prefix += static_cast<char>('0' + random.Below(10));
  return prefix;
}

// The EAN check digit: weights 3 and 1 alternate from the rightmost digit.
char EanCheckDigit(std::string_view digits) {
  int sum = 0;
  int weight = 3;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    sum += (*it - '0') * weight;
    weight = 4 - weight;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Mostly Finnish EAN-13 codes; some EAN-8 and in-store codes, and price
// look-up numbers for goods weighed at the counter. Short codes are space
// padded, as the point-of-sale program stores them.
std::string MakeCodeText(bool weighed, int attempt, DemoRandom& random) {
  if (weighed && attempt < 20) return std::to_string(1000 + random.Below(99000));
  const double kind = random.Uniform();
  std::string code;
  if (attempt < 20 && kind < 0.06) {
    code = Digits("64", random, 5);
  } else if (attempt < 20 && kind < 0.10) {
    return Digits("2", random, 5);
  } else {
    code = Digits("64", random, 10);
  }
  code += EanCheckDigit(code);
  return code;
}

const Category* PickCategory(DemoRandom& random) {
  int roll = static_cast<int>(random.Below(1000));
  for (const Category& category : kCategories) {
    if (roll < category.share_permille) return &category;
    roll -= category.share_permille;
  }
  return nullptr;  // the fixed-price items
}

int64_t LogUniformCents(int min_cents, int max_cents, DemoRandom& random) {
  const double ratio = static_cast<double>(max_cents) / min_cents;
  return std::llround(min_cents * std::exp(std::log(ratio) * random.Uniform()));
}

void FillFromCategory(const Category& category, DemoRandom& random, DemoProduct& product) {
  product.weighed = static_cast<int>(random.Below(1000)) < category.weighed_permille;
  product.name = PadText<25>(MakeName(category, product.weighed, random));
  product.vat_percent = category.vat_percent;
  product.season = category.season;
  product.perishable = category.perishable;
  product.uncosted = static_cast<int>(random.Below(1000)) < category.uncosted_permille;
  product.base_price_cents = LogUniformCents(category.min_cents, category.max_cents, random);
  product.margin_permille =
      static_cast<int>(random.Between(category.min_margin_permille, category.max_margin_permille));
  product.popularity = category.popularity_factor;
}

void FillFixedItem(const FixedItem& item, DemoProduct& product) {
  product.name = PadText<25>(item.name);
  product.vat_percent = 0;
  product.uncosted = true;
  product.fixed_price = true;
  product.return_share = item.return_share;
  product.base_price_cents = item.cents;
  product.popularity = 4.0;
}

// 65 % of the assortment is older than any history the shop keeps; the rest
// arrives over the last twelve years. Two products in a hundred are later
// discontinued.
void SetLifetime(int64_t shop_last_day, DemoRandom& random, DemoProduct& product) {
  const int64_t span = 12 * kDaysPerYear;
  product.first_day = random.Chance(0.65) ? shop_last_day - 40 * kDaysPerYear
                                          : shop_last_day - random.Between(0, span - 1);
  const bool discontinued = random.Chance(0.02);
  const int64_t room = std::min(span, shop_last_day - product.first_day - 31);
  if (discontinued && room > 0) product.last_day = shop_last_day - 1 - random.Between(0, room - 1);
}

// Fills each shelf up to about one and a half delivery cycles of expected
// sales; fast sellers come weekly, slow ones every two or four weeks.
void SetDeliveryRhythm(double lines_per_day, DemoRandom& random, DemoProduct& product) {
  const double seasonal_peak = product.season == Season::kAllYear ? 1.0 : 2.5;
  const double per_line = product.weighed ? kAverageKilosPerLine : kAverageUnitsPerLine;
  const double daily = lines_per_day * seasonal_peak * per_line;
  product.delivery_cycle = daily >= 0.5 ? 7 : (daily >= 0.1 ? 14 : kLongestDeliveryCycle);
  const int weekday = static_cast<int>(random.Below(5));  // Monday to Friday
  const int week =
      static_cast<int>(random.Below(static_cast<uint32_t>(product.delivery_cycle / 7)));
  // Day 2 (1900-01-01) was a Monday.
  product.delivery_phase = (2 + weekday + 7 * week) % product.delivery_cycle;
  const double fill = std::ceil(daily * product.delivery_cycle * 1.5) + 2.0;
  // Pieces are whole; weighed goods are stocked in half kilograms.
  const double rounded = product.weighed ? std::ceil(fill * 2.0) / 2.0 : fill;
  product.target_stock = Currency::FromDouble(rounded);
}

// Picking weights follow a long tail over a random ranking, so popularity
// has nothing to do with the order of the codes.
void AssignPopularity(std::vector<DemoProduct>& products, DemoRandom& random) {
  std::vector<size_t> rank(products.size());
  std::iota(rank.begin(), rank.end(), size_t{0});
  for (size_t i = rank.size(); i > 1; --i)
    std::swap(rank[i - 1], rank[random.Below(static_cast<uint32_t>(i))]);
  for (size_t i = 0; i < products.size(); ++i) {
    products[i].popularity *= 1.0 / std::pow(static_cast<double>(rank[i]) + 25.0, 0.9);
  }
}

}  // namespace

int64_t FloorDivide(int64_t value, int64_t divisor) {
  const int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

int WeekdayOfDay(int64_t day) {
  // Day 0, 1899-12-30, was a Saturday.
  return static_cast<int>(day - 7 * FloorDivide(day + 5, 7) + 5);
}

bool DemoProduct::IsDeliveryDay(int64_t day) const {
  return day - delivery_cycle * FloorDivide(day, delivery_cycle) == delivery_phase;
}

double SeasonWeight(Season season, int month, int day_of_month) {
  switch (season) {
    case Season::kAllYear:
      return 1.0;
    case Season::kSummer:
      if (month == 6 || month == 7) return 1.0;
      if (month == 5 || month == 8) return 0.5;
      return (month == 4 || month == 9) ? 0.15 : 0.05;
    case Season::kChristmas:
      if (month == 12) return day_of_month <= 24 ? 1.0 : 0.1;
      return (month == 11 && day_of_month >= 15) ? 0.3 : 0.02;
  }
  return 1.0;
}

std::vector<DemoProduct> MakeCatalog(const CatalogOptions& options) {
  std::vector<DemoProduct> products(static_cast<size_t>(options.product_count));
  std::unordered_set<std::string> codes;
  codes.reserve(products.size() * 2);
  for (size_t i = 0; i < products.size(); ++i) {
    DemoProduct& product = products[i];
    DemoRandom random(HashKeys(options.seed, 0x50524F44, i));  // "PROD"
    product.id = static_cast<uint32_t>(i);
    const Category* category = PickCategory(random);
    if (i < kAlwaysStockedDeposits && products.size() >= kShopSizeWithDeposits) {
      FillFixedItem(kFixedItems[i], product);  // every real shop takes bottles back
    } else if (category != nullptr) {
      FillFromCategory(*category, random, product);
    } else {
      FillFixedItem(Pick<FixedItem>(kFixedItems, random), product);
    }
    for (int attempt = 0;; ++attempt) {
      std::string code = MakeCodeText(product.weighed, attempt, random);
      if (codes.insert(code).second) {
        product.code = PadText<13>(code);
        break;
      }
    }
    SetLifetime(options.last_day, random, product);
  }
  DemoRandom ranking(HashKeys(options.seed, 0x52414E4B));  // "RANK"
  AssignPopularity(products, ranking);
  double total = 0;
  for (const DemoProduct& product : products) total += product.popularity;
  for (DemoProduct& product : products) {
    DemoRandom random(HashKeys(options.seed, 0x44454C49, product.id));  // "DELI"
    SetDeliveryRhythm(options.sale_lines_per_day * product.popularity / total, random, product);
  }
  std::stable_sort(
      products.begin(), products.end(),
      [](const DemoProduct& a, const DemoProduct& b) { return a.first_day < b.first_day; });
  return products;
}

}  // namespace sarvilax
