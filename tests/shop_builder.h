// Builds small point-of-sale data folders in a MemoryEnv for tests: products
// with their index entries, and journal rows whose per-product chains are
// linked as the point-of-sale program links them.
#ifndef SARVILAX_TESTS_SHOP_BUILDER_H_
#define SARVILAX_TESTS_SHOP_BUILDER_H_

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/currency.h"
#include "core/memory_env.h"
#include "posdata/records.h"

namespace sarvilax::testing {

inline Currency C(double value) { return Currency::FromDouble(value); }

class ShopBuilder {
 public:
  // Adds a product with its current stock and cost; returns its record number.
  int AddProduct(const std::string& code, const std::string& name, double stock = 0,
                 double cost = 0) {
    ProductRecord p;
    p.code = PadText<13>(code);
    p.name = PadText<25>(name);
    p.stockQuantity = C(stock);
    p.unitCost = C(cost);
    products_.push_back(p);
    const int n = static_cast<int>(products_.size());
    ProductIndexRecord entry;
    entry.code = p.code;
    entry.productRecord = n;
    index_.push_back(entry);
    return n;
  }

  // An index entry that is not live (first byte 0x01 or 0x00).
  void AddFreeSlot(char first_byte = '\x01', int product_record = 1) {
    ProductIndexRecord entry;
    entry.code = PadText<13>("");
    entry.code[0] = first_byte;
    entry.productRecord = product_record;
    free_slots_.push_back(entry);
  }

  // Appends a journal row and links it into its product's chain (when the
  // code belongs to a product). Returns its record number.
  int AddRow(char type, OleDate date, const std::string& code, double price = 0,
             double quantity = 0, double stock_before = 0, double cost = 0, int vat = 24) {
    JournalRecord row;
    row.rowType = type;
    row.date = date;
    row.productCode = PadText<13>(code);
    row.unitPrice = C(price);
    row.quantity = C(quantity);
    row.stockQuantityBefore = C(stock_before);
    row.unitCost = C(cost);
    row.vatPercent = static_cast<int16_t>(vat);
    const int n = static_cast<int>(journal_.size()) + 1;
    for (ProductRecord& p : products_) {
      if (p.code == row.productCode) {
        row.previousProductRow = p.lastJournalRow;
        p.lastJournalRow = n;
      }
    }
    journal_.push_back(row);
    return n;
  }

  JournalRecord& Row(int n) { return journal_[n - 1]; }
  ProductRecord& Product(int n) { return products_[n - 1]; }

  // Writes VARNU.001 (sorted by code), VARNU.002 and VARNU.004 under dir.
  void WriteTo(MemoryEnv& env, const std::string& dir = "") const {
    std::vector<ProductIndexRecord> index = index_;
    std::sort(index.begin(), index.end(), [](const auto& a, const auto& b) {
      return std::lexicographical_compare(
          a.code.begin(), a.code.end(), b.code.begin(), b.code.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
          });
    });
    index.insert(index.begin(), free_slots_.begin(), free_slots_.end());
    env.SetFile(dir + kIndexFileName, Encode(index, index_layout::kLength, EncodeIndexRecord));
    env.SetFile(dir + kProductFileName,
                Encode(products_, product_layout::kLength, EncodeProductRecord));
    env.SetFile(dir + kJournalFileName,
                Encode(journal_, journal_layout::kLength, EncodeJournalRecord));
  }

 private:
  template <typename Record, typename Encoder>
  static std::string Encode(const std::vector<Record>& records, int length, Encoder encode) {
    std::string bytes(records.size() * length, ' ');
    for (size_t i = 0; i < records.size(); ++i) encode(records[i], bytes.data() + i * length);
    return bytes;
  }

  std::vector<ProductRecord> products_;
  std::vector<ProductIndexRecord> index_;
  std::vector<ProductIndexRecord> free_slots_;
  std::vector<JournalRecord> journal_;
};

}  // namespace sarvilax::testing

#endif  // SARVILAX_TESTS_SHOP_BUILDER_H_
