// The simulated GSM modem as a program's transport meets it: the dialogue
// typed by hand over a simulated serial line, on virtual time.
#include "sim/sim_gsm_modem.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/sim_event_loop.h"
#include "sim/sim_serial_port.h"
#include "sms/hex_octets.h"
#include "sms/status_report.h"
#include "sms/submit_pdu.h"

namespace tolvane::sim {
namespace {

using std::chrono::milliseconds;
using SimState = GsmModemOptions::SimState;

class SimGsmModemTest : public ::testing::Test {
 protected:
  SimGsmModemTest() {
    modem_.SetClock([this] { return loop_.Elapsed().count(); });
    port_.Open();
  }

  // Writes to the modem and returns what came back within `wait_ms`.
  std::string Say(const std::string& bytes, int wait_ms = 200) {
    port_.Output(bytes);
    loop_.RunFor(milliseconds(wait_ms));
    return port_.Input();
  }

  // An SMS-SUBMIT of "Hej" to +46701234567 that asks for a status report.
  static SubmitPdu Hej() {
    SmsPart part{"", "Hej"};
    return BuildSubmitPdu(part, SmsEncoding::kGsm7, {.recipient = "+46701234567"});
  }

  // The status report in the last line of a +CDS answer or of +CMGR's lines.
  static std::optional<StatusReport> ReportIn(const std::string& answer) {
    const size_t end = answer.size() - 2;
    const size_t start = answer.rfind("\r\n", end - 1) + 2;
    return ReadStatusReport(answer.substr(start, end - start), ServiceCentrePrefix::kIncluded);
  }

  SimEventLoop loop_;
  SimGsmModem modem_{[this](int ms, std::function<void()> action) {
    loop_.After(milliseconds(ms), std::move(action));
  }};
  SimSerialPort port_{loop_, modem_};
};

TEST_F(SimGsmModemTest, TheSimWantsItsPinAndAfterThreeWrongOnesItsPuk) {
  modem_.Options().sim_state = SimState::kPinWanted;
  EXPECT_TRUE(port_.CdHolding());
  EXPECT_EQ(Say("AT+CPIN?\r"), "AT+CPIN?\r\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n");
  EXPECT_EQ(Say("ATE0\r\n"), "ATE0\r\r\nOK\r\n");
  EXPECT_EQ(Say("AT+CMGS=17\r"), "\r\n+CME ERROR: 11\r\n");
  EXPECT_EQ(Say("AT+CPIN=\"0000\"\r"), "\r\n+CME ERROR: 16\r\n");
  EXPECT_EQ(Say("AT+CPIN=\"1234\"\r"), "\r\nOK\r\n");
  EXPECT_EQ(Say("AT+CPIN?\r"), "\r\n+CPIN: READY\r\n\r\nOK\r\n");
  EXPECT_EQ(modem_.PinTries(), 2);

  // Three wrong PINs in a row lock it (when a right one resets the count, the
  // GSM scenarios show); a DTR drop resets the echo, not the SIM.
  modem_.Options().sim_state = SimState::kPinWanted;
  for (const char* pin : {"1111", "2222", "3333"}) Say("AT+CPIN=\"" + std::string(pin) + "\"\r");
  EXPECT_EQ(Say("AT+CPIN=\"1234\"\r"), "\r\n+CME ERROR: 16\r\n");
  EXPECT_EQ(Say("AT+CSMS=1\r"), "\r\n+CME ERROR: 12\r\n");
  port_.SetDtrEnable(false);
  port_.SetDtrEnable(true);
  EXPECT_EQ(Say("AT+CPIN?\r"), "AT+CPIN?\r\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n");
  EXPECT_EQ(modem_.PinTries(), 6);
}

TEST_F(SimGsmModemTest, ASubmitGetsItsReportRoutedThenAnotherItsReportStored) {
  modem_.Options().report_statuses = {0x00};
  Say("ATE0\r");
  EXPECT_EQ(Say("AT+CMGF=0;+CSMS=1\r"), "\r\n+CSMS: 1,1,1\r\n\r\nOK\r\n");
  EXPECT_EQ(Say("AT+CNMI=?\r"), "\r\n+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)\r\n\r\nOK\r\n");
  EXPECT_EQ(Say("AT+CNMI=2,1,0,3,0\r"), "\r\n+CMS ERROR: 303\r\n");
  EXPECT_EQ(Say("AT+CNMI=2,1,0,1,0\r"), "\r\nOK\r\n");

  const SubmitPdu hej = Hej();
  const std::string length = std::to_string(hej.octets);
  // A length that does not match the TPDU is refused.
  EXPECT_EQ(Say("AT+CMGS=" + std::to_string(hej.octets + 1) + "\r"), "\r\n> ");
  EXPECT_EQ(Say(kSimServiceCentre + hej.hex + "\x1A"), "\r\n+CMS ERROR: 304\r\n");

  EXPECT_EQ(Say("AT+CMGS=" + length + "\r"), "\r\n> ");
  EXPECT_EQ(Say(kSimServiceCentre + hej.hex + "\x1A", 2100), "\r\n+CMGS: 1\r\n\r\nOK\r\n");
  loop_.RunFor(milliseconds(3000));
  const std::string routed = port_.Input();
  EXPECT_TRUE(routed.starts_with("\r\n+CDS: ")) << routed;
  const std::optional<StatusReport> first = ReportIn(routed);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->reference, 1);
  EXPECT_EQ(first->recipient, "+46701234567");
  EXPECT_EQ(first->outcome, DeliveryOutcome::kDelivered);
  EXPECT_EQ(first->service_centre_time.Text(), "2026-12-06 11:00:03 +01:00");
  EXPECT_EQ(first->discharge_time.Text(), "2026-12-06 11:00:06 +01:00");
  EXPECT_EQ(Say("AT+CNMA\r"), "\r\nOK\r\n");

  modem_.Options().report_statuses = {0x46};
  Say("AT+CNMI=2,1,0,2,0\r");
  Say("AT+CMGS=" + length + "\r");
  EXPECT_EQ(Say(kSimServiceCentre + hej.hex + "\x1A", 2100), "\r\n+CMGS: 2\r\n\r\nOK\r\n");
  loop_.RunFor(milliseconds(3000));
  EXPECT_EQ(port_.Input(), "\r\n+CDSI: \"SM\",1\r\n");
  const std::string stored = Say("AT+CMGR=1\r");
  EXPECT_TRUE(stored.starts_with("\r\n+CMGR: 0,,")) << stored;
  EXPECT_TRUE(stored.ends_with("\r\n\r\nOK\r\n")) << stored;
  const std::optional<StatusReport> second = ReportIn(stored.substr(0, stored.size() - 6));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->reference, 2);
  EXPECT_EQ(second->status, 0x46);
  EXPECT_EQ(second->outcome, DeliveryOutcome::kFailed);
  EXPECT_EQ(Say("AT+CMGD=1\r"), "\r\nOK\r\n");
  EXPECT_EQ(Say("AT+CMGR=1\r"), "\r\n+CMS ERROR: 321\r\n");
}

TEST_F(SimGsmModemTest, ARoutedReportHoldsTheNextUntilAcknowledgedAndWithoutItRoutingStops) {
  modem_.Options().report_delay_ms = 100;
  modem_.Options().report_statuses = {0x20, 0x00};
  Say("ATE0\r");
  EXPECT_EQ(Say("AT+CSMS=1;+CNMI=2,0,0,1,0\r"), "\r\n+CSMS: 1,1,1\r\n\r\nOK\r\n");
  const SubmitPdu hej = Hej();
  Say("AT+CMGS=" + std::to_string(hej.octets) + "\r");
  EXPECT_EQ(Say(kSimServiceCentre + hej.hex + "\x1A", 2100), "\r\n+CMGS: 1\r\n\r\nOK\r\n");
  // The second report waits behind the first until AT+CNMA.
  loop_.RunFor(milliseconds(500));
  const std::string first = port_.Input();
  EXPECT_EQ(first.find("+CDS: "), first.rfind("+CDS: ")) << first;
  const std::string second = Say("AT+CNMA\r", 100);
  EXPECT_TRUE(second.starts_with("\r\nOK\r\n\r\n+CDS: ")) << second;
  EXPECT_EQ(ReportIn(second)->status, 0x00);
  // Left unacknowledged for the network's 12 s: routing to the program stops.
  loop_.RunFor(milliseconds(12000));
  EXPECT_EQ(Say("AT+CNMI?\r"), "\r\n+CNMI: 2,0,0,0,0\r\n\r\nOK\r\n");
  EXPECT_EQ(Say("AT+CNMA\r"), "\r\n+CMS ERROR: 340\r\n");
  EXPECT_EQ(modem_.Reports()[1].acknowledged_ms, -1);
}

}  // namespace
}  // namespace tolvane::sim
