// SMS-DELIVER TPDUs typed by hand from the field layout of the standard and
// checked with python-gammu's decoder: every alphabet, both reference sizes,
// class 0, alphanumeric senders, and what is refused.
#include "sms/deliver_pdu.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

constexpr char kTime[] = "2026-12-08 15:10:12 +01:00";
const std::string kGsm = "040B916407214365F70000622180510121400BC8B21AB4416DCA9B5408";

TEST(DeliverPduTest, ReadsEachAlphabetHeaderClassAndSenderAndRefusesTheRest) {
  const struct {
    std::string tpdu;
    std::optional<ReceivedPart> part;
  } cases[] = {
      // GSM with extension characters; UDL counts 11 septets.
      {kGsm, ReceivedPart{"+46701234567", kTime, "Hej {€}!", "GSM"}},
      // UCS-2 from a national number, a surrogate pair joined.
      {"040A8170103254760008622180510121401000480061006C006C00E50020D83DDE00",
       ReceivedPart{"0701234567", kTime, "Hallå 😀", "UCS2"}},
      {"040B916407214365F7000462218051012140050102030405",
       ReceivedPart{"+46701234567", kTime, "Binary message, 5 bytes", "8bit"}},
      // An alphanumeric sender of 13 semi-octets, and counted as 14 (its zero
      // fill bits no eighth character); DCS 10 is class 0.
      {"040DD0D437DB1E769701001062218051012140054676788E06",
       ReceivedPart{"Tolvane", kTime, "Flash", "GSM", std::nullopt, true}},
      {"040ED0D437DB1E769701001062218051012140054676788E06",
       ReceivedPart{"Tolvane", kTime, "Flash", "GSM", std::nullopt, true}},
      // Part 2 of 3, reference 42; the septets start behind one fill bit.
      {"440B916407214365F70000622180510121400F0500032A0302E061391D44BFBF01",
       ReceivedPart{"+46701234567", kTime, "part two", "GSM", PartLink{42, 3, 2, 8}}},
      // Part 1 of 2 with the 16-bit reference 0x1234, in UCS-2.
      {"440B916407214365F70008622180510121400D0608041234020100C500E400F6",
       ReceivedPart{"+46701234567", kTime, "Åäö", "UCS2", PartLink{0x1234, 2, 1, 16}}},
      // A header without a concatenation element, and one whose place is
      // past its count: no link.
      {"440B916407214365F700046221805101214007040102AABBCCDD",
       ReceivedPart{"+46701234567", kTime, "Binary message, 2 bytes", "8bit"}},
      {"440B916407214365F70008622180510121400805000301030500F6",
       ReceivedPart{"+46701234567", kTime, "ö", "UCS2"}},
      // Class 0 in the class group (F0); five hours west of UTC.
      {" 040B915155214365F700F06210203040500A02C834\r\n",
       ReceivedPart{"+15551234567", "2026-01-02 03:04:05 -05:00", "Hi", "GSM", std::nullopt, true}},
      {"ZZ", std::nullopt},
      // A status report.
      {"06010B916407214365F7622180510121406221805101214000", std::nullopt},
      {kGsm.substr(0, kGsm.size() - 2), std::nullopt},  // a septet short
      // A time stamp that is not decimal.
      {"040B916407214365F70000A22180510121400BC8B21AB4416DCA9B5408", std::nullopt},
      // A header longer than the user data; one of 7 octets (8 septets) in 7.
      {"440B916407214365F70004622180510121400305000300", std::nullopt},
      {"440B916407214365F70000622180510121400706080412340201", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadDeliver(c.tpdu, ServiceCentrePrefix::kOmitted), c.part) << c.tpdu;
  }
  // With the service centre +46700000000 before it.
  EXPECT_EQ(ReadDeliver("07916407000000F0" + kGsm, ServiceCentrePrefix::kIncluded), cases[0].part);
}

}  // namespace
}  // namespace tolvane
