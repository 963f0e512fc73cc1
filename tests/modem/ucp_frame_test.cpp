#include "modem/ucp_frame.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
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

TEST(UcpFrameTest, SubmitFramesCountTheirLengthAndChecksumTheWholeText) {
  EXPECT_EQ(BuildSubmitFrame(Input("\xC5\xC4\xD6")),
            "00/00051/O/30/46701234567/7654321//1//////0E5B5C/" +
                UcpChecksum("00/00051/O/30/46701234567/7654321//1//////0E5B5C/"));

  SubmitFrameInput input = Input("Hi @ home\\\r\n");
  input.ej_kvitto = true;
  input.transaction_reference = 103;  // keeps two digits
  std::string frame = BuildSubmitFrame(input);
  std::string body = frame.substr(0, frame.size() - 2);
  EXPECT_EQ(body, "03/00069/O/30/46701234567/7654321//0//////4869200020686F6D652F200A/");
  EXPECT_EQ(frame.substr(frame.size() - 2), UcpChecksum(body));

  input = Input("Hej");
  input.deferred = true;
  input.ej_kvitto = true;  // ignored: the deferred form always asks for a notification
  input.transaction_reference = 1;
  input.delivery_time = "2412241830";
  EXPECT_EQ(BuildSubmitFrame(input).substr(0, 60),
            "00/00062/O/30/46701234567/7654321//1///1/2412241830//48656A/");
}

// A result frame with its LEN filled in and its checksum appended.
std::string Sealed(const std::string& trn, const std::string& rest) {
  std::string body = trn + "/00000/" + rest;
  std::string len = std::to_string(body.size() + 2);
  body.replace(3, 5, std::string(5 - len.size(), '0') + len);
  return body + UcpChecksum(body);
}

TEST(ReadSubmitAnswerTest, EveryCutEveryChangedCharacterAndRandomBytesAreRefused) {
  const std::string positive = Sealed("00", "R/30/A//0701234567:061226100000/");
  ASSERT_TRUE(ReadSubmitAnswer(positive).value().positive);
  for (size_t size = 0; size < positive.size(); ++size) {
    EXPECT_FALSE(ReadSubmitAnswer(positive.substr(0, size)).has_value()) << size;
    EXPECT_FALSE(ReadSubmitAnswer(positive.substr(size + 1)).has_value()) << size;
  }
  for (size_t at = 0; at < positive.size(); ++at) {
    for (int code = 0; code < 256; ++code) {
      std::string changed = positive;
      if (changed[at] == static_cast<char>(code)) continue;
      changed[at] = static_cast<char>(code);
      EXPECT_FALSE(ReadSubmitAnswer(changed).has_value()) << at << " " << code;
    }
  }
  std::mt19937 random(8);
  for (int i = 0; i < 5000; ++i) {
    std::string frame(random() % 300, '\0');
    for (char& c : frame) c = static_cast<char>(random() % 256);
    EXPECT_FALSE(ReadSubmitAnswer(frame).has_value()) << i;
  }
}

TEST(NotificationTextTest, ReadsTheMessageFieldOfEachOperation) {
  // "Levererat till 0701234567 \xC5\xC4\xD6" after the time stamp, Dst and Rsn.
  const std::string message = "4C65766572657261742074696C6C2030373031323334353637200E5B5C";
  const std::string body =
      "00/00000/O/53/0701234567/46700000000/////////////240101120005/0/000////" + message + "//";
  EXPECT_EQ(NotificationText("\x02" + body + UcpChecksum(body)),
            "Levererat till 0701234567 \xC5\xC4\xD6");
  // Cut inside the message field: what is there is decoded, nothing beyond.
  EXPECT_EQ(NotificationText(body.substr(0, body.find(message) + 5)), "Le\x07");
  EXPECT_EQ(NotificationText(body.substr(0, 40)), "");
  // Other operations carry it in the ninth field.
  EXPECT_EQ(NotificationText("00/00000/O/01/0701234567///3/4F4B2000/3A"), std::string("OK \0", 4));
  EXPECT_EQ(NotificationText("00/00000/O/01/0701234567//"), "");
}

}  // namespace
}  // namespace tolvane
