#include "delivery/signature.h"

#include <openssl/evp.h>

#include <memory>

namespace sarvilax {

namespace {

struct MdContextDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

std::string HexEncodeText(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(text.size() * 2);
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 0x0F]);
  }
  return hex;
}

std::optional<std::string> Md5Hex(std::string_view text) {
  std::unique_ptr<EVP_MD_CTX, MdContextDeleter> context(EVP_MD_CTX_new());
  if (context == nullptr) return std::nullopt;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_length = 0;
  if (EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), text.data(), text.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest, &digest_length) != 1 || digest_length != 16) {
    return std::nullopt;
  }
  return HexEncodeText(std::string_view(reinterpret_cast<const char*>(digest), digest_length));
}

}  // namespace sarvilax
