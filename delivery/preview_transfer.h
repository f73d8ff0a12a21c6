// A preview before go-live: each request that would go to the relay is
// written into a folder as a readable file instead, and counts as accepted.
#ifndef SARVILAX_DELIVERY_PREVIEW_TRANSFER_H_
#define SARVILAX_DELIVERY_PREVIEW_TRANSFER_H_

#include <memory>
#include <string>

#include "core/env.h"
#include "delivery/http_transfer.h"

namespace sarvilax {

// Writes "<folder>/NNN <recipient>.txt" per request, numbered on from the
// files already there so that they sort in sending order: the recipient,
// the subject, the body and the attachment as UTF-8 text, then the exact
// form body. Replies "True"; an unwritable folder gives an empty reply and
// the reason as LastFailure().
std::unique_ptr<HttpTransfer> NewPreviewTransfer(Env& env, const std::string& folder);

// The form body's fields decoded back to their bytes, in order; hex fields
// (b, d) are left as hex. Malformed escapes are kept as they stand.
std::string DecodeFormValue(std::string_view value);

}  // namespace sarvilax

#endif  // SARVILAX_DELIVERY_PREVIEW_TRANSFER_H_
