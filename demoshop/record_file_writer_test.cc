#include "demoshop/record_file_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/error.h"
#include "tests/test_util.h"

namespace sarvilax {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::TempDir;

TEST(RecordFileWriterTest, AppearsWholeOnlyAfterCommit) {
  TempDir dir;
  const std::string path = dir / "VARNU.001";
  {
    RecordFileWriter writer(path, std::string("ab\0", 3));
    // Enough records to fill the buffer several times over.
    for (int i = 0; i < 7'000'000; ++i) writer.AppendRecord()[2] = static_cast<char>('0' + i % 10);
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(21'000'000, writer.bytes());
    writer.Commit();
  }
  const std::string contents = ReadFile(path);
  ASSERT_EQ(21'000'000u, contents.size());
  EXPECT_EQ("ab0ab1ab2", contents.substr(0, 9));
  EXPECT_EQ("ab9", contents.substr(contents.size() - 3));
  EXPECT_FALSE(Exists(path + ".partial"));
}

TEST(RecordFileWriterTest, AbandonedWriteLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir / "VARNU.004";
  testing::WriteFile(path, "old");
  {
    RecordFileWriter writer(path, "xy");
    std::memcpy(writer.AppendRecord(), "zz", 2);
  }
  EXPECT_EQ("old", ReadFile(path));
  EXPECT_FALSE(Exists(path + ".partial"));
  try {
    RecordFileWriter writer(dir / "no/such/VARNU.004", "xy");
    FAIL() << "no error for a missing folder";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("no/such/VARNU.004"), std::string::npos);
  }
}

}  // namespace
}  // namespace sarvilax
