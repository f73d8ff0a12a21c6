// The last stage of a report run: the body and the attachment go to every
// recipient through the relay, the work files are removed, the window is
// hidden and, for a person at the screen, a message box lists where the
// report went.
#ifndef SARVILAX_DELIVERY_DISPATCH_H_
#define SARVILAX_DELIVERY_DISPATCH_H_

#include <cstdint>
#include <string>
#include <vector>

#include "app/run_context.h"

namespace sarvilax {

inline constexpr char kBodyWorkFileName[] = "Sarvilax.Tmp";

// A non-blank recipient the relay did not accept, and why.
struct Refusal {
  std::string address;
  std::string reason;
  friend bool operator==(const Refusal&, const Refusal&) = default;
};

struct DispatchResult {
  std::vector<std::string> accepted;  // lower-cased, in recipient order
  std::vector<Refusal> refused;
};

// REQUIRES: the attachment has been written. Sends message_lines (each
// followed by CR LF) and the attachment to every recipient, lower-cased.
// A recipient that is not accepted is left out of the sent list and the
// loop goes on. Throws Error, before any request, when the body or the
// attachment cannot be written or read back.
DispatchResult DispatchReport(RunContext& context, const std::vector<std::string>& message_lines,
                              int16_t kind, const std::string& confirmation);

}  // namespace sarvilax

#endif  // SARVILAX_DELIVERY_DISPATCH_H_
