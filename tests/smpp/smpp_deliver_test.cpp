// deliver_sm bodies typed from SMPP 3.4 (and read the same by Wireshark's
// SMPP dissector): each decoded into the part the program keeps.
#include <gtest/gtest.h>

#include <string>

#include "smpp/smpp_commands.h"
#include "sms/hex_octets.h"

namespace tolvane {
namespace {

// service_type "", source TON 1 NPI 1 "46701234567", destination 0 0 "".
constexpr char kFromAnna[] = "000101343637303132333435363700000000";

TEST(SmppDeliverTest, MessagesAreDecodedIntoParts) {
  const std::string payload = "0424012C" + std::string(600, '4');
  const struct {
    std::string body;  // hexadecimal, from esm_class on
    int default_alphabet;
    std::optional<ReceivedPart> part;
  } kCases[] = {
      // The default alphabet: GSM septets one an octet (€ is 1B 65, @ is 00),
      // or Latin-1 as `[SMPP] DefaultAlphabet` 3 says; IA5, Latin-1, UCS-2
      // with a surrogate pair, and 8-bit data.
      {"0000000000000000000448656A21", 0, ReceivedPart{"+46701234567", "", "Hej!", "GSM"}},
      {"000000000000000000041B65000F", 0, ReceivedPart{"+46701234567", "", "€@å", "GSM"}},
      {"00000000000000000003E5E4F6", 3, ReceivedPart{"+46701234567", "", "åäö", "GSM"}},
      {"0000000000000001000348656A", 0, ReceivedPart{"+46701234567", "", "Hej", "GSM"}},
      {"00000000000000030003E5E4F6", 0, ReceivedPart{"+46701234567", "", "åäö", "GSM"}},
      {"00000000000000080006D83DDE0003A9", 0, ReceivedPart{"+46701234567", "", "😀Ω", "UCS2"}},
      {"000000000000000400050102030405", 0,
       ReceivedPart{"+46701234567", "", "Binary message, 5 bytes", "8bit"}},
      // A GSM 03.38 scheme: UCS-2 of class 0, a flash message.
      {"00000000000000180002004F", 0,
       ReceivedPart{"+46701234567", "", "O", "UCS2", std::nullopt, true}},
      // Linked parts: a header's 8- or 16-bit reference, or the SAR
      // parameters; a header whose count is 0 links nothing.
      {"400000000000000000090500032A030248656A", 0,
       ReceivedPart{"+46701234567", "", "Hej", "GSM", PartLink{42, 3, 2, 8}}},
      {"40000000000000080009060804123403030048", 0,
       ReceivedPart{"+46701234567", "", "H", "UCS2", PartLink{0x1234, 3, 3, 16}}},
      {"0000000000000000000348656A020C00020102020E000103020F000101", 0,
       ReceivedPart{"+46701234567", "", "Hej", "GSM", PartLink{258, 3, 1, 16}}},
      {"400000000000000000090500032A000148656A", 0, ReceivedPart{"+46701234567", "", "Hej", "GSM"}},
      // The whole text in message_payload.
      {"00000000000000000000" + payload, 0,
       ReceivedPart{"+46701234567", "", std::string(300, 'D'), "GSM"}},
      // A receipt and an intermediate notification are no messages.
      {"04000000000000000003496421", 0, std::nullopt},
      {"20000000000000000003496421", 0, std::nullopt},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.body);
    const std::optional<DeliverSm> deliver = ReadDeliverSm(*FromHex(kFromAnna + c.body));
    ASSERT_TRUE(deliver);
    EXPECT_EQ(ReceivedFromDeliverSm(*deliver, c.default_alphabet), c.part);
  }
  // A name (TON 5) in the provider's alphabet, class 0 (F0) a flash message;
  // a number of unknown type as it came.
  const auto name =
      ReadDeliverSm(*FromHex("000500546F6C76616E650000000000000000000000F0000348656A"));
  EXPECT_EQ(ReceivedFromDeliverSm(*name, 0),
            (ReceivedPart{"Tolvane", "", "Hej", "GSM", std::nullopt, true}));
  const auto local = ReadDeliverSm(*FromHex("000001303730333100000000000000000000000000024869"));
  EXPECT_EQ(ReceivedFromDeliverSm(*local, 0)->sender, "07031");
}

}  // namespace
}  // namespace tolvane
