#include "core/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/error.h"

namespace sarvilax {

namespace {

int DecimalsOf(NumberPattern pattern) {
  switch (pattern) {
    case NumberPattern::kWhole:
      return 0;
    case NumberPattern::kOneDecimal:
      return 1;
    case NumberPattern::kTwoDecimals:
      return 2;
  }
  return 0;
}

// Adds one to the decimal digit string, carrying ("999" -> "1000").
void IncrementDigits(std::string* digits) {
  for (auto it = digits->rbegin(); it != digits->rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits->insert(digits->begin(), '1');
}

// The text of a rounded magnitude given as its decimal digits, of which the
// last `decimals` are the fraction: a minus sign unless negative is false or
// every digit is zero, at least one integer digit, a point before the fraction.
std::string LayOutDigits(std::string digits, int decimals, bool negative) {
  const size_t fraction = static_cast<size_t>(decimals);
  if (digits.size() < fraction + 1) digits.insert(0, fraction + 1 - digits.size(), '0');
  if (fraction > 0) digits.insert(digits.size() - fraction, 1, '.');
  const bool zero = digits.find_first_not_of("0.") == std::string::npos;
  if (negative && !zero) digits.insert(0, 1, '-');
  return digits;
}

// The decimal digits of magnitude / 10^drop rounded to nearest, halves away
// from zero.
std::string RoundedDigits(uint64_t magnitude, int drop) {
  uint64_t divisor = 1;
  for (int i = 0; i < drop; ++i) divisor *= 10;
  const uint64_t remainder = magnitude % divisor;
  std::string digits = std::to_string(magnitude / divisor);
  if (drop > 0 && remainder >= divisor - remainder) IncrementDigits(&digits);
  return digits;
}

// A finite double as 15 significant decimal digits and the decimal exponent
// of the first of them: value = 0.d1d2...d15 * 10^point (point may be
// negative). The digits are correctly rounded from the binary value.
struct SignificantDigits {
  bool negative = false;
  std::string digits;
  int point = 0;
};

SignificantDigits FifteenDigits(double value) {
  char buffer[40];
  // d.dddddddddddddde[+-]xx; to_chars never depends on the locale.
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  SignificantDigits out;
  if (text.front() == '-') {
    out.negative = true;
    text.remove_prefix(1);
  }
  const size_t exponent_at = text.find('e');
  out.digits.reserve(15);
  for (char c : text.substr(0, exponent_at)) {
    if (c != '.') out.digits += c;
  }
  std::string_view exponent = text.substr(exponent_at + 1);
  if (exponent.front() == '+') exponent.remove_prefix(1);
  int exponent_value = 0;
  std::from_chars(exponent.data(), exponent.data() + exponent.size(), exponent_value);
  out.point = exponent_value + 1;
  return out;
}

}  // namespace

std::string FormatNumber(Currency value, NumberPattern pattern) {
  const int64_t raw = value.raw();
  const uint64_t magnitude = raw < 0 ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
  const int decimals = DecimalsOf(pattern);
  return LayOutDigits(RoundedDigits(magnitude, 4 - decimals), decimals, raw < 0);
}

std::string FormatNumber(double value, NumberPattern pattern) {
  if (!std::isfinite(value)) {
    throw ArithmeticError(std::isnan(value) ? "a figure is not a number"
                                            : "a figure is infinitely large");
  }
  const int decimals = DecimalsOf(pattern);
  SignificantDigits significant = FifteenDigits(value);
  // Digits that stay: those before the position of 10^-decimals.
  const int keep = significant.point + decimals;
  std::string digits;
  if (keep <= 0) {
    // Below one unit of the last place; it rounds up only from half a unit.
    digits = keep == 0 && significant.digits[0] >= '5' ? "1" : "0";
  } else if (static_cast<size_t>(keep) >= significant.digits.size()) {
    digits = std::move(significant.digits);
    digits.append(static_cast<size_t>(keep) - digits.size(), '0');
  } else {
    const bool round_up = significant.digits[keep] >= '5';
    digits = significant.digits.substr(0, static_cast<size_t>(keep));
    if (round_up) IncrementDigits(&digits);
  }
  return LayOutDigits(std::move(digits), decimals, significant.negative);
}

std::string FormatCount(int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string RightAlign(std::string_view text, size_t width) {
  if (text.size() >= width) return std::string(text.substr(text.size() - width));
  std::string out(width - text.size(), ' ');
  out.append(text);
  return out;
}

std::string DecimalPoint(std::string_view text) {
  std::string out(text);
  const size_t comma = out.find(',');
  if (comma != std::string::npos) out[comma] = '.';
  return out;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a field as a number from left to right, ignoring blanks wherever they
// stand (as report fields are right-aligned with spaces).
class FieldReader {
 public:
  explicit FieldReader(std::string_view field) : field_(field) {}

  // The next character that is not blank, or '\0' at the end.
  char Peek() {
    while (at_ < field_.size() && IsBlank(field_[at_])) ++at_;
    return at_ < field_.size() ? field_[at_] : '\0';
  }
  void Skip() { ++at_; }
  size_t position() const { return at_; }
  void Rewind(size_t position) { at_ = position; }

 private:
  std::string_view field_;
  size_t at_ = 0;
};

// Appends the digits at the reader to out; returns how many there were.
int ReadDigits(FieldReader* reader, std::string* out) {
  int count = 0;
  while (IsDigit(reader->Peek())) {
    *out += reader->Peek();
    reader->Skip();
    ++count;
  }
  return count;
}

// An exponent "E"/"e", an optional sign and digits; without digits there is
// no exponent and the reader is left before the letter. Saturates far beyond
// the range of a double.
int ReadExponent(FieldReader* reader) {
  const size_t start = reader->position();
  const char letter = reader->Peek();
  if (letter != 'E' && letter != 'e') return 0;
  reader->Skip();
  bool negative = false;
  if (reader->Peek() == '+' || reader->Peek() == '-') {
    negative = reader->Peek() == '-';
    reader->Skip();
  }
  if (!IsDigit(reader->Peek())) {
    reader->Rewind(start);
    return 0;
  }
  int exponent = 0;
  while (IsDigit(reader->Peek())) {
    exponent = std::min(exponent * 10 + (reader->Peek() - '0'), 100000);
    reader->Skip();
  }
  return negative ? -exponent : exponent;
}

}  // namespace

double ParseNumberField(std::string_view field) {
  FieldReader reader(field);
  std::string number;
  if (reader.Peek() == '+' || reader.Peek() == '-') {
    if (reader.Peek() == '-') number += '-';
    reader.Skip();
  }
  const size_t sign_length = number.size();
  const int integer_digits = ReadDigits(&reader, &number);
  int fraction_digits = 0;
  if (reader.Peek() == '.') {
    reader.Skip();
    number += '.';
    fraction_digits = ReadDigits(&reader, &number);
  }
  if (integer_digits + fraction_digits == 0) return 0.0;
  const int exponent = ReadExponent(&reader);
  number += 'e';
  number += std::to_string(exponent);

  double value = 0.0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small for a double is zero; too large is an overflow. The place of
    // the first significant digit tells which: value = 0.d... * 10^magnitude.
    const size_t first = number.find_first_of("123456789", sign_length);
    if (first == std::string::npos) return 0.0;
    const size_t point = number.find('.', sign_length);
    const long point_at = static_cast<long>(point == std::string::npos ? number.find('e') : point);
    const long first_at = static_cast<long>(first);
    const long magnitude =
        exponent + (first_at < point_at ? point_at - first_at : point_at + 1 - first_at);
    if (magnitude <= 0) return 0.0;
    throw ArithmeticError("overflow: the number \"" + std::string(field) +
                          "\" is beyond the range of a double");
  }
  return value == 0.0 ? 0.0 : value;
}

}  // namespace sarvilax
