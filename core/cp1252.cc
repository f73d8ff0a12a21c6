#include "core/cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace sarvilax {

namespace {

// Bytes 0x80-0x9F; every other byte is the code point of the same number.
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the control characters of their own number, so that any
// byte string survives the trip to UTF-8 and back.
constexpr char32_t kHighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char32_t CodePointOf(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControlRange[byte - 0x80] : byte;
}

// The byte for code_point, or -1 when the code page has none.
int ByteOf(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    return static_cast<int>(code_point);
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControlRange[i] == code_point) return 0x80 + i;
  }
  return -1;
}

void AppendUtf8(std::string* out, char32_t code_point) {
  if (code_point < 0x80) {
    *out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    *out += static_cast<char>(0xC0 | (code_point >> 6));
    *out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {  // every code point of the table lies below 0x10000
    *out += static_cast<char>(0xE0 | (code_point >> 12));
    *out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

// Decodes one well-formed UTF-8 sequence at the start of text into
// *code_point and returns its length, or returns 0 when the bytes there are
// not one (a stray continuation byte, a cut sequence, an overlong form, a
// surrogate or a value beyond U+10FFFF).
size_t DecodeUtf8(std::string_view text, char32_t* code_point) {
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length;
  char32_t value;
  char32_t smallest;
  if (lead < 0x80) {
    *code_point = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, smallest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *code_point = value;
  return length;
}

struct CaseTables {
  std::array<char, 256> upper;
  std::array<char, 256> lower;
};

constexpr CaseTables MakeCaseTables() {
  CaseTables tables{};
  for (int i = 0; i < 256; ++i) {
    tables.upper[i] = static_cast<char>(i);
    tables.lower[i] = static_cast<char>(i);
  }
  auto pair = [&tables](int lower, int upper) {
    tables.upper[lower] = static_cast<char>(upper);
    tables.lower[upper] = static_cast<char>(lower);
  };
  for (int c = 'a'; c <= 'z'; ++c) pair(c, c - 0x20);
  // à..þ and À..Þ, apart from the signs ÷ (0xF7) and × (0xD7).
  for (int c = 0xE0; c <= 0xFE; ++c) {
    if (c != 0xF7) pair(c, c - 0x20);
  }
  pair(0x9A, 0x8A);  // š Š
  pair(0x9C, 0x8C);  // œ Œ
  pair(0x9E, 0x8E);  // ž Ž
  pair(0xFF, 0x9F);  // ÿ Ÿ
  // ß and µ have no capital in the code page and stay as they are.
  return tables;
}

constexpr CaseTables kCaseTables = MakeCaseTables();

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char c : text) AppendUtf8(&out, CodePointOf(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    char32_t code_point;
    const size_t length = DecodeUtf8(text, &code_point);
    if (length == 0) {
      out += text[0];
      text.remove_prefix(1);
      continue;
    }
    const int byte = ByteOf(code_point);
    out += byte < 0 ? '?' : static_cast<char>(byte);
    text.remove_prefix(length);
  }
  return out;
}

char ToUpperCp1252(char c) { return kCaseTables.upper[static_cast<unsigned char>(c)]; }

char ToLowerCp1252(char c) { return kCaseTables.lower[static_cast<unsigned char>(c)]; }

std::string ToUpperCp1252(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ToUpperCp1252(c);
  return out;
}

std::string ToLowerCp1252(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ToLowerCp1252(c);
  return out;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace sarvilax
