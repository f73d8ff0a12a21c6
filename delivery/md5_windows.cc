// The digest through the Windows cryptographic service (advapi32): a
// verify-only context of the basic RSA provider, which every Windows has,
// and an MD5 hash object fed the whole input.
#include "delivery/md5.h"

#include <windows.h>

#include <algorithm>

namespace sarvilax {

namespace {

// CryptHashData takes a DWORD count; larger inputs go in pieces.
constexpr size_t kMaxPiece = size_t{1} << 30;

class ProviderContext {
 public:
  ProviderContext() {
    if (!CryptAcquireContextW(&handle_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
      handle_ = 0;
    }
  }
  ~ProviderContext() {
    if (handle_ != 0) CryptReleaseContext(handle_, 0);
  }
  ProviderContext(const ProviderContext&) = delete;
  ProviderContext& operator=(const ProviderContext&) = delete;
  HCRYPTPROV handle() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
};

class HashObject {
 public:
  explicit HashObject(HCRYPTPROV provider) {
    if (provider == 0 || !CryptCreateHash(provider, CALG_MD5, 0, 0, &handle_)) handle_ = 0;
  }
  ~HashObject() {
    if (handle_ != 0) CryptDestroyHash(handle_);
  }
  HashObject(const HashObject&) = delete;
  HashObject& operator=(const HashObject&) = delete;
  HCRYPTHASH handle() const { return handle_; }

 private:
  HCRYPTHASH handle_ = 0;
};

bool HashAll(HCRYPTHASH hash, std::string_view data) {
  do {
    const size_t piece = std::min(data.size(), kMaxPiece);
    if (!CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(piece),
                       0)) {
      return false;
    }
    data.remove_prefix(piece);
  } while (!data.empty());
  return true;
}

}  // namespace

std::optional<Md5Digest> ComputeMd5(std::string_view data) {
  const ProviderContext provider;
  const HashObject hash(provider.handle());
  if (hash.handle() == 0 || !HashAll(hash.handle(), data)) return std::nullopt;
  Md5Digest digest;
  DWORD length = static_cast<DWORD>(digest.size());
  if (!CryptGetHashParam(hash.handle(), HP_HASHVAL, digest.data(), &length, 0) ||
      length != digest.size()) {
    return std::nullopt;
  }
  return digest;
}

}  // namespace sarvilax
