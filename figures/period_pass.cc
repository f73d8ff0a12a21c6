#include "figures/period_pass.h"

#include <array>

#include "core/checked_math.h"
#include "core/cp1252.h"
#include "core/error.h"
#include "figures/currency_ops.h"
#include "figures/pass_progress.h"
#include "posdata/lookups.h"

namespace sarvilax {
namespace {

using currency_ops::Add;
using currency_ops::AddOne;
using currency_ops::FromDouble;
using currency_ops::Multiply;
using currency_ops::Subtract;

// The divisor of a VAT rate, vat / 100 + 1, worked out once per pass for
// the rates a shop uses rather than once per row.
class VatDivisor {
 public:
  VatDivisor() {
    for (int vat = 0; vat < kTabled; ++vat) divisors_[vat] = vat / 100.0 + 1;
  }
  double Of(int16_t vat) const {
    return vat >= 0 && vat < kTabled ? divisors_[vat] : vat / 100.0 + 1;
  }

 private:
  static constexpr int kTabled = 128;
  std::array<double, kTabled> divisors_;
};

SaleRow PriceSale(Currency unit_price, Currency quantity, Currency unit_cost, double divisor) {
  const Currency gross = Multiply(unit_price, quantity);
  if (divisor == 0.0) Divide(gross.ToDouble(), divisor, "the VAT of a sale row");  // throws
  SaleRow sale;
  sale.netSale = FromDouble(gross.ToDouble() / divisor);
  sale.cost = Multiply(unit_cost, quantity);
  sale.margin = Subtract(sale.netSale, sale.cost);
  return sale;
}

// How far ahead of the row being summed its successors are fetched into
// the cache: the block was read on another thread, into its core's cache.
// (A prefetch past the end of the block does no harm.)
constexpr int64_t kPrefetchBytes = int64_t{40} * journal_layout::kLength;

enum class RowKind : uint8_t { kOther, kCustomer, kSale };

// The kind of a row by its type byte, upper-cased as code page 1252 does.
const std::array<RowKind, 256> kRowKinds = [] {
  std::array<RowKind, 256> kinds{};
  for (int byte = 0; byte < 256; ++byte) {
    const char upper = ToUpperCp1252(static_cast<char>(byte));
    kinds[byte] =
        upper == 'A' ? RowKind::kCustomer : (upper == 'M' ? RowKind::kSale : RowKind::kOther);
  }
  return kinds;
}();

// Adds a sale to the work record of its product, when the product is in
// the index; a sale of an unknown code counts only in the period sums.
void AddToWorkFile(DataFiles& files, StockWorkFile& work_file, const char* row, Currency quantity,
                   const SaleRow& sale) {
  ProductCode code;
  std::copy_n(row + journal_layout::kProductCode, code.size(), code.begin());
  const int32_t n = FindProductIndex(files, code);
  if (n <= 0) return;
  work_file.AddSale(n, quantity, sale.netSale,
                    sale.cost.IsZero() ? std::nullopt : std::optional<Currency>(sale.margin));
}

void AddSale(const SaleRow& sale, PeriodFigures& figures) {
  figures.salesRows = AddOne(figures.salesRows);
  figures.netSales = Add(figures.netSales, sale.netSale);
  if (!sale.cost.IsZero()) {
    figures.costedNetSales = Add(figures.costedNetSales, sale.netSale);
    figures.margin = Add(figures.margin, sale.margin);
  }
  figures.cost = Add(figures.cost, sale.cost);
}

}  // namespace

SaleRow PriceSaleRow(const JournalRecord& row) {
  return PriceSale(row.unitPrice, row.quantity, row.unitCost, VatDivisor().Of(row.vatPercent));
}

void RunPeriodPass(DataFiles& files, Window& window, const std::string& caption, int64_t first,
                   int64_t last, PeriodFigures& figures, StockWorkFile* work_file) {
  using namespace journal_layout;
  window.SetPhase(caption);
  bool sale_pending = false;
  const VatDivisor vat_divisor;
  RecordScanner scanner(files.journal(), first, last);
  PassProgress progress(window, last - first + 1);
  int64_t k = first;
  try {
    int64_t count = 0;
    for (const char* block = scanner.NextBlock(&count); block != nullptr;
         block = scanner.NextBlock(&count)) {
      const char* const end = block + count * kLength;
      for (const char* bytes = block; bytes != end; bytes += kLength, ++k) {
        // See kPrefetchBytes.
        __builtin_prefetch(bytes + kPrefetchBytes);
        __builtin_prefetch(bytes + kPrefetchBytes + 64);
        switch (kRowKinds[static_cast<unsigned char>(bytes[kRowType])]) {
          case RowKind::kCustomer:
            if (sale_pending) {
              figures.customers = AddOne(figures.customers);
              sale_pending = false;
            }
            break;
          case RowKind::kSale: {
            sale_pending = true;
            const Currency quantity = LoadCurrency(bytes + kQuantity);
            const SaleRow sale = PriceSale(LoadCurrency(bytes + kUnitPrice), quantity,
                                           LoadCurrency(bytes + kUnitCost),
                                           vat_divisor.Of(LoadField<int16_t>(bytes + kVatPercent)));
            AddSale(sale, figures);
            if (work_file != nullptr) AddToWorkFile(files, *work_file, bytes, quantity, sale);
            break;
          }
          case RowKind::kOther:
            break;
        }
        progress.Done(k - first + 1);
      }
    }
    if (work_file != nullptr) work_file->Flush();
  } catch (const ArithmeticError& e) {
    throw ArithmeticError(std::string(e.what()) + " at journal row " + std::to_string(k) + " of " +
                          files.journal().path() + " (" + caption + ")");
  }
}

}  // namespace sarvilax
