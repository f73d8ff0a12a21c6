// 32-bit counts of the reports (customers, rows, turnover days, the
// attachment's quantity total). Out of range throws ArithmeticError.
#ifndef SARVILAX_CORE_CHECKED_MATH_H_
#define SARVILAX_CORE_CHECKED_MATH_H_

#include <cstdint>

namespace sarvilax {

// a + b; throws ArithmeticError when the sum leaves the signed 32-bit range.
int32_t AddInt32(int32_t a, int32_t b);

// Nearest whole number, halves to even; throws ArithmeticError when out of
// the signed 32-bit range or not a number.
int32_t RoundToInt32(double value);

// Nearest whole number as a double, halves to even, whatever the floating
// point rounding mode; infinities and NaN come back unchanged.
double RoundHalfToEven(double value);

// numerator / denominator in double precision; a zero denominator throws
// ArithmeticError ("division by zero" naming what), never inf or NaN.
double Divide(double numerator, double denominator, const char* what);

}  // namespace sarvilax

#endif  // SARVILAX_CORE_CHECKED_MATH_H_
