// Character level: UTF-8 in, GSM septets and UCS-2 out, and the packings the
// transports put on the line.
#include <gtest/gtest.h>

#include "sms/gsm7_packing.h"
#include "sms/hex_octets.h"
#include "sms/latin1.h"
#include "sms/sms_address.h"
#include "sms/ucs2.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

TEST(SmsTextTest, Utf8IsCountedAndSanitisedByCodePoint) {
  const struct {
    std::string text;
    size_t length;
    std::string sanitised;
  } kCases[] = {
      {"", 0, ""},
      {"€😀", 2, "€😀"},
      // A stray byte, a cut-off sequence, an overlong slash, an encoded
      // surrogate and a lead byte past U+10FFFF.
      {"a\377b", 3, "a\uFFFDb"},
      {"\xE2\x82", 1, "\uFFFD"},
      {"\xC0\xAF", 2, "\uFFFD\uFFFD"},
      {"\xED\xA0\x80", 3, "\uFFFD\uFFFD\uFFFD"},
      {"\xF5\x80", 2, "\uFFFD\uFFFD"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Utf8Length(c.text), c.length) << c.text;
    EXPECT_EQ(SanitiseUtf8(c.text), c.sanitised) << c.text;
  }
}

// (The "hellohello" example of GSM 03.38 / 23.038 and packings behind a
// header are the submit and deliver TPDUs'.)
TEST(SmsTextTest, SeptetPackingsAndOctetCodingsOfSmppAndUcp) {
  // Eight septets fill seven octets exactly; asked for more than the octets
  // hold, unpacking stops.
  EXPECT_EQ(PackSeptets(std::string(8, 0x7F)), std::string(7, '\xFF'));
  EXPECT_EQ(UnpackSeptets(*FromHex("E832"), 10).size(), 2u);
  EXPECT_EQ(UnpackSeptets(PackSeptets("abc", 1), 3, 1), "abc");
  // A lone surrogate and an odd last octet.
  EXPECT_EQ(EncodeUtf8(DecodeUcs2(*FromHex("D83D0041DE0000"))), "\uFFFDA\uFFFD\uFFFD");
  EXPECT_EQ(*EncodeLatin1(DecodeUtf8("Åsa")), "\xC5sa");
  EXPECT_FALSE(EncodeLatin1(DecodeUtf8("5 €")));
  // ALPHA@NUM, the UCP/EMI interface description's alphanumeric OAdC example
  // (checked bit by bit).
  EXPECT_EQ(ToHex(*EncodeAlphanumericAddress("ALPHA@NUM")), "10412614190438AB4D");
  EXPECT_FALSE(EncodeAlphanumericAddress("TwelveLetter"));
  EXPECT_FALSE(EncodeAlphanumericAddress(""));
}

// The usual forms, and a sender name of 11 characters and one of 12, are
// the SMPP scenario's.
TEST(SmsTextTest, AddressesOfRecipientsAndSenders) {
  EXPECT_FALSE(RecipientAddress("07a1", "00"));
  // At most 20 digits, as an address field holds (the submit TPDU refuses 21).
  EXPECT_EQ(RecipientAddress("+" + std::string(20, '7'), "00"),
            (SmsAddress{1, 1, std::string(20, '7')}));

  std::string refusal;
  EXPECT_EQ(SenderAddress("+4670", "00", refusal), (SmsAddress{1, 1, "4670"}));
  EXPECT_FALSE(SenderAddress("", "00", refusal));
}

}  // namespace
}  // namespace tolvane
