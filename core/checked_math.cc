#include "core/checked_math.h"

#include <charconv>
#include <cmath>
#include <string>

#include "core/error.h"

namespace sarvilax {

namespace {

// The shortest text that reads back as value, for error messages.
std::string DoubleText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

double RoundHalfToEven(double value) {
  if (!std::isfinite(value)) return value;
  const double floor = std::floor(value);
  // Exact: value and its floor are within one unit of each other, and values
  // beyond 2^52 are whole numbers already.
  const double fraction = value - floor;
  if (fraction < 0.5) return floor;
  if (fraction > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

int32_t AddInt32(int32_t a, int32_t b) {
  int32_t sum;
  if (__builtin_add_overflow(a, b, &sum)) {
    throw ArithmeticError("overflow: the count " + std::to_string(a) + " + " + std::to_string(b) +
                          " is beyond the 32-bit range");
  }
  return sum;
}

int32_t RoundToInt32(double value) {
  const double rounded = RoundHalfToEven(value);
  // NaN fails both comparisons.
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
    throw ArithmeticError("overflow: the value " + DoubleText(value) +
                          " is beyond the 32-bit count range");
  }
  return static_cast<int32_t>(rounded);
}

double Divide(double numerator, double denominator, const char* what) {
  if (denominator == 0.0) throw ArithmeticError(std::string("division by zero in ") + what);
  return numerator / denominator;
}

}  // namespace sarvilax
