// The fixed-width text of the reports: number patterns, alignment, and the
// read-back of numbers from report lines. Nothing here depends on the
// process locale: the decimal separator is always a point.
#ifndef SARVILAX_CORE_NUMBER_FORMAT_H_
#define SARVILAX_CORE_NUMBER_FORMAT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "core/currency.h"

namespace sarvilax {

enum class NumberPattern {
  kWhole,        // "0"
  kOneDecimal,   // "0.0"
  kTwoDecimals,  // "0.00"
};

// Rounded halves away from zero; a leading "-" for negative values, no
// thousands separator, no plus sign; a result that rounds to zero has no
// minus sign. A Currency value is formatted from its exact decimal value.
std::string FormatNumber(Currency value, NumberPattern pattern);
// A double is first taken to 15 significant decimal digits, then rounded by
// the pattern, so 12.4499999999999993 shows as 12.5 with "0.0". Huge values
// are written out in full digits; NaN and the infinities throw ArithmeticError.
std::string FormatNumber(double value, NumberPattern pattern);
// A count with the pattern "0".
std::string FormatCount(int64_t value);

// The last width characters of width spaces followed by text: shorter text
// is padded on the left, longer text loses its leftmost characters.
std::string RightAlign(std::string_view text, size_t width);
// text with its first comma, if any, replaced by a point.
std::string DecimalPoint(std::string_view text);

// The value of a report field read back as a number: blanks (spaces, tabs,
// line ends) are ignored wherever they stand, then an optional sign, digits
// with at most one point as the decimal separator, and an optional exponent
// ("E" or "e", optional sign, digits). Reading stops at the first character
// that cannot continue the number; a field without digits is 0 (never -0).
// A value too small for a double is 0; one too large throws ArithmeticError.
double ParseNumberField(std::string_view field);

}  // namespace sarvilax

#endif  // SARVILAX_CORE_NUMBER_FORMAT_H_
