#include "core/currency.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/checked_math.h"
#include "core/error.h"

namespace sarvilax {

namespace {

__extension__ using Int128 = __int128;

constexpr int64_t kMaxRaw = std::numeric_limits<int64_t>::max();
constexpr int64_t kMinRaw = std::numeric_limits<int64_t>::min();

[[noreturn]] void ThrowOverflow(const std::string& what) {
  throw ArithmeticError("overflow: " + what + " is beyond the Currency range");
}

std::string DoubleText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// quotient / Currency::kScale rounded to nearest, halves to even.
Int128 DivideByScaleHalfToEven(Int128 value) {
  Int128 quotient = value / Currency::kScale;
  const Int128 remainder = value % Currency::kScale;  // carries the sign of value
  const Int128 twice = (remainder < 0 ? -remainder : remainder) * 2;
  const bool round_away =
      twice > Currency::kScale || (twice == Currency::kScale && quotient % 2 != 0);
  if (round_away) quotient += value < 0 ? -1 : 1;
  return quotient;
}

}  // namespace

Currency Currency::FromDouble(double value) {
  const double scaled = RoundHalfToEven(value * static_cast<double>(kScale));
  // 2^63 is exactly representable; every double below it fits in int64.
  // NaN fails both comparisons.
  if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0)) {
    ThrowOverflow("the value " + DoubleText(value));
  }
  return Currency(static_cast<int64_t>(scaled));
}

Currency Currency::FromWhole(int64_t units) {
  int64_t raw;
  if (__builtin_mul_overflow(units, kScale, &raw)) {
    ThrowOverflow("the value " + std::to_string(units));
  }
  return Currency(raw);
}

Currency operator+(Currency a, Currency b) {
  int64_t raw;
  if (__builtin_add_overflow(a.raw_, b.raw_, &raw)) {
    ThrowOverflow("the sum " + CurrencyText(a) + " + " + CurrencyText(b));
  }
  return Currency(raw);
}

Currency operator-(Currency a, Currency b) {
  int64_t raw;
  if (__builtin_sub_overflow(a.raw_, b.raw_, &raw)) {
    ThrowOverflow("the difference " + CurrencyText(a) + " - " + CurrencyText(b));
  }
  return Currency(raw);
}

Currency operator*(Currency a, Currency b) {
  // |a.raw_ * b.raw_| <= 2^126, well inside 128 bits.
  const Int128 product = static_cast<Int128>(a.raw_) * b.raw_;
  const Int128 raw = DivideByScaleHalfToEven(product);
  if (raw > kMaxRaw || raw < kMinRaw) {
    ThrowOverflow("the product " + CurrencyText(a) + " * " + CurrencyText(b));
  }
  return Currency(static_cast<int64_t>(raw));
}

std::string CurrencyText(Currency value) {
  const int64_t raw = value.raw();
  // Unsigned, so that the most negative count has a magnitude too.
  const uint64_t magnitude = raw < 0 ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
  std::string fraction = std::to_string(magnitude % Currency::kScale);
  fraction.insert(0, 4 - fraction.size(), '0');
  return (raw < 0 ? "-" : "") + std::to_string(magnitude / Currency::kScale) + "." + fraction;
}

}  // namespace sarvilax
