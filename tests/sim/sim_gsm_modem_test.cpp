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

  // The status report in the last line of a +CDS answer.
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

TEST_F(SimGsmModemTest, ASubmitGetsItsReportRouted) {
  modem_.Options().report_statuses = {0x00};
  Say("ATE0\r");
  EXPECT_EQ(Say("AT+CMGF=0;+CSMS=1\r"), "\r\n+CSMS: 1,1,1\r\n\r\nOK\r\n");
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
}

}  // namespace
}  // namespace tolvane::sim
