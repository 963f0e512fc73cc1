// The TPDUs of a GSM modem in PDU mode: the submit going out, the status
// report coming back.
#include <gtest/gtest.h>

#include "sms/status_report.h"
#include "sms/submit_pdu.h"

namespace tolvane {
namespace {

class NoReferences : public ReferenceCounter {
 public:
  uint8_t Next() override { return 0x2A; }
};

SubmitPdu OnlyPart(const std::string& text, const SubmitOptions& options) {
  NoReferences references;
  const SmsMessage message = PrepareMessage(text, kDefaultMaxParts, references);
  return BuildSubmitPdu(message.parts.at(0), message.encoding, options);
}

TEST(SubmitPduTest, SubmitsAsTheWellKnownSamples) {
  // The common AT+CMGS example: "hellohello" to +46708251358, valid 4 days,
  // no report: AT+CMGS=23, then 00 and the TPDU.
  SubmitOptions options{"+46708251358", "00", false, 4 * 24 * 60};
  SubmitPdu pdu = OnlyPart("hellohello", options);
  EXPECT_EQ(pdu.hex, "11000B916407281553F80000AA0AE8329BFD4697D9EC37");
  EXPECT_EQ(pdu.octets, 23);

  // The same number behind the international prefix, a report asked for.
  options = {"0046708251358", "00", true, 4 * 24 * 60};
  EXPECT_EQ(OnlyPart("hellohello", options).hex, "31000B916407281553F80000AA0AE8329BFD4697D9EC37");

  // A national number, UCS-2 with a surrogate pair, a day's validity.
  options = {"070 123 45 67", "00", true, 1440};
  pdu = OnlyPart("Hej 😀", options);
  EXPECT_EQ(pdu.hex, "31000A8170103254760008A70C00480065006A0020D83DDE00");
  EXPECT_EQ(pdu.octets, 25);

  // A linked GSM part: header indicator, 7 + 153 septets, one fill bit.
  options = {"+46708251358", "00", false, 1440};
  pdu = OnlyPart(std::string(161, 'a'), options);
  EXPECT_EQ(pdu.hex.substr(0, 44),
            "51000B916407281553F80000A7A0050003"
            "2A0201C2E1");
  EXPECT_EQ(pdu.octets, 14 + 140);

  for (const char* bad : {"", "+", "070-1234567", "+123456789012345678901"}) {
    options.recipient = bad;
    EXPECT_EQ(OnlyPart("x", options).error, "Invalid recipient number") << bad;
  }
  options.recipient = "0701234567";
  EXPECT_EQ(BuildSubmitPdu({"", std::string(161, 'a')}, SmsEncoding::kGsm7, options).error,
            "Message part too long");
}

TEST(SubmitPduTest, ValidityRoundsUpToThePeriodsOfTheCentre) {
  const struct {
    int minutes;
    int octet;
  } kCases[] = {{-10, 0},     {0, 0},       {5, 0},        {6, 1},           {720, 143},
                {721, 144},   {750, 144},   {1440, 167},   {1441, 168},      {5760, 170},
                {43200, 196}, {43201, 197}, {635040, 255}, {1000000000, 255}};
  for (const auto& c : kCases) EXPECT_EQ(RelativeValidityPeriod(c.minutes), c.octet) << c.minutes;
}

// A report's reference, recipient, times and reason.
std::string Fields(const StatusReport& report) {
  return std::to_string(report.reference) + " " + report.recipient + " " +
         report.service_centre_time.Text() + ", " + report.discharge_time.Text() + " " +
         report.reason;
}

TEST(SubmitPduTest, ReadsStatusReports) {
  // A delivered report as a modem routes it with +CDS (published sample),
  // without and with a service-centre address in front.
  const std::string kDelivered = "06000B910221815716F2709021510121807090215101718000";
  for (const std::string& hex : {kDelivered, "07919471060040F0" + kDelivered + "\r\n"}) {
    const std::optional<StatusReport> report = ReadStatusReport(
        hex, hex == kDelivered ? ServiceCentrePrefix::kOmitted : ServiceCentrePrefix::kIncluded);
    ASSERT_TRUE(report) << hex;
    EXPECT_EQ(Fields(*report),
              "0 +20121875612 2007-09-12 15:10:12 +02:00, 2007-09-12 15:10:17 +02:00 Delivered");
  }

  // A national recipient, a centre's zone west of Greenwich; every status
  // value is pinned in standard_tables_test.
  const std::string kHead = "06170A8170103254767090215101218A70902151017180";
  const std::optional<StatusReport> report =
      ReadStatusReport(kHead + "46", ServiceCentrePrefix::kOmitted);
  ASSERT_TRUE(report);
  EXPECT_EQ(Fields(*report),
            "23 0701234567 2007-09-12 15:10:12 -07:00, 2007-09-12 15:10:17 +02:00 Validity period "
            "expired");

  // Not hex, a deliver instead, cut short, a time stamp that is not decimal,
  // an address too long, a service-centre length past the end.
  for (const std::string& bad :
       {std::string(""), std::string("0"), std::string("ZZ"), "04" + kHead.substr(2) + "00", kHead,
        std::string("06170A81701032547670902151012A8A7090215101718000"),
        std::string("0617FF81") + std::string(200, '0')}) {
    EXPECT_FALSE(ReadStatusReport(bad, ServiceCentrePrefix::kOmitted)) << bad;
  }
  EXPECT_FALSE(ReadStatusReport("FF" + kDelivered, ServiceCentrePrefix::kIncluded));
}

}  // namespace
}  // namespace tolvane
