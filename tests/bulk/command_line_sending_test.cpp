#include "bulk/command_line_sending.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;

TEST(CommandLineOrderTest, FieldsSitBetweenDoubledSeparators) {
  CommandLineOrder order = ParseCommandLineOrder("N//070-123 45//Hello there", "/");
  EXPECT_EQ(order.field1, "N");
  EXPECT_EQ(order.field2, "070-123 45");
  EXPECT_EQ(order.message, "Hello there");
  EXPECT_FALSE(order.write_receipt_file);
  EXPECT_EQ(order.doubled_separators, 2);

  // A fourth field names the receipt file, without its line breaks.
  order = ParseCommandLineOrder("N##0701##Hi##out\r\n.txt\r\n", "#");
  EXPECT_TRUE(order.write_receipt_file);
  EXPECT_EQ(order.message, "Hi");
  EXPECT_EQ(order.receipt_file_name, "out.txt");
  EXPECT_EQ(ParseCommandLineOrder("N//0701//Hi//\r\n", "/").receipt_file_name, "kvitto.txt");
  // A doubled separator inside the message starts the receipt name.
  order = ParseCommandLineOrder("N//0701//see http://example.org", "/");
  EXPECT_EQ(order.message, "see http:");
  EXPECT_EQ(order.receipt_file_name, "example.org");

  // An order may start with its delimiter: the marker is then empty.
  order = ParseCommandLineOrder("//0701//Hi", "/");
  EXPECT_EQ(order.doubled_separators, 2);
  EXPECT_EQ(order.field1, "");
  EXPECT_EQ(order.field2, "0701");
  EXPECT_EQ(order.message, "Hi");

  // A run of separators counts one less than its length.
  EXPECT_EQ(ParseCommandLineOrder("N///0701//Hi", "/").doubled_separators, 3);
  EXPECT_EQ(ParseCommandLineOrder("N/0701/Hi", "/").doubled_separators, 0);
  EXPECT_EQ(ParseCommandLineOrder("N//0701", "/").message, "");

  // The currency sign is one character of two bytes.
  order = ParseCommandLineOrder("N¤¤0701¤¤Hej ¤ då", "¤");
  EXPECT_EQ(order.doubled_separators, 2);
  EXPECT_EQ(order.field2, "0701");
  EXPECT_EQ(order.message, "Hej ¤ då");
}

TEST(SplitNumberListTest, TrailingCommaAndLeadingLineFeedMakeNoDifference) {
  EXPECT_THAT(SplitNumberList("0701,0702,"), ElementsAre("0701", "0702"));
  EXPECT_THAT(SplitNumberList("\n0701,0702"), ElementsAre("0701", "0702"));
  // Only the first line feed goes; an empty entry stays an entry.
  EXPECT_THAT(SplitNumberList("\n\n0701,,"), ElementsAre("\n0701", ""));
  EXPECT_THAT(SplitNumberList(","), ElementsAre(""));
}

}  // namespace
}  // namespace tolvane
