#include "posdata/records.h"

#include <algorithm>

#include "core/coding.h"

namespace sarvilax {
namespace {

template <size_t N>
std::array<char, N> DecodeText(const char* p) {
  std::array<char, N> out;
  std::copy_n(p, N, out.begin());
  return out;
}

template <size_t N>
void EncodeText(const std::array<char, N>& text, char* p) {
  std::copy(text.begin(), text.end(), p);
}

Currency DecodeCurrency(const char* p) { return Currency::FromRaw(DecodeInt64(p)); }
void EncodeCurrency(char* p, Currency value) { EncodeInt64(p, value.raw()); }

}  // namespace

ProductIndexRecord DecodeIndexRecord(const char* bytes) {
  using namespace index_layout;
  ProductIndexRecord r;
  r.code = DecodeText<13>(bytes + kCode);
  r.productRecord = DecodeInt32(bytes + kProductRecord);
  return r;
}

ProductRecord DecodeProductRecord(const char* bytes) {
  using namespace product_layout;
  ProductRecord r;
  r.code = DecodeText<13>(bytes + kCode);
  r.name = DecodeText<25>(bytes + kName);
  r.stockQuantity = DecodeCurrency(bytes + kStockQuantity);
  r.unitCost = DecodeCurrency(bytes + kUnitCost);
  r.lastJournalRow = DecodeInt32(bytes + kLastJournalRow);
  return r;
}

JournalRecord DecodeJournalRecord(const char* bytes) {
  using namespace journal_layout;
  JournalRecord r;
  r.rowType = bytes[kRowType];
  r.date = DecodeDouble(bytes + kDate);
  r.productCode = DecodeText<13>(bytes + kProductCode);
  r.unitPrice = DecodeCurrency(bytes + kUnitPrice);
  r.quantity = DecodeCurrency(bytes + kQuantity);
  r.stockQuantityBefore = DecodeCurrency(bytes + kStockQuantityBefore);
  r.unitCost = DecodeCurrency(bytes + kUnitCost);
  r.vatPercent = DecodeInt16(bytes + kVatPercent);
  r.previousProductRow = DecodeInt32(bytes + kPreviousProductRow);
  return r;
}

OleDate DecodeJournalDate(const char* bytes) { return DecodeDouble(bytes + journal_layout::kDate); }

void EncodeIndexRecord(const ProductIndexRecord& r, char* bytes) {
  using namespace index_layout;
  EncodeText(r.code, bytes + kCode);
  EncodeInt32(bytes + kProductRecord, r.productRecord);
}

void EncodeProductRecord(const ProductRecord& r, char* bytes) {
  using namespace product_layout;
  EncodeText(r.code, bytes + kCode);
  EncodeText(r.name, bytes + kName);
  EncodeCurrency(bytes + kStockQuantity, r.stockQuantity);
  EncodeCurrency(bytes + kUnitCost, r.unitCost);
  EncodeInt32(bytes + kLastJournalRow, r.lastJournalRow);
}

void EncodeJournalRecord(const JournalRecord& r, char* bytes) {
  using namespace journal_layout;
  bytes[kRowType] = r.rowType;
  EncodeDouble(bytes + kDate, r.date);
  EncodeText(r.productCode, bytes + kProductCode);
  EncodeCurrency(bytes + kUnitPrice, r.unitPrice);
  EncodeCurrency(bytes + kQuantity, r.quantity);
  EncodeCurrency(bytes + kStockQuantityBefore, r.stockQuantityBefore);
  EncodeCurrency(bytes + kUnitCost, r.unitCost);
  EncodeInt16(bytes + kVatPercent, r.vatPercent);
  EncodeInt32(bytes + kPreviousProductRow, r.previousProductRow);
}

}  // namespace sarvilax
