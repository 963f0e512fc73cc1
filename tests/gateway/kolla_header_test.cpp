#include "gateway/kolla_header.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "gateway/form_encoding.h"

namespace tolvane {
namespace {

TEST(KollaHeaderTest, EveryCodeOfTheTableHasItsText) {
  constexpr char kLater[] =
      "The phone is unreachable or switched off - message will be delivered later";
  const std::pair<const char*, const char*> table[] = {
      {"200", "Message delivered to recipients phone"},
      {"202", "Message placed in message queue, will be sent soon"},
      {"210", kLater},
      {"211", "Phone full"},
      {"212", kLater},
      {"213", "Message sent but delivery status is unknown"},
      {"400", "Error in call"},
      {"430",
       "Message account is zero - you need to fill up the account before sending more messages"},
      {"431", "Account closed due to abuse - contact the administrator"},
      {"432", "Account closed"},
      {"433", "Account don´t exist"},
      {"434", "Not a valid password"},
      {"440", "Message too long"},
      {"450", "Unknown subscriber or not a valid phone number"},
      {"451", "Call barred"},
      {"452", "Phone don´t support SMS"},
      {"453", "You are not allowed to send to this phone"},
      {"500", "Unknown error"},
      {"530", "Error in norvoServer"},
      {"560", "Unknown error"},
  };
  for (auto [code, text] : table) {
    EXPECT_EQ(KollaHeader(std::string("HTTP/1.1 ") + code + " Reason"), text) << code;
    // Only the two hundreds mean the gateway took the message.
    EXPECT_EQ(GatewayAccepted(std::string("HTTP/1.1 ") + code + " Reason"), code[0] == '2') << code;
  }
  for (const char* other : {"HTTP/1.1 201 Created", "HTTP/1.1 301 Moved", "HTTP/1.1 404 x", ""}) {
    EXPECT_EQ(KollaHeader(other), "Unknown status") << other;
    EXPECT_FALSE(GatewayAccepted(other)) << other;
  }
  // The first code of the table found anywhere wins: a substring test, in
  // table order, not a parse of the code.
  EXPECT_EQ(KollaHeader("HTTP/1.1 434 code 200"), "Message delivered to recipients phone");
  EXPECT_EQ(KollaHeader("HTTP/1.1 404 Not found 560"), "Unknown error");
}

TEST(FormEncodingTest, MessageKeepsTheGatewaysOwnEscapes) {
  EXPECT_EQ(EscapeGatewayMessage("Line one\r\nLine two"), "Line+one%0D%0ALine+two");
  EXPECT_EQ(EscapeGatewayMessage("C++ #?=\xF6"), "C%2B%2B+#?=\xF6");
  EXPECT_EQ(FormEncode("a&b=c%d-._~ +"), "a%26b%3Dc%25d-._~%20%2B");
}

}  // namespace
}  // namespace tolvane
