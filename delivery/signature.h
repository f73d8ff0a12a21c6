// The two text transformations of a relay request: the hex form in which the
// message body and the attachment travel, and the MD5 digest that signs the
// request. Both work on the code page 1252 bytes the program holds, one byte
// per character, so the relay sees exactly the digits it recomputes.
#ifndef SARVILAX_DELIVERY_SIGNATURE_H_
#define SARVILAX_DELIVERY_SIGNATURE_H_

#include <optional>
#include <string>
#include <string_view>

namespace sarvilax {

// Every byte as two upper-case hexadecimal digits ("\xC4" gives "C4", "\x05"
// gives "05"); the result is exactly twice as long as text.
std::string HexEncodeText(std::string_view text);

// The RFC 1321 MD5 digest of the bytes of text as 32 upper-case hexadecimal
// digits, or nullopt when the digest cannot be computed (the crypto library
// refuses MD5, for example under a FIPS-only configuration).
std::optional<std::string> Md5Hex(std::string_view text);

}  // namespace sarvilax

#endif  // SARVILAX_DELIVERY_SIGNATURE_H_
