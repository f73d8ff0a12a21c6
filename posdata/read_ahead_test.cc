#include "posdata/read_ahead.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "core/memory_env.h"

namespace sarvilax {
namespace {

// A file whose reads at one offset fail, as a failing disk's would.
class FailingFile : public ReadableFile {
 public:
  FailingFile(std::string contents, int64_t failing_offset)
      : contents_(std::move(contents)), failing_offset_(failing_offset) {}
  int64_t Length() override { return static_cast<int64_t>(contents_.size()); }
  size_t ReadAt(int64_t offset, size_t n, char* buffer) override {
    if (offset == failing_offset_) Fail("cannot read VARNU.004: Input/output error");
    if (offset >= Length()) return 0;
    const size_t got = std::min(n, contents_.size() - static_cast<size_t>(offset));
    contents_.copy(buffer, got, static_cast<size_t>(offset));
    return got;
  }

 private:
  std::string contents_;
  int64_t failing_offset_;
};

// The journal's record length.
constexpr size_t kRow = 104;

TEST(ReadAheadTest, ReadsOnTheSecondThreadAndHandsOverItsError) {
  std::string contents;
  for (int n = 0; n < 100; ++n) contents += std::string(kRow, static_cast<char>('0' + n % 10));
  RecordFile journal(std::make_unique<FailingFile>(contents, 60 * kRow), static_cast<int>(kRow),
                     "VARNU.004");
  ReadAhead read_ahead(journal);
  EXPECT_FALSE(read_ahead.busy());
  std::vector<char> buffer(20 * kRow);
  read_ahead.Start(11, 20, buffer.data());
  EXPECT_TRUE(read_ahead.busy());
  read_ahead.Wait();
  EXPECT_FALSE(read_ahead.busy());
  EXPECT_EQ(std::string(buffer.data(), kRow), std::string(kRow, '0'));       // record 11
  EXPECT_EQ(std::string(&buffer[19 * kRow], kRow), std::string(kRow, '9'));  // record 30

  read_ahead.Start(61, 5, buffer.data());
  EXPECT_THROW(read_ahead.Wait(), Error);
  EXPECT_FALSE(read_ahead.busy());
  read_ahead.Start(91, 20, buffer.data());  // records past the end read as zeros
  read_ahead.Wait();
  EXPECT_EQ(std::string(&buffer[9 * kRow], kRow), std::string(kRow, '9'));  // record 100
  EXPECT_EQ(std::string(&buffer[10 * kRow], 10 * kRow), std::string(10 * kRow, '\0'));

  // A read still running when the reader goes is waited for, its error dropped.
  auto dropped = std::make_unique<ReadAhead>(journal);
  dropped->Start(61, 5, buffer.data());
  dropped.reset();
}

}  // namespace
}  // namespace sarvilax
