// Currency: a signed 64-bit count of 1/10 000, the type of every amount and
// quantity in the data files and in every sum. Sums and products are exact;
// a result outside the 64-bit range throws ArithmeticError, never wraps.
#ifndef SARVILAX_CORE_CURRENCY_H_
#define SARVILAX_CORE_CURRENCY_H_

#include <compare>
#include <cstdint>
#include <string>

namespace sarvilax {

class Currency {
 public:
  static constexpr int64_t kScale = 10000;

  constexpr Currency() = default;
  static constexpr Currency FromRaw(int64_t raw) { return Currency(raw); }
  // value × 10 000 in double precision, rounded to nearest, halves to even.
  // Throws ArithmeticError when the result is out of range or not a number.
  static Currency FromDouble(double value);
  // A whole number of units (12 → 12.0000). Throws ArithmeticError on overflow.
  static Currency FromWhole(int64_t units);

  constexpr int64_t raw() const { return raw_; }
  constexpr bool IsZero() const { return raw_ == 0; }
  // The count divided by 10 000.0 (one correctly rounded division).
  double ToDouble() const { return static_cast<double>(raw_) / 10000.0; }

  // Checked: throw ArithmeticError on overflow.
  friend Currency operator+(Currency a, Currency b);
  friend Currency operator-(Currency a, Currency b);
  Currency& operator+=(Currency b) { return *this = *this + b; }
  // The exact product kept to four decimals, halves to even (128-bit
  // intermediate). Throws ArithmeticError when it leaves the 64-bit range.
  friend Currency operator*(Currency a, Currency b);

  friend constexpr auto operator<=>(Currency a, Currency b) = default;

 private:
  constexpr explicit Currency(int64_t raw) : raw_(raw) {}
  int64_t raw_ = 0;
};

// The exact value with four decimals and a point ("-12.3400"), for messages
// and tests; the reports use FormatNumber (number_format.h).
std::string CurrencyText(Currency value);

}  // namespace sarvilax

#endif  // SARVILAX_CORE_CURRENCY_H_
