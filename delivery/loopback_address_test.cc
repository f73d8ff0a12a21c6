#include "delivery/loopback_address.h"

#include <gtest/gtest.h>

namespace sarvilax {
namespace {

TEST(LoopbackAddressTest, OnlyAddressesOfThisMachine) {
  for (const char* here :
       {"127.0.0.1", "127.255.255.254", "127.0.1.1", "::1", "0:0:0:0:0:0:0:1", "0000::0001"}) {
    EXPECT_TRUE(IsLoopbackAddress(here)) << here;
  }
  for (const char* elsewhere :
       {"128.0.0.1", "10.0.0.1", "126.255.255.255", "::", "::2", "::ffff:10.0.0.1", "localhost",
        "relay.example.com", "", "127.0.0.1 ", "127.0.0.1.5", "fe80::1"}) {
    EXPECT_FALSE(IsLoopbackAddress(elsewhere)) << elsewhere;
  }
}

}  // namespace
}  // namespace sarvilax
