// Currency arithmetic for the passes over millions of rows: exactly what
// Currency's own operators give, without their 128-bit division or
// out-of-line call, for the values a journal holds. Anything else (an
// overflow included) is handed to those operators, so that results and
// errors are theirs.
#ifndef SARVILAX_FIGURES_CURRENCY_OPS_H_
#define SARVILAX_FIGURES_CURRENCY_OPS_H_

#include <cstdint>

#include "core/checked_math.h"
#include "core/currency.h"

namespace sarvilax::currency_ops {

// a × b kept to four decimals, halves to even.
inline Currency Multiply(Currency a, Currency b) {
  int64_t product;
  if (__builtin_mul_overflow(a.raw(), b.raw(), &product)) return a * b;
  int64_t quotient = product / Currency::kScale;
  const int64_t remainder = product % Currency::kScale;
  const int64_t twice = (remainder < 0 ? -remainder : remainder) * 2;
  if (twice > Currency::kScale || (twice == Currency::kScale && quotient % 2 != 0)) {
    quotient += product < 0 ? -1 : 1;
  }
  return Currency::FromRaw(quotient);
}

inline Currency Add(Currency a, Currency b) {
  int64_t sum;
  if (__builtin_add_overflow(a.raw(), b.raw(), &sum)) return a + b;
  return Currency::FromRaw(sum);
}

inline Currency Subtract(Currency a, Currency b) {
  int64_t difference;
  if (__builtin_sub_overflow(a.raw(), b.raw(), &difference)) return a - b;
  return Currency::FromRaw(difference);
}

inline int32_t AddOne(int32_t count) { return count < INT32_MAX ? count + 1 : AddInt32(count, 1); }

// Currency::FromDouble: value × 10 000 rounded to nearest, halves to even.
// Inline below 2^52, where every double has an exact floor in 64 bits.
inline Currency FromDouble(double value) {
  constexpr double kExactLimit = 4503599627370496.0;  // 2^52
  const double scaled = value * static_cast<double>(Currency::kScale);
  if (!(scaled > -kExactLimit && scaled < kExactLimit)) return Currency::FromDouble(value);
  const double truncated = static_cast<double>(static_cast<int64_t>(scaled));
  const double floor = truncated > scaled ? truncated - 1.0 : truncated;
  const double fraction = scaled - floor;
  int64_t whole = static_cast<int64_t>(floor);
  if (fraction > 0.5 || (fraction == 0.5 && (whole & 1) != 0)) ++whole;
  return Currency::FromRaw(whole);
}

}  // namespace sarvilax::currency_ops

#endif  // SARVILAX_FIGURES_CURRENCY_OPS_H_
