#include "modem/ucp_frame.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

SubmitFrameInput Input(std::string message) {
  SubmitFrameInput input;
  input.message = std::move(message);
  input.recipient_number = "46701234567";
  input.sender_number = "7654321";
  return input;
}

TEST(UcpChecksumTest, SumsCodesAndKeepsLastTwoHexDigits) {
  EXPECT_EQ(UcpChecksum("00/00019/R/01/A//"), "68");
  EXPECT_EQ(UcpChecksum(std::string(300, '\xFF')), "D4");  // 0x12AD4
  // A one-digit sum still yields two digits.
  EXPECT_EQ(UcpChecksum("\x05"), "05");
  EXPECT_EQ(UcpChecksum(""), "00");
}

TEST(IraCharTest, EncodesTheTable) {
  EXPECT_EQ(EncodeIraChar('\xC5'), "0E");  // Å
  EXPECT_EQ(EncodeIraChar('\xE9'), "05");  // é
  EXPECT_EQ(EncodeIraChar('\xA3'), "01");  // £
  EXPECT_EQ(EncodeIraChar('\x80'), "3F");  // not in the table
  EXPECT_EQ(EncodeIraChar('@'), "00");
  EXPECT_EQ(EncodeIraChar('\\'), "2F");
  EXPECT_EQ(EncodeIraChar('\r'), "20");
  EXPECT_EQ(EncodeIraChar('$'), "02");
  EXPECT_EQ(EncodeIraChar('\n'), "A");
  EXPECT_EQ(EncodeIraChar('a'), "61");
}

TEST(IraCharTest, DecodesNationalPairsAndPlainValues) {
  EXPECT_EQ(DecodeIraPair("7B"), '\xE4');  // ä
  EXPECT_EQ(DecodeIraPair("01"), '\xA3');  // £
  EXPECT_EQ(DecodeIraPair("00"), '\0');    // not @
  EXPECT_EQ(DecodeIraPair("02"), '\x02');  // not $
  EXPECT_EQ(DecodeIraPair("41"), 'A');
  EXPECT_EQ(DecodeIraPair("G1"), '?');
  EXPECT_EQ(DecodeIraPair(""), '?');
}

TEST(ReceiptFrameTest, MatchesTheTable) {
  EXPECT_EQ(ReceiptFrame(0), "00/00019/R/01/A//68");
  EXPECT_EQ(ReceiptFrame(1), "01/00019/R/01/A//69");
  EXPECT_EQ(ReceiptFrame(9), "09/00019/R/01/A//71");
  EXPECT_EQ(ReceiptFrame(10), "10/00019/R/01/A//69");
  EXPECT_EQ(ReceiptFrame(40), "40/00019/R/01/A//6C");
  EXPECT_EQ(ReceiptFrame(41), ReceiptFrame(0));
  EXPECT_EQ(ReceiptFrame(-1), ReceiptFrame(0));
}

TEST(BuildSubmitFrameTest, NormalFormWithNationalCharacters) {
  std::string frame = BuildSubmitFrame(Input("\xC5\xC4\xD6"));
  EXPECT_EQ(frame, "00/00051/O/30/46701234567/7654321//1//////0E5B5C/" +
                       UcpChecksum("00/00051/O/30/46701234567/7654321//1//////0E5B5C/"));
  EXPECT_EQ(frame.size(), 51u);
}

TEST(BuildSubmitFrameTest, ChecksumCoversTheWholeText) {
  SubmitFrameInput input = Input("Hi @ home\\\r\n");
  input.ej_kvitto = true;
  input.transaction_reference = 7;
  std::string frame = BuildSubmitFrame(input);
  std::string body = frame.substr(0, frame.size() - 2);
  EXPECT_EQ(body, "07/00069/O/30/46701234567/7654321//0//////4869200020686F6D652F200A/");
  EXPECT_EQ(frame.substr(frame.size() - 2), UcpChecksum(body));
  EXPECT_EQ(frame.size(), 69u);
}

TEST(BuildSubmitFrameTest, LongestMessageHasThreeDigitLength) {
  SubmitFrameInput input;
  input.message = std::string(160, 'x');
  input.recipient_number = std::string(20, '1');
  input.sender_number = std::string(20, '2');
  std::string frame = BuildSubmitFrame(input);
  EXPECT_EQ(frame.substr(0, 9), "00/00387/");
  EXPECT_EQ(frame.size(), 387u);
}

TEST(BuildSubmitFrameTest, DeferredFormAlwaysUsesReferenceZero) {
  SubmitFrameInput input = Input("Hej");
  input.deferred = true;
  input.ej_kvitto = true;  // ignored: the deferred form always asks for a notification
  input.transaction_reference = 1;
  input.delivery_time = "2412241830";
  std::string frame = BuildSubmitFrame(input);
  EXPECT_EQ(frame.substr(0, frame.size() - 2),
            "00/00062/O/30/46701234567/7654321//1///1/2412241830//48656A/");
  EXPECT_EQ(frame.size(), 62u);
}

TEST(BuildSubmitFrameTest, ReferenceAbove99KeepsTwoDigits) {
  SubmitFrameInput input = Input("a");
  input.transaction_reference = 103;
  std::string frame = BuildSubmitFrame(input);
  EXPECT_EQ(frame.substr(0, 3), "03/");
  EXPECT_EQ(frame.size(), 47u);
}

TEST(NegativeAnswerCodeTest, ReadsTheSixthField) {
  EXPECT_EQ(NegativeAnswerCode("\x02"
                               "00/00022/R/30/N/02//05"),
            "02");
  EXPECT_EQ(NegativeAnswerCode("01/00020/R/30/N/24/"), "24");
  EXPECT_EQ(NegativeAnswerCode("01/00020/R/30/N/"), "");
  EXPECT_EQ(NegativeAnswerCode("01/00020/R/30/N"), "");
  EXPECT_EQ(NegativeAnswerCode(""), "");
}

TEST(NotificationTextTest, ReadsTheMessageOfAnOperation53Frame) {
  // "Levererat till 0701234567 \xC5\xC4\xD6" after the time stamp, Dst and Rsn.
  const std::string message = "4C65766572657261742074696C6C2030373031323334353637200E5B5C";
  const std::string body =
      "00/00000/O/53/0701234567/46700000000/////////////240101120005/0/000////" + message + "//";
  EXPECT_EQ(NotificationText("\x02" + body + UcpChecksum(body)),
            "Levererat till 0701234567 \xC5\xC4\xD6");
  // Cut inside the message field: what is there is decoded, nothing beyond.
  EXPECT_EQ(NotificationText(body.substr(0, body.find(message) + 5)), "Le\x07");
  EXPECT_EQ(NotificationText(body.substr(0, 40)), "");
}

TEST(NotificationTextTest, ReadsTheNinthFieldOfOtherOperations) {
  EXPECT_EQ(NotificationText("00/00000/O/01/0701234567///3/4F4B2000/3A"), std::string("OK \0", 4));
  EXPECT_EQ(NotificationText("00/00000/O/01/0701234567//"), "");
}

}  // namespace
}  // namespace tolvane
