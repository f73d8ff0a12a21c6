#include "delivery/md5.h"

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace sarvilax {

namespace {

struct MdContextDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

std::optional<Md5Digest> ComputeMd5(std::string_view data) {
  std::unique_ptr<EVP_MD_CTX, MdContextDeleter> context(EVP_MD_CTX_new());
  if (context == nullptr) return std::nullopt;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_length = 0;
  if (EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), data.data(), data.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest, &digest_length) != 1 ||
      digest_length != Md5Digest().size()) {
    return std::nullopt;
  }
  Md5Digest result;
  std::copy_n(digest, result.size(), result.begin());
  return result;
}

}  // namespace sarvilax
