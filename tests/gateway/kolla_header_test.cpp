#include "gateway/kolla_header.h"

#include <gtest/gtest.h>

#include "gateway/form_encoding.h"

namespace tolvane {
namespace {

TEST(KollaHeaderTest, FirstCodeOfTheTableFoundAnywhereWins) {
  EXPECT_EQ(KollaHeader("HTTP/1.1 452 Gateway"), "Phone don\xB4t support SMS");
  // A substring test, in table order, not a parse of the code.
  EXPECT_EQ(KollaHeader("HTTP/1.1 434 code 200"), "Message delivered to recipients phone");
  EXPECT_EQ(KollaHeader(""), "Unknown status");
  // Only the two hundreds mean the gateway took the message.
  EXPECT_TRUE(GatewayAccepted("HTTP/1.1 213 Unknown"));
  EXPECT_FALSE(GatewayAccepted("HTTP/1.1 301 Moved"));
}

TEST(FormEncodingTest, MessageKeepsTheGatewaysOwnEscapes) {
  EXPECT_EQ(EscapeGatewayMessage("Line one\r\nLine two"), "Line+one%0D%0ALine+two");
  EXPECT_EQ(EscapeGatewayMessage("C++ #?=\xF6"), "C%2B%2B+#?=\xF6");
  EXPECT_EQ(FormEncode("a&b=c%d-._~ +"), "a%26b%3Dc%25d-._~%20%2B");
}

}  // namespace
}  // namespace tolvane
