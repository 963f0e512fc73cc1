#include "bulk/command_line_sending.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;

// Every field of an order: marker|number|message|receipt file (- for none)|count.
std::string Fields(const CommandLineOrder& order) {
  return order.field1 + "|" + order.field2 + "|" + order.message + "|" +
         (order.write_receipt_file ? order.receipt_file_name : "-") + "|" +
         std::to_string(order.doubled_separators);
}

TEST(CommandLineOrderTest, FieldsSitBetweenDoubledSeparators) {
  const struct {
    const char* text;
    const char* separator;
    const char* fields;
  } kOrders[] = {
      {"N//070-123 45//Hello there", "/", "N|070-123 45|Hello there|-|2"},
      // A fourth field names the receipt file, without its line breaks.
      {"N##0701##Hi##out\r\n.txt\r\n", "#", "N|0701|Hi|out.txt|3"},
      {"N//0701//Hi//\r\n", "/", "N|0701|Hi|kvitto.txt|3"},
      // A doubled separator inside the message starts the receipt name.
      {"N//0701//see http://example.org", "/", "N|0701|see http:|example.org|3"},
      // An order may start with its delimiter: the marker is then empty.
      {"//0701//Hi", "/", "|0701|Hi|-|2"},
      // A run of separators counts one less than its length: three make a
      // receipt file of the default name.
      {"N///0701//Hi", "/", "N|/0701|Hi|kvitto.txt|3"},
      {"N/0701/Hi", "/", "N/0701/Hi|||-|0"},
      {"N//0701", "/", "N|0701||-|1"},
      // The currency sign is one character of two bytes.
      {"N¤¤0701¤¤Hej ¤ då", "¤", "N|0701|Hej ¤ då|-|2"},
  };
  for (const auto& order : kOrders) {
    EXPECT_EQ(Fields(ParseCommandLineOrder(order.text, order.separator)), order.fields)
        << order.text;
  }
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
