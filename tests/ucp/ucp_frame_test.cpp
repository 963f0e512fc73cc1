#include "ucp/ucp_frame.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace tolvane {
namespace {

SubmitFrameInput Input(std::string message) {
  SubmitFrameInput input;
  input.message = std::move(message);
  input.recipient_number = "46701234567";
  input.sender_number = "7654321";
  return input;
}

// (The modem scenarios show a frame of plain text with its length and sum,
// and the delayed-sending ones the deferred form.)
TEST(UcpFrameTest, SubmitFramesCountTheirLengthAndChecksumTheWholeText) {
  SubmitFrameInput input = Input("Hi @ home\\\r\n");
  input.ej_kvitto = true;
  input.transaction_reference = 103;  // keeps two digits
  std::string frame = BuildSubmitFrame(input);
  std::string body = frame.substr(0, frame.size() - 2);
  EXPECT_EQ(body, "03/00069/O/30/46701234567/7654321//0//////4869200020686F6D652F200A/");
  EXPECT_EQ(frame.substr(frame.size() - 2), UcpChecksum(body));
}

TEST(UcpFrameTest, EveryCharacterOfTheTableGoesOutAsItsGsmDigitsAndComesBack) {
  const std::pair<unsigned char, const char*> national[] = {
      {163, "01"}, {196, "5B"}, {197, "0E"}, {198, "1C"}, {201, "1F"}, {214, "5C"}, {216, "0B"},
      {220, "5E"}, {228, "7B"}, {229, "0F"}, {230, "1D"}, {233, "05"}, {246, "7C"}, {252, "7E"}};
  for (auto [c, digits] : national) {
    EXPECT_EQ(EncodeIraChar(c), digits) << int{c};
    EXPECT_EQ(DecodeIraPair(digits), static_cast<char>(c)) << digits;
  }
  // These four go out moved but come back as the code of their digits.
  for (auto [c, digits, back] : {std::tuple{'@', "00", '\0'}, std::tuple{'\\', "2F", '/'},
                                 std::tuple{'\r', "20", ' '}, std::tuple{'$', "02", '\2'}}) {
    EXPECT_EQ(EncodeIraChar(c), digits) << c;
    EXPECT_EQ(DecodeIraPair(digits), back) << digits;
  }
  // Every other code: 3F from 128 up, its own hexadecimal below.
  for (unsigned char c : {128, 162, 164, 195, 199, 215, 217, 255})
    EXPECT_EQ(EncodeIraChar(c), "3F");
  EXPECT_EQ(EncodeIraChar('\n'), "A");
  EXPECT_EQ(EncodeIraChar('#'), "23");
  EXPECT_EQ(EncodeIraChar(127), "7F");
}

TEST(UcpFrameTest, AcknowledgementsOfReferences0To40HaveTheirOwnFrameOthersTheFrameFor00) {
  for (auto [reference, frame] :
       {std::pair{9, "09/00019/R/01/A//71"}, std::pair{10, "10/00019/R/01/A//69"},
        std::pair{40, "40/00019/R/01/A//6C"}, std::pair{41, "00/00019/R/01/A//68"},
        std::pair{-1, "00/00019/R/01/A//68"}}) {
    EXPECT_EQ(ReceiptFrame(reference), frame) << reference;
  }
  // A sum below 16 still has two digits.
  EXPECT_EQ(UcpChecksum("\x01\x02"), "03");
  EXPECT_EQ(UcpChecksum(std::string(2, '\x80')), "00");
}

// A result frame: TRN, LEN (the true length unless `len` is given), `rest`
// and a checksum (the true one unless `checksum` is given).
std::string Sealed(const std::string& trn, const std::string& rest, int len = -1,
                   const std::string& checksum = "") {
  std::string body = trn + "/00000/" + rest;
  std::string digits = std::to_string(len < 0 ? body.size() + 2 : len);
  body.replace(trn.size() + 1, 5, std::string(5 - digits.size(), '0') + digits);
  return body + (checksum.empty() ? UcpChecksum(body) : checksum);
}

TEST(ReadSubmitAnswerTest, EachCheckRefusesAnAnswerThatPassesAllTheOthers) {
  const std::string fields = "R/30/A//0701234567:061226100000/";
  const std::string sound = Sealed("00", fields);
  ASSERT_TRUE(ReadSubmitAnswer(sound).value().positive);
  // The shortest answers there are.
  EXPECT_TRUE(ReadSubmitAnswer(Sealed("99", "R/30/A/")).value().positive);
  // (The modem scenarios read refusals with and without their code.)
  const SubmitAnswer refusal = ReadSubmitAnswer(Sealed("00", "R/30/N/")).value();
  EXPECT_FALSE(refusal.positive);
  EXPECT_EQ(refusal.error_code, "");

  for (const std::string& frame : {
           Sealed("00", fields, static_cast<int>(sound.size()) + 1),  // LEN one too many
           Sealed("00", fields, static_cast<int>(sound.size()) - 1),  // LEN one too few
           Sealed("0A", fields),                                      // TRN
           Sealed("00", "O/30/A//0701234567:061226100000/"),          // no result
           Sealed("00", "R/31/A//0701234567:061226100000/"),          // operation
           Sealed("00", "R/30/X//0701234567:061226100000/"),          // neither A nor N
           Sealed("00", "R/30/A//0701234567:061226100000"),           // no "/" before it
       }) {
    EXPECT_FALSE(ReadSubmitAnswer(frame).has_value()) << frame;
  }
  // A checksum wrong in its first digit (the modem scenarios change the
  // second), or cut.
  const std::string sum = sound.substr(sound.size() - 2);
  const std::string wrong{sum[0] == '0' ? '1' : '0', sum[1]};
  EXPECT_FALSE(ReadSubmitAnswer(Sealed("00", fields, -1, wrong)).has_value());
  EXPECT_FALSE(ReadSubmitAnswer(sound.substr(0, sound.size() - 1)).has_value());
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
