// The frames of a UCP session over TCP, worked out by hand: LEN counts from
// the first TRN digit to the last checksum digit, the checksum is the sum of
// those characters up to the last "/", modulo 256, in uppercase hexadecimal.
#include "emi/emi_operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "emi/emi_errors.h"
#include "emi/emi_frame_reader.h"
#include "sms/gsm_alphabet.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

const std::string kHeader = std::string("\x05\x00\x03\x2A\x02\x02", 6);

EmiSubmit ToAnna() {
  EmiSubmit submit;
  submit.recipient = "0046701234567";
  submit.sender = "46707654321";
  return submit;
}

// The login, the alert, a submit from a name with a notification and the
// dial-up form are the transport's scenarios', byte for byte.
TEST(EmiOperationsTest, ALinkedUcs2PartForLater) {
  // The second of two parts: DD 1 with DDT, VP, MT 4, NB 32 bits of "Ω1",
  // the header (type 01) and DCS 08 (type 02) in XSer.
  EmiSubmit submit = ToAnna();
  submit.delivery_time = "2412241830";
  submit.validity = "2512241830";
  EXPECT_EQ(
      SubmitFrame(99, submit, {kHeader, std::string("\x03\xA9\x00\x31", 4)}, SmsEncoding::kUcs2),
      "99/00131/O/51/0046701234567/46707654321/////////1/2412241830/2512241830//////4/32/"
      "03A90031////////1139//01060500032A0202020108///42");
}

TEST(EmiOperationsTest, TextIsWrittenInTheChosenAlphabetAndReadBackTheSameWay) {
  // GSM: the code points of GSM 03.38, the extension table behind 1B. IRA:
  // the ASCII codes, and nothing for a text with any other character.
  const struct {
    const char* text;
    const char* gsm;
    const char* ira;
  } kCases[] = {
      {"Hej", "48656A", "48656A"},
      {"[]{}~|^_\\", "1B3C1B3E1B281B291B3D1B401B14111B2F", "5B5D7B7D7E7C5E5F5C"},
      {"@$\n", "00020A", "40240A"},
      {"ÅÄÖ€Δ", "0E5B5C1B6510", nullptr},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    const std::string septets = *ToGsmSeptets(DecodeUtf8(c.text));
    for (const EmiAlphabet alphabet : {EmiAlphabet::kGsm, EmiAlphabet::kIra}) {
      const char* expected = alphabet == EmiAlphabet::kGsm ? c.gsm : c.ira;
      EmiSubmit submit = ToAnna();
      submit.alphabet = alphabet;
      const std::optional<std::string> frame =
          SubmitFrame(0, submit, {"", septets}, SmsEncoding::kGsm7);
      EXPECT_EQ(FirstNonIra(c.text).has_value(), c.ira == nullptr);
      if (!expected) {
        EXPECT_FALSE(frame);
        continue;
      }
      ASSERT_TRUE(frame);
      // The same AMsg in an op 52 reads back as the text.
      std::vector<std::string> fields = ReadUcpFrame(*frame)->fields;
      EXPECT_EQ(fields[20], expected);
      fields[1] = "46701234567";
      const std::optional<ReceivedPart> delivered = ReadDeliveredPart(
          *ReadUcpFrame(SealUcpFrame(3, 'O', kOperationDeliver, fields)), alphabet);
      ASSERT_TRUE(delivered);
      EXPECT_EQ(delivered->text, c.text);
    }
  }
  EXPECT_EQ(EmiAlphabetOf("IRA"), EmiAlphabet::kIra);
  for (const char* other : {"GSM", "", "ira"}) EXPECT_EQ(EmiAlphabetOf(other), EmiAlphabet::kGsm);
}

TEST(EmiOperationsTest, AnswersAndNotificationsAreRead) {
  auto read = [](const std::string& frame) { return ReadResult(*ReadUcpFrame(frame)); };
  // A positive A/MVP/SM to a submit is the scenarios'; a refused login as
  // typed, and one neither A nor N.
  const std::optional<EmiResult> result = read("00/00022/R/60/N/07//0A");
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->positive);
  EXPECT_EQ(result->error_code, "07");
  EXPECT_FALSE(read("00/00019/R/60/X//84"));

  // A notification to the account's number (AdC) about the message to
  // 0046701234567 (OAdC) of 08.12.26 10:00:00 (SCTS); its checksum digits in
  // lower case, as some centres write them.
  std::string body = "05/00000/O/53/46707654321/0046701234567/////////////081226100000/2/107/" +
                     std::string(16, '/');
  body.replace(3, 5, "000" + std::to_string(body.size() + 2));
  std::string lower = body + UcpChecksum(body);
  std::transform(lower.end() - 2, lower.end(), lower.end() - 2,
                 [](char c) { return static_cast<char>(std::tolower(c)); });
  EXPECT_FALSE(ReadUcpFrame(lower));
  ASSERT_TRUE(ReadEmiFrame(lower));
  EXPECT_FALSE(ReadEmiFrame(lower.substr(0, lower.size() - 1) + "g"));
  const std::optional<EmiNotification> notification = ReadNotification(*ReadEmiFrame(lower));
  ASSERT_TRUE(notification);
  EXPECT_EQ(notification->message_key, "0046701234567:081226100000");
  EXPECT_EQ(notification->outcome, DeliveryOutcome::kFailed);
  EXPECT_EQ(notification->reason, "107 absent subscriber");

  // The positive answers the program gives the centre's own operations.
  EXPECT_EQ(ResultFrame(*ReadUcpFrame(body + UcpChecksum(body))), "05/00020/R/53/A///9B");
  EXPECT_EQ(ResultFrame({3, false, "31", {}}), "03/00019/R/31/A//6E");
  EXPECT_EQ(ResultFrame({3, false, "61", {}}, "03"), "03/00022/R/61/N/03//0A");
}

TEST(EmiErrorsTest, EveryCodeHasAText) {
  EXPECT_EQ(EmiErrorText("07"), "07 authentication failure");
  EXPECT_EQ(EmiErrorText("24"), "24 message too long");
  EXPECT_EQ(EmiErrorText("93"), "93 error of the centre's own");
  EXPECT_EQ(EmiErrorText("77"), "77 error");
  EXPECT_EQ(EmiErrorText(""), "no error code");
  for (const char* code : {"01", "02", "90", "99"}) EXPECT_TRUE(IsTransientEmiError(code)) << code;
  for (const char* code : {"03", "06", "07", "24", "26", "77", ""}) {
    EXPECT_FALSE(IsTransientEmiError(code)) << code;
  }
}

// Noise, a frame cut short by the next STX, one of 2000 characters (dropped)
// and stray ETXs cost only themselves, in whatever pieces they come.
TEST(EmiFrameReaderTest, FramesComeWholeWhateverThePiecesAndABrokenOneCostsOnlyItself) {
  const std::string stream =
      "noise\x02"
      "00/000\x02"
      "00/00019/R/31/A//6B\x03\x02" +
      std::string(2000, '7') +
      "\x03\x03\x03\x02"
      "01/00019/R/31/A//6C\x03";
  for (const size_t piece : {size_t{1}, size_t{2}, size_t{7}, size_t{100}, stream.size()}) {
    EmiFrameReader reader;
    std::vector<std::string> frames;
    for (size_t at = 0; at < stream.size(); at += piece) {
      for (std::string& frame : reader.Feed(stream.substr(at, piece))) frames.push_back(frame);
    }
    EXPECT_EQ(frames, (std::vector<std::string>{"00/00019/R/31/A//6B", "01/00019/R/31/A//6C"}))
        << piece;
  }
}

}  // namespace
}  // namespace tolvane
