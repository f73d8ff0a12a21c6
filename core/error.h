// The one error type of the program. A report run catches nothing: any Error
// that escapes ends the process through main(), which prints what() as one
// line on standard error and exits with status 1.
#ifndef SARVILAX_CORE_ERROR_H_
#define SARVILAX_CORE_ERROR_H_

#include <stdexcept>
#include <string>

namespace sarvilax {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A Currency or 32-bit count left its range, or a division had no divisor.
class ArithmeticError : public Error {
 public:
  using Error::Error;
};

[[noreturn]] inline void Fail(const std::string& message) { throw Error(message); }

// "No such file or directory" and the like, for messages that name a file.
std::string ErrnoText(int error_number);

}  // namespace sarvilax

#endif  // SARVILAX_CORE_ERROR_H_
