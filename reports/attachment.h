// The Top-20 attachment: the 20 best-selling products of the period from
// the sorted Top-20 work file, framed by a heading and column titles, with
// a totals line read back from the lines themselves.
#ifndef SARVILAX_REPORTS_ATTACHMENT_H_
#define SARVILAX_REPORTS_ATTACHMENT_H_

#include <string>
#include <vector>

#include "core/env.h"

namespace sarvilax {

// Lines 2 and 3 of the attachment, 74 characters each: they name the shop,
// the report and its date and time.
struct AttachmentHeading {
  std::string title_line;
  std::string time_line;
};

// "KAUPPA" padded or cut to 30, then title padded or cut to 34 — the
// layout both heading lines share.
std::string HeadingLine(const std::string& left, const std::string& middle,
                        const std::string& right);

// The attachment text (every line ended by CR LF) for the chosen lines.
// Throws ArithmeticError when a total leaves its range.
std::string LayOutAttachment(const AttachmentHeading& heading,
                             const std::vector<std::string>& top_lines);

// Sorts the Top-20 work file once more, takes its first 20 lines, deletes
// the work files and writes the attachment in their place (under the work
// file's own name). Returns the chosen lines. Throws Error when a file
// cannot be read or written.
std::vector<std::string> WriteTop20Attachment(Env& env, const AttachmentHeading& heading);

}  // namespace sarvilax

#endif  // SARVILAX_REPORTS_ATTACHMENT_H_
