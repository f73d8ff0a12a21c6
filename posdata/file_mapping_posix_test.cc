#include "posdata/file_mapping.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "core/error.h"
#include "tests/test_util.h"

namespace sarvilax {
namespace {

using testing::TempDir;
using testing::WriteFile;

constexpr int64_t kPage = 4096;

TEST(FileMappingTest, ReadsTheFileAsItIsNowAndSurvivesItsShortening) {
  TempDir dir;
  const std::string path = dir / "VARNU.001";
  WriteFile(path, std::string(3 * kPage, 'a'));
  const std::unique_ptr<FileMapping> mapping = FileMapping::Open(path);
  ASSERT_NE(mapping, nullptr);
  ASSERT_TRUE(mapping->Cover(3 * kPage));
  volatile char seen = 0;

  // A write made after the mapping is seen through it: it is the file.
  const int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, "b", 1, 2 * kPage + 5), 1);
  close(fd);
  auto third_page = [&] { seen = mapping->data()[2 * kPage + 5]; };
  EXPECT_TRUE(FileMapping::RunGuarded(third_page));
  EXPECT_EQ(seen, 'b');

  // Cut to one page: the first still reads, the third raises SIGBUS, which
  // the guard turns into a failed read, as often as it happens.
  ASSERT_EQ(truncate(path.c_str(), kPage), 0);
  auto first_page = [&] { seen = mapping->data()[100]; };
  EXPECT_TRUE(FileMapping::RunGuarded(first_page));
  EXPECT_FALSE(FileMapping::RunGuarded(third_page));
  EXPECT_FALSE(FileMapping::RunGuarded(third_page));

  // Guards nest: a fault inside an inner guard ends only that one.
  bool inner = true;
  auto outer = [&] {
    inner = FileMapping::RunGuarded(third_page);
    seen = mapping->data()[0];
  };
  EXPECT_TRUE(FileMapping::RunGuarded(outer));
  EXPECT_FALSE(inner);

  // Exceptions pass through a guard, which is gone afterwards: a fault
  // outside any guard ends the process as it would without one.
  auto throws = [] { Fail("thrown inside"); };
  EXPECT_THROW(FileMapping::RunGuarded(throws), Error);
  EXPECT_DEATH(third_page(), "");

  // Grown past the mapped part, the file is mapped anew.
  ASSERT_EQ(truncate(path.c_str(), 5 * kPage), 0);
  const int grown = open(path.c_str(), O_WRONLY);
  ASSERT_GE(grown, 0);
  ASSERT_EQ(pwrite(grown, "c", 1, 4 * kPage + 1), 1);
  close(grown);
  ASSERT_TRUE(mapping->Cover(5 * kPage));
  auto fifth_page = [&] { seen = mapping->data()[4 * kPage + 1]; };
  EXPECT_TRUE(FileMapping::RunGuarded(fifth_page));
  EXPECT_EQ(seen, 'c');

  EXPECT_EQ(FileMapping::Open(dir / "missing"), nullptr);
}

}  // namespace
}  // namespace sarvilax
