#include "gateway/form_encoding.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(FormEncodingTest, MessageKeepsTheGatewaysOwnEscapes) {
  EXPECT_EQ(EscapeGatewayMessage("50% off & more"), "50/+off+%26+more");
  EXPECT_EQ(EscapeGatewayMessage("Line one\r\nLine two"), "Line+one%0D%0ALine+two");
  EXPECT_EQ(EscapeGatewayMessage("C++ #?=\xF6"), "C%2B%2B+#?=\xF6");
  EXPECT_EQ(FormEncode("Kalle Anka+1"), "Kalle%20Anka%2B1");
  EXPECT_EQ(FormEncode("a&b=c%d-._~"), "a%26b%3Dc%25d-._~");
}

}  // namespace
}  // namespace tolvane
