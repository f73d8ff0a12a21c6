#include "figures/stock_work_file.h"

#include <algorithm>
#include <cstring>

#include "core/coding.h"
#include "core/error.h"
#include "posdata/data_files.h"

namespace sarvilax {
namespace {

// Appended records are written a megabyte at a time.
constexpr size_t kFlushBytes = 1 << 20;

}  // namespace

void EncodeStockWorkRecord(const StockWorkRecord& r, char* bytes) {
  using namespace stock_work_layout;
  std::copy(r.code.begin(), r.code.end(), bytes + kCode);
  std::copy(r.name.begin(), r.name.end(), bytes + kName);
  EncodeInt64(bytes + kQuantitySold, r.quantitySold.raw());
  EncodeInt64(bytes + kNetSales, r.netSales.raw());
  EncodeInt64(bytes + kMargin, r.margin.raw());
}

StockWorkRecord DecodeStockWorkRecord(const char* bytes) {
  using namespace stock_work_layout;
  StockWorkRecord r;
  std::copy_n(bytes + kCode, r.code.size(), r.code.begin());
  std::copy_n(bytes + kName, r.name.size(), r.name.begin());
  r.quantitySold = Currency::FromRaw(DecodeInt64(bytes + kQuantitySold));
  r.netSales = Currency::FromRaw(DecodeInt64(bytes + kNetSales));
  r.margin = Currency::FromRaw(DecodeInt64(bytes + kMargin));
  return r;
}

StockWorkFile::StockWorkFile(Env& env) {
  DeleteWorkFile(env, kStockWorkFileName);
  file_ = env.CreateWorkFile(kStockWorkFileName);
}

StockWorkFile::~StockWorkFile() = default;

void StockWorkFile::Append(const StockWorkRecord& record) {
  char bytes[stock_work_layout::kLength];
  EncodeStockWorkRecord(record, bytes);
  AppendRecords(std::string_view(bytes, sizeof bytes));
}

void StockWorkFile::AppendRecords(std::string_view records) {
  MarkChanged(image_.size(), image_.size() + records.size());
  image_.append(records);
  if (changed_end_ - changed_begin_ >= kFlushBytes) Flush();
}

void StockWorkFile::AppendRecords(std::string&& records) {
  if (!image_.empty()) return AppendRecords(std::string_view(records));
  MarkChanged(0, records.size());
  image_ = std::move(records);
  Flush();
}

void StockWorkFile::MarkChanged(size_t begin, size_t end) {
  if (changed_begin_ == changed_end_) {
    changed_begin_ = begin;
    changed_end_ = end;
  } else {
    changed_begin_ = std::min(changed_begin_, begin);
    changed_end_ = std::max(changed_end_, end);
  }
}

void StockWorkFile::Flush() {
  if (changed_begin_ == changed_end_) return;
  file_->WriteAt(static_cast<int64_t>(changed_begin_),
                 std::string_view(image_).substr(changed_begin_, changed_end_ - changed_begin_));
  changed_begin_ = changed_end_ = 0;
}

char* StockWorkFile::RecordAt(int64_t n) {
  const size_t offset = static_cast<size_t>(n - 1) * stock_work_layout::kLength;
  // A record past the end reads as zero bytes, as the file would give it.
  if (image_.size() < offset + stock_work_layout::kLength) {
    image_.resize(offset + stock_work_layout::kLength, '\0');
  }
  return image_.data() + offset;
}

void StockWorkFile::AddSale(int64_t n, Currency quantity, Currency net_sale,
                            std::optional<Currency> margin) {
  using namespace stock_work_layout;
  const size_t size_before = image_.size();
  char* bytes = RecordAt(n);
  auto at = [bytes](int field) { return Currency::FromRaw(DecodeInt64(bytes + field)); };
  try {
    const Currency quantity_sold = at(kQuantitySold) + quantity;
    const Currency net_sales = at(kNetSales) + net_sale;
    const Currency record_margin = margin ? at(kMargin) + *margin : at(kMargin);
    EncodeInt64(bytes + kQuantitySold, quantity_sold.raw());
    EncodeInt64(bytes + kNetSales, net_sales.raw());
    EncodeInt64(bytes + kMargin, record_margin.raw());
  } catch (...) {
    image_.resize(size_before);  // the file was never written past its end
    throw;
  }
  const size_t offset = static_cast<size_t>(bytes - image_.data());
  MarkChanged(offset, offset + kLength);
}

StockWorkRecord StockWorkFile::Read(int64_t n) {
  const size_t offset = static_cast<size_t>(n - 1) * stock_work_layout::kLength;
  char bytes[stock_work_layout::kLength] = {};
  if (offset < image_.size()) {
    image_.copy(bytes, std::min<size_t>(sizeof bytes, image_.size() - offset), offset);
  }
  return DecodeStockWorkRecord(bytes);
}

void StockWorkFile::Write(int64_t n, const StockWorkRecord& record) {
  char* bytes = RecordAt(n);
  EncodeStockWorkRecord(record, bytes);
  const size_t offset = static_cast<size_t>(bytes - image_.data());
  MarkChanged(offset, offset + stock_work_layout::kLength);
  Flush();
}

std::string_view StockWorkFile::Records(int32_t count) {
  Flush();
  return std::string_view(image_).substr(0,
                                         static_cast<size_t>(count) * stock_work_layout::kLength);
}

int32_t StockWorkFile::CountRecords() {
  Flush();
  const int64_t count = RecordCountForLength(file_->Length(), stock_work_layout::kLength);
  if (count > INT32_MAX) Fail(std::string(kStockWorkFileName) + " holds too many records");
  return static_cast<int32_t>(count);
}

}  // namespace sarvilax
