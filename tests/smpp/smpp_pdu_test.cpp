#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "smpp/smpp_commands.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_pdu_reader.h"
#include "smpp/smpp_receipt.h"
#include "smpp/smpp_status.h"
#include "smpp/smpp_time.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Bytes(std::initializer_list<int> octets) {
  std::string bytes;
  for (int octet : octets) bytes += static_cast<char>(octet);
  return bytes;
}

// The bind and the submit on the wire, byte for byte, and each part's coding
// are the transport's scenario's; fields longer than SMPP allows are cut to
// their size.
TEST(SmppPduTest, BindFieldsAreCutToTheirSize) {
  EXPECT_EQ(BindTransceiverBody("a-system-id-too-long", "password9", "").substr(0, 25),
            std::string("a-system-id-too\0password\0", 25));
}

TEST(SmppPduTest, SenderNamesInTheProvidersAlphabet) {
  // A name in the provider's alphabet, at most 11 of its octets: the euro
  // sign is GSM 1B 65 and no Latin-1 (Å Ö Ä are in the transport's scenario).
  const struct {
    const char* name;
    int alphabet;
    const char* written;  // null: refused
  } kNames[] = {
      {"Tolvane €", 0, "Tolvane \x1B\x65"},
      {"Tolvane €", 3, nullptr},
      {"Tolvane €€", 0, nullptr},
      {"a@b", 0, nullptr},
      {"a@b", 3, "a@b"},
  };
  for (const auto& name : kNames) {
    const std::optional<SmsAddress> written = InProviderAlphabet({5, 0, name.name}, name.alphabet);
    EXPECT_EQ(written ? written->value : "refused", name.written ? name.written : "refused")
        << name.name << ", DefaultAlphabet " << name.alphabet;
  }
  EXPECT_EQ(InProviderAlphabet({1, 1, "4670"}, 3), (SmsAddress{1, 1, "4670"}));
}

TEST(SmppPduTest, TheStreamIsCutIntoPdusAndABrokenLengthStopsIt) {
  const std::string enquire = EncodePdu({kEnquireLink, 0, 7, ""});
  const std::string answer = EncodePdu({kSubmitSm | kResponseBit, 0, 8, "id-1\0"});
  const std::string stream = enquire + answer;
  SmppPduReader reader;
  std::vector<SmppPdu> pdus;
  for (char c : stream) {
    for (SmppPdu& pdu : reader.Feed(std::string(1, c))) pdus.push_back(pdu);
  }
  EXPECT_THAT(pdus, ElementsAre(SmppPdu{kEnquireLink, 0, 7, ""},
                                SmppPdu{kSubmitSm | kResponseBit, 0, 8, "id-1\0"}));

  for (uint32_t length : {15u, 70000u}) {
    SmppPduReader broken;
    std::string bad;
    AppendInteger(bad, length, 4);
    EXPECT_THAT(broken.Feed(bad + std::string(12, '\0') + enquire), IsEmpty());
    EXPECT_EQ(broken.Error(), "The provider sent a PDU of " + std::to_string(length) + " bytes");
    EXPECT_THAT(broken.Feed(enquire), IsEmpty());
  }
}

std::string DeliverBody(int esm_class, const std::string& text, const std::string& tlvs) {
  return std::string("\0", 1) + Bytes({1, 1}) + std::string("46701234567\0", 12) + Bytes({5, 0}) +
         std::string("Tolvane\0", 8) +
         Bytes({esm_class, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<int>(text.size())}) + text + tlvs;
}

TEST(SmppPduTest, ReceiptsAreReadFromTheirParametersOrTheirText) {
  const std::string text =
      "id:ABC123 sub:001 dlvrd:001 submit date:2612071200 done date:2612071201 stat:DELIVRD "
      "err:000 text:Hej";
  const std::string id_tlv = Bytes({0x00, 0x1E, 0x00, 0x07}) + std::string("XYZ789\0", 7);
  auto state_tlv = [](int state) { return Bytes({0x04, 0x27, 0x00, 0x01, state}); };
  using State = DeliveryOutcome;
  const struct {
    int esm_class;
    std::string text;
    std::string tlvs;
    std::optional<SmppReceipt> receipt;
  } kCases[] = {
      // The parameters first; a message_state SMPP 3.4 does not know leaves
      // it to "stat:", read in any case.
      {0x04, text, id_tlv + state_tlv(5), SmppReceipt{"XYZ789", State::kFailed, "UNDELIVERABLE"}},
      {0x04, text, "", SmppReceipt{"ABC123", State::kDelivered, "DELIVERED"}},
      {0x04, "id:7 Stat:delivrd", state_tlv(0), SmppReceipt{"7", State::kDelivered, "DELIVERED"}},
      // Only DELIVRD is delivered: ACCEPTD is the provider's acceptance.
      {0x04, "id:7 stat:ENROUTE", "", SmppReceipt{"7", State::kStillTrying, "ENROUTE"}},
      {0x04, "id:7 stat:ACCEPTD", "", SmppReceipt{"7", State::kStillTrying, "ACCEPTED"}},
      {0x04, "id:7", state_tlv(6), SmppReceipt{"7", State::kStillTrying, "ACCEPTED"}},
      // Without a state it names nothing; an intermediate notification
      // (0x20) and a reply are no receipts.
      {0x04, "id:7", "", std::nullopt},
      {0x20, "id:7 stat:ENROUTE", "", std::nullopt},
      {0x00, "Tack!", "", std::nullopt},
  };
  for (const auto& c : kCases) {
    const std::optional<DeliverSm> deliver =
        ReadDeliverSm(DeliverBody(c.esm_class, c.text, c.tlvs));
    ASSERT_TRUE(deliver) << c.text;
    EXPECT_EQ(ReadSmppReceipt(*deliver), c.receipt) << c.text;
    EXPECT_EQ(deliver->IsMessage(), c.esm_class == 0) << c.text;
  }

  // Cut short, or a parameter running past the end.
  const std::string tlvs = id_tlv + state_tlv(5);
  const std::string whole = DeliverBody(0x04, text, tlvs);
  EXPECT_FALSE(ReadDeliverSm(whole.substr(0, 30)));
  EXPECT_FALSE(ReadDeliverSm(DeliverBody(0x04, text, Bytes({0x04, 0x27, 0x00, 0x09, 0x05}))));
  EXPECT_EQ(ReadIdBody(std::string("id-1\0", 5)), "id-1");
  EXPECT_EQ(ReadIdBody(""), "");
  EXPECT_FALSE(ReadIdBody("no end"));
}

TEST(SmppPduTest, StatusTextsAndTimes) {
  // 0x0E, 0x0D, 0x0B and the throttling 0x58 and 0x14 are the scenario's.
  EXPECT_EQ(SmppStatusText(0x45), "submit failed (0x45)");
  EXPECT_EQ(SmppStatusText(0x99), "error (0x99)");
  EXPECT_FALSE(IsThrottling(0x45));

  EXPECT_EQ(SmppAbsoluteTime(1796646605), "261207123005000+");
  EXPECT_EQ(SmppRelativeTime(90), "000000013000000R");
  EXPECT_EQ(SmppRelativeTime(400 * 24 * 60), "010110000000000R");
  EXPECT_EQ(SmppRelativeTime(0), "000000000100000R");
}

}  // namespace
}  // namespace tolvane
