#include "delivery/signature.h"

#include "delivery/md5.h"

namespace sarvilax {

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
  const std::optional<Md5Digest> digest = ComputeMd5(text);
  if (!digest) return std::nullopt;
  return HexEncodeText(
      std::string_view(reinterpret_cast<const char*>(digest->data()), digest->size()));
}

}  // namespace sarvilax
