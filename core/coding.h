// Little-endian field encoding of the fixed-length record files.
#ifndef SARVILAX_CORE_CODING_H_
#define SARVILAX_CORE_CODING_H_

#include <bit>
#include <cstdint>
#include <cstring>

namespace sarvilax {

inline uint64_t DecodeFixed(const char* p, int width) {
  uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(p[i]);
  return value;
}
inline int16_t DecodeInt16(const char* p) { return static_cast<int16_t>(DecodeFixed(p, 2)); }
inline int32_t DecodeInt32(const char* p) { return static_cast<int32_t>(DecodeFixed(p, 4)); }
inline int64_t DecodeInt64(const char* p) { return static_cast<int64_t>(DecodeFixed(p, 8)); }
inline double DecodeDouble(const char* p) { return std::bit_cast<double>(DecodeFixed(p, 8)); }

inline void EncodeFixed(char* p, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) p[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
inline void EncodeInt16(char* p, int16_t v) { EncodeFixed(p, static_cast<uint16_t>(v), 2); }
inline void EncodeInt32(char* p, int32_t v) { EncodeFixed(p, static_cast<uint32_t>(v), 4); }
inline void EncodeInt64(char* p, int64_t v) { EncodeFixed(p, static_cast<uint64_t>(v), 8); }
inline void EncodeDouble(char* p, double v) { EncodeFixed(p, std::bit_cast<uint64_t>(v), 8); }

}  // namespace sarvilax

#endif  // SARVILAX_CORE_CODING_H_
