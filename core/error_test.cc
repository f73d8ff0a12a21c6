#include "core/error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace sarvilax {
namespace {

TEST(ErrorTest, ErrnoTextIsThePlainDescription) {
  EXPECT_EQ(ErrnoText(ENOENT), "No such file or directory");
  EXPECT_EQ(ErrnoText(ENOSPC), "No space left on device");
  EXPECT_FALSE(ErrnoText(123456).empty());
}

}  // namespace
}  // namespace sarvilax
