// Cancel during a single send, on every transport that waits for a receipt
// after the far end's answer: a message the far end accepted keeps that
// outcome (the log says "Message sent.") and only the wait for its receipt
// ends; a message not yet accepted is cancelled.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "bulk/command_line_sending.h"
#include "core/secret_store.h"
#include "emi/emi_settings.h"
#include "gsm/gsm_settings.h"
#include "sim/sim_emi_centre.h"
#include "sim/sim_gsm_modem.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_settings.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

constexpr int kLong = 100000;

class CancelAfterAcceptanceTest : public WindowScenario {
 protected:
  CancelAfterAcceptanceTest() {
    settings.Avs = "+46 70-765 43 21";
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
    settings.transports.Get<EmiSettings>().Host = "smsc.example.net";
    settings.transports.Get<EmiSettings>().User = "tolvane";
    settings.transports.Get<GsmSettings>().Device = "/dev/ttyUSB2";
    SecretStore secrets(settings.ProgramFolder);
    EXPECT_TRUE(secrets.WriteSecret(kSmppSecret, "secret"));
    EXPECT_TRUE(secrets.WriteSecret(kEmiSecret, "secret"));
    smpp_connection = &smpp_tcp_;
    emi_connection = &emi_tcp_;
    gsm_port = &gsm_port_;
    gsm_.SetClock([this] { return loop.Elapsed().count(); });
    Open(modem_port_, http);
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
    TypeMessage(*window, "Hej");
  }
  ~CancelAfterAcceptanceTest() override { window.reset(); }

  sim::SimSmppProvider provider_{Schedule(loop)};
  sim::SimTcpConnection smpp_tcp_{loop, provider_};
  sim::SimEmiCentre centre_{Schedule(loop)};
  sim::SimTcpConnection emi_tcp_{loop, centre_};
  sim::SimSmsc smsc_{Schedule(loop)};
  sim::SimModem modem_{Schedule(loop), smsc_};
  sim::SimSerialPort modem_port_{loop, modem_};
  sim::SimGsmModem gsm_{Schedule(loop)};
  sim::SimSerialPort gsm_port_{loop, gsm_};
};

TEST_F(CancelAfterAcceptanceTest, AnAcceptedMessageKeepsItsOutcome) {
  struct Case {
    const char* access;
    // Holds the far end's answer (false) or its receipt (true) back.
    std::function<void(bool)> hold_back;
  };
  const Case cases[] = {
      {"SMPP",
       [this](bool accepted) {
         provider_.Options() = {};
         (accepted ? provider_.Options().receipt_delay_ms : provider_.Options().submit_delay_ms) =
             kLong;
       }},
      {"EMI",
       [this](bool accepted) {
         centre_.Options() = {};
         (accepted ? centre_.Options().notification_delay_ms : centre_.Options().submit_delay_ms) =
             kLong;
       }},
      {"Modem",
       [this](bool accepted) {
         smsc_.Options() = {};
         (accepted ? smsc_.Options().notify_delay_ms : smsc_.Options().answer_delay_ms) = kLong;
       }},
      {"GSM",
       [this](bool accepted) {
         gsm_.Options() = {};
         (accepted ? gsm_.Options().report_delay_ms : gsm_.Options().network_delay_ms) = kLong;
       }},
  };
  for (const Case& c : cases) {
    for (const bool accepted : {false, true}) {
      SCOPED_TRACE(std::string(c.access) + (accepted ? " accepted" : " not accepted"));
      settings.AccessTyp = c.access;
      c.hold_back(accepted);
      At(30000, [&] { window->CancelSend(); });
      window->StartSend();
      EXPECT_EQ(Receipt(), accepted ? "Message sent. Cancelled while waiting for the receipt."
                                    : "Sending Cancelled.");
      EXPECT_EQ(LogLines().back(), std::string("\"Temporary number 46701234567\",\"") +
                                       (accepted ? "Message sent." : "Sending Cancelled.") +
                                       "\",\"Hej\"");
      EXPECT_EQ(window->State().accepted, accepted);
      EXPECT_TRUE(Enabled(MainControl::kSend));
      // The closing step logs nothing more.
      loop.RunFor(std::chrono::milliseconds(kLong));
    }
  }
  EXPECT_EQ(LogLines().size(), 8u);
}

// An order tells its caller it was accepted, and its receipt file says so.
TEST_F(CancelAfterAcceptanceTest, AnOrderAcceptedBeforeTheCancelReportsItSent) {
  settings.AccessTyp = "EMI";
  centre_.Options().notification_delay_ms = kLong;
  At(30000, [&] { window->CancelSend(); });
  EXPECT_EQ(CommandLineSending(*window).ArgSandning("N//0701234567//Hej//kvitto.txt"),
            OrderOutcome::kAccepted);
  std::ifstream file(ReceiptFilePath(settings.ProgramFolder, "kvitto.txt"));
  std::string line;
  ASSERT_TRUE(std::getline(file, line));
  EXPECT_EQ(LogRecord::FromLine(line).result, "Message sent.");
}

}  // namespace
}  // namespace tolvane::testing
