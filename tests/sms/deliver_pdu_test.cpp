// SMS-DELIVER PDUs typed by hand from the field layout of the standard and
// checked with python-gammu's decoder: every alphabet, both reference sizes,
// class 0, alphanumeric senders, and what is refused.
#include "sms/deliver_pdu.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Service centre +46700000000 before each TPDU, unless the case says not.
constexpr char kCentre[] = "07916407000000F0";
constexpr char kTime[] = "2026-12-08 15:10:12 +01:00";

TEST(DeliverPduTest, ReadsEachAlphabetHeaderClassAndSender) {
  struct Case {
    const char* tpdu;
    ReceivedPart part;
  };
  const Case cases[] = {
      // GSM with extension characters; UDL counts 11 septets.
      {"040B916407214365F70000622180510121400BC8B21AB4416DCA9B5408",
       {"+46701234567", kTime, "Hej {€}!", "GSM"}},
      // UCS-2 from a national number, a surrogate pair joined.
      {"040A8170103254760008622180510121401000480061006C006C00E50020D83DDE00",
       {"0701234567", kTime, "Hallå 😀", "UCS2"}},
      {"040B916407214365F7000462218051012140050102030405",
       {"+46701234567", kTime, "Binary message, 5 bytes", "8bit"}},
      // An alphanumeric sender of 13 semi-octets; DCS 10 is class 0.
      {"040DD0D437DB1E769701001062218051012140054676788E06",
       {"Tolvane", kTime, "Flash", "GSM", std::nullopt, true}},
      // The same counted as 14, its zero fill bits no eighth character.
      {"040ED0D437DB1E769701001062218051012140054676788E06",
       {"Tolvane", kTime, "Flash", "GSM", std::nullopt, true}},
      // Part 2 of 3, reference 42; the septets start behind one fill bit.
      {"440B916407214365F70000622180510121400F0500032A0302E061391D44BFBF01",
       {"+46701234567", kTime, "part two", "GSM", PartLink{42, 3, 2, 8}}},
      // Part 1 of 2 with the 16-bit reference 0x1234, in UCS-2.
      {"440B916407214365F70008622180510121400D0608041234020100C500E400F6",
       {"+46701234567", kTime, "Åäö", "UCS2", PartLink{0x1234, 2, 1, 16}}},
      // A header without a concatenation element, 8-bit data after it.
      {"440B916407214365F700046221805101214007040102AABBCCDD",
       {"+46701234567", kTime, "Binary message, 2 bytes", "8bit"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadDeliver(std::string(kCentre) + c.tpdu, ServiceCentrePrefix::kIncluded), c.part)
        << c.tpdu;
  }
  // Without the centre's address; class 0 in the class group (F0); five
  // hours west of UTC.
  EXPECT_EQ(
      ReadDeliver(" 040B915155214365F700F06210203040500A02C834\r\n", ServiceCentrePrefix::kOmitted),
      (ReceivedPart{"+15551234567", "2026-01-02 03:04:05 -05:00", "Hi", "GSM", std::nullopt,
                    true}));
}

TEST(DeliverPduTest, RefusesWhatIsNotAWholeDeliver) {
  const std::string whole = "040B916407214365F70000622180510121400BC8B21AB4416DCA9B5408";
  const std::string refused[] = {
      "",
      "0",
      "ZZ",
      // A status report.
      "06010B916407214365F7622180510121406221805101214000",
      whole.substr(0, whole.size() - 2),  // a septet short
      whole.substr(0, 28),                // inside the time stamp
      // A time stamp that is not decimal.
      "040B916407214365F70000A22180510121400BC8B21AB4416DCA9B5408",
      // A header longer than the user data.
      "440B916407214365F70004622180510121400305000300",
      // A header of 7 octets is 8 septets, more than the 5 the length gives.
      "440B916407214365F70000622180510121400706080412340201",
  };
  for (const std::string& tpdu : refused) {
    EXPECT_EQ(ReadDeliver(tpdu, ServiceCentrePrefix::kOmitted), std::nullopt) << tpdu;
  }
  // A linked element whose place is past its count is ignored, the text kept.
  const std::optional<ReceivedPart> odd = ReadDeliver(
      "440B916407214365F70008622180510121400805000301030500F6", ServiceCentrePrefix::kOmitted);
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->link, std::nullopt);
  EXPECT_EQ(odd->text, "ö");
}

}  // namespace
}  // namespace tolvane
