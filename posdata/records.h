// The record layouts of the point-of-sale data files: flat files of
// fixed-length little-endian records, numbered from 1, with no header.
// Only the fields the reports read are decoded; the byte offsets are those
// of the point-of-sale program's files.
#ifndef SARVILAX_POSDATA_RECORDS_H_
#define SARVILAX_POSDATA_RECORDS_H_

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "core/coding.h"
#include "core/currency.h"
#include "core/ole_date.h"

namespace sarvilax {

// A product code: 13 code page 1252 characters, space padded, compared as
// bytes with the padding included.
using ProductCode = std::array<char, 13>;
using ProductName = std::array<char, 25>;

inline constexpr char kIndexFileName[] = "VARNU.001";
inline constexpr char kProductFileName[] = "VARNU.002";
inline constexpr char kJournalFileName[] = "VARNU.004";

// VARNU.001: one entry per product slot, ordered ascending by code.
namespace index_layout {
inline constexpr int kLength = 18;
inline constexpr int kCode = 0;            // Text(13)
inline constexpr int kProductRecord = 13;  // Int32
}  // namespace index_layout

// VARNU.002: the product master.
namespace product_layout {
inline constexpr int kLength = 356;
inline constexpr int kCode = 0;              // Text(13)
inline constexpr int kName = 13;             // Text(25)
inline constexpr int kStockQuantity = 63;    // Currency
inline constexpr int kUnitCost = 71;         // Currency
inline constexpr int kLastJournalRow = 113;  // Int32
}  // namespace product_layout

// VARNU.004: the journal, ordered ascending by date and time.
namespace journal_layout {
inline constexpr int kLength = 104;
inline constexpr int kRowType = 0;               // Text(1)
inline constexpr int kDate = 10;                 // OleDate
inline constexpr int kProductCode = 29;          // Text(13)
inline constexpr int kUnitPrice = 50;            // Currency, VAT included
inline constexpr int kQuantity = 58;             // Currency
inline constexpr int kStockQuantityBefore = 66;  // Currency
inline constexpr int kUnitCost = 74;             // Currency
inline constexpr int kVatPercent = 82;           // Int16
inline constexpr int kPreviousProductRow = 84;   // Int32
}  // namespace journal_layout

struct ProductIndexRecord {
  ProductCode code{};
  int32_t productRecord = 0;
  // An entry whose code begins with byte 0x00 or 0x01 is an empty or deleted
  // slot; any other first byte (a space included) is live.
  bool IsLive() const { return static_cast<unsigned char>(code[0]) > 1; }
};

struct ProductRecord {
  ProductCode code{};
  ProductName name{};
  Currency stockQuantity;
  Currency unitCost;
  int32_t lastJournalRow = 0;  // newest journal row; 0 or less = none
};

struct JournalRecord {
  char rowType = ' ';
  OleDate date = 0;
  ProductCode productCode{};
  Currency unitPrice;
  Currency quantity;
  Currency stockQuantityBefore;
  Currency unitCost;
  int16_t vatPercent = 0;
  int32_t previousProductRow = 0;  // same product's previous row; 0 or less = none
};

// Decoders take a pointer to a whole record of the file's length.
ProductIndexRecord DecodeIndexRecord(const char* bytes);
ProductRecord DecodeProductRecord(const char* bytes);
JournalRecord DecodeJournalRecord(const char* bytes);
// The journal date alone, for the binary search.
OleDate DecodeJournalDate(const char* bytes);

// Encoders write the decoded fields into a whole record (other bytes kept);
// the demo shop generator and tests make their files with them.
void EncodeIndexRecord(const ProductIndexRecord& record, char* bytes);
void EncodeProductRecord(const ProductRecord& record, char* bytes);
void EncodeJournalRecord(const JournalRecord& record, char* bytes);

// Single fields read straight from record bytes, for the passes over
// millions of rows: one load each on a little-endian machine (the files'
// own byte order), the byte-by-byte decoding elsewhere.
template <typename T>
T LoadField(const char* p) {
  if constexpr (std::endian::native == std::endian::little) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
  } else {
    return std::bit_cast<T>(
        static_cast<std::make_unsigned_t<std::conditional_t<sizeof(T) == 8, int64_t, T>>>(
            DecodeFixed(p, sizeof(T))));
  }
}
inline Currency LoadCurrency(const char* p) { return Currency::FromRaw(LoadField<int64_t>(p)); }

// "ABC" → "ABC" padded with spaces to the array's width (cut when longer).
template <size_t N>
std::array<char, N> PadText(std::string_view text) {
  std::array<char, N> out;
  out.fill(' ');
  for (size_t i = 0; i < N && i < text.size(); ++i) out[i] = text[i];
  return out;
}

}  // namespace sarvilax

#endif  // SARVILAX_POSDATA_RECORDS_H_
