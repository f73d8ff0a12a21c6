#include "figures/currency_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "core/error.h"

namespace sarvilax {
namespace {

// The message of the error f throws, or "" when it throws none.
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const ArithmeticError& e) {
    return e.what();
  }
  return "";
}

TEST(CurrencyOpsTest, GiveWhatCurrencysOwnOperatorsGive) {
  std::mt19937_64 random(11);
  std::vector<int64_t> raws = {
      0,     1,     -1,    4999,      5000,      5001,      -5000,     -15000,       25000,
      12400, 20000, 60000, INT32_MAX, INT32_MIN, INT64_MAX, INT64_MIN, 3037000499LL, -3037000500LL};
  for (int i = 0; i < 2000; ++i) {
    raws.push_back(static_cast<int64_t>(random() % 20000001) - 10000000);  // amounts
    raws.push_back(static_cast<int64_t>(random()));                        // anything
  }
  for (size_t i = 0; i + 1 < raws.size(); ++i) {
    const Currency a = Currency::FromRaw(raws[i]), b = Currency::FromRaw(raws[i + 1]);
    for (auto [first, second] :
         {std::pair{a, b}, std::pair{a, a}, std::pair{b, Currency::FromRaw(5000)}}) {
      // Copies for the lambdas: clang 14 cannot capture a structured binding.
      const Currency x = first, y = second;
      Currency expected, got;
      EXPECT_EQ(ErrorOf([&] { got = currency_ops::Multiply(x, y); }),
                ErrorOf([&] { expected = x * y; }));
      EXPECT_EQ(got, expected) << x.raw() << " * " << y.raw();
      EXPECT_EQ(ErrorOf([&] { got = currency_ops::Add(x, y); }),
                ErrorOf([&] { expected = x + y; }));
      EXPECT_EQ(got, expected);
      EXPECT_EQ(ErrorOf([&] { got = currency_ops::Subtract(x, y); }),
                ErrorOf([&] { expected = x - y; }));
      EXPECT_EQ(got, expected);
    }
  }
  EXPECT_EQ(currency_ops::AddOne(41), 42);
  EXPECT_EQ(ErrorOf([] { currency_ops::AddOne(INT32_MAX); }),
            ErrorOf([] { AddInt32(INT32_MAX, 1); }));

  // Halves (ties go to the even count), values near and past 2^52 / 10 000,
  // the extremes, not a number.
  std::vector<double> values = {0.0,
                                -0.0,
                                0.00005,
                                0.00015,
                                -0.00005,
                                -0.00015,
                                2.00025,
                                1e-300,
                                -1e-300,
                                450359962737.0493,
                                450359962737.0495,
                                -450359962737.0495,
                                9.2e14,
                                -9.2e14,
                                1e15,
                                std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN()};
  for (int i = 0; i < 20000; ++i) {
    const double gross =
        static_cast<double>(static_cast<int64_t>(random() % 200000000) - 100000000);
    values.push_back(gross / 10000.0 / (static_cast<int>(random() % 30) / 100.0 + 1));
    values.push_back((static_cast<double>(random() % 2000000) + 0.5) / 10000.0);  // ties
  }
  for (double v : values) {
    Currency expected, got;
    EXPECT_EQ(ErrorOf([&] { got = currency_ops::FromDouble(v); }),
              ErrorOf([&] { expected = Currency::FromDouble(v); }))
        << v;
    EXPECT_EQ(got, expected) << std::hexfloat << v;
  }
}

}  // namespace
}  // namespace sarvilax
