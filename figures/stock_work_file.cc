#include "figures/stock_work_file.h"

#include <algorithm>
#include <cstring>

#include "core/coding.h"
#include "core/error.h"
#include "posdata/data_files.h"

namespace sarvilax {
namespace {

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
  pending_.append(bytes, sizeof bytes);
  if (pending_.size() >= kFlushBytes) Flush();
}

void StockWorkFile::Flush() {
  if (pending_.empty()) return;
  file_->WriteAt(flushed_length_, pending_);
  flushed_length_ += static_cast<int64_t>(pending_.size());
  pending_.clear();
}

StockWorkRecord StockWorkFile::Read(int64_t n) {
  Flush();
  char bytes[stock_work_layout::kLength];
  const size_t got = file_->ReadAt((n - 1) * stock_work_layout::kLength, sizeof bytes, bytes);
  std::memset(bytes + got, 0, sizeof bytes - got);
  return DecodeStockWorkRecord(bytes);
}

void StockWorkFile::Write(int64_t n, const StockWorkRecord& record) {
  Flush();
  char bytes[stock_work_layout::kLength];
  EncodeStockWorkRecord(record, bytes);
  const int64_t offset = (n - 1) * stock_work_layout::kLength;
  file_->WriteAt(offset, std::string_view(bytes, sizeof bytes));
  flushed_length_ = std::max(flushed_length_, offset + stock_work_layout::kLength);
}

int32_t StockWorkFile::CountRecords() {
  Flush();
  const int64_t count = RecordCountForLength(file_->Length(), stock_work_layout::kLength);
  if (count > INT32_MAX) Fail(std::string(kStockWorkFileName) + " holds too many records");
  return static_cast<int32_t>(count);
}

}  // namespace sarvilax
