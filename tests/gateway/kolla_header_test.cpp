#include "gateway/kolla_header.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(KollaHeaderTest, FirstCodeOfTheTableFoundAnywhereWins) {
  EXPECT_EQ(KollaHeader("HTTP/1.1 560 Gateway"), "Unknown error");
  EXPECT_EQ(KollaHeader("HTTP/1.1 452 Gateway"), "Phone don\xB4t support SMS");
  // A substring test, in table order, not a parse of the code.
  EXPECT_EQ(KollaHeader("HTTP/1.1 434 code 200"), "Message delivered to recipients phone");
  EXPECT_EQ(KollaHeader(""), "Unknown status");
}

TEST(KollaHeaderTest, OnlyTheTwoHundredsMeanTheGatewayTookTheMessage) {
  EXPECT_TRUE(GatewayAccepted("HTTP/1.1 200 OK"));
  EXPECT_TRUE(GatewayAccepted("HTTP/1.1 213 Unknown"));
  EXPECT_FALSE(GatewayAccepted("HTTP/1.1 433 No account"));
  EXPECT_FALSE(GatewayAccepted("HTTP/1.1 301 Moved"));
}

}  // namespace
}  // namespace tolvane
