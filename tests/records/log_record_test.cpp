#include "records/log_record.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(LogRecordTest, TwoLineMessageBecomesOneLine) {
  LogRecord record{"2024-03-07", "09:05", "Temporary number 0701234567", "Message\r\nsent.",
                   "Hello\r\nWorld\n!"};
  EXPECT_EQ(record.ToLine(),
            "\"2024-03-07\",\"09:05\",\"Temporary number 0701234567\",\"Message sent.\","
            "\"Hello World !\"\r\n");
}

TEST(LogRecordTest, QuoteInsideFieldStillReadsBack) {
  LogRecord record{"d", "t", "Anna \"A\" 070", "ok", "Say \"hi\", then go"};
  std::string line = record.ToLine();
  LogRecord back = LogRecord::FromLine(line.substr(0, line.size() - 2));
  EXPECT_EQ(back.recipient, "Anna 'A' 070");
  EXPECT_EQ(back.result, "ok");
  EXPECT_EQ(back.message, "Say 'hi', then go");
}

TEST(LogRecordTest, FieldsAreTheTextsBetweenQuotePairs) {
  LogRecord full = LogRecord::FromLine("\"a\",\"b\" ,\"c,d\",\"\",\"e\"");
  EXPECT_EQ(full.date, "a");
  EXPECT_EQ(full.time, "b");
  EXPECT_EQ(full.recipient, "c,d");
  EXPECT_EQ(full.result, "");
  EXPECT_EQ(full.message, "e");

  LogRecord cut = LogRecord::FromLine("\"a\",\"b\",\"c");
  EXPECT_EQ(cut.time, "b");
  EXPECT_EQ(cut.recipient, "");
  EXPECT_EQ(cut.message, "");

  LogRecord none = LogRecord::FromLine("no quotes at all");
  EXPECT_EQ(none.date, "");
  EXPECT_EQ(none.message, "");
}

TEST(LogRecordTest, CancelledTextsDifferBetweenLogAndReceiptFile) {
  EXPECT_EQ(LogResult(true, "Busy"), "Sending Cancelled.");
  EXPECT_EQ(ReceiptResult(true, "Busy"), "Sending cancelled");
  EXPECT_EQ(LogResult(false, "Busy"), "Busy");
  EXPECT_EQ(ReceiptResult(false, "Busy"), "Busy");
}

}  // namespace
}  // namespace tolvane
