// The MD5 digest (RFC 1321) from the platform's cryptographic library:
// OpenSSL's EVP interface on POSIX systems (md5_posix.cc), the Windows
// cryptographic service on Windows (md5_windows.cc). Both give the same
// sixteen bytes for the same input.
#ifndef SARVILAX_DELIVERY_MD5_H_
#define SARVILAX_DELIVERY_MD5_H_

#include <array>
#include <optional>
#include <string_view>

namespace sarvilax {

using Md5Digest = std::array<unsigned char, 16>;

// The digest of the bytes of data, or nullopt when the library will not
// compute it (MD5 refused under a FIPS-only configuration, for example).
std::optional<Md5Digest> ComputeMd5(std::string_view data);

}  // namespace sarvilax

#endif  // SARVILAX_DELIVERY_MD5_H_
