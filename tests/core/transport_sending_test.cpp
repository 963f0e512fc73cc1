// Sending over every transport against its simulator. Cancel during a single
// send: a message the far end accepted keeps that outcome (the log says
// "Message sent.") and only the wait for its receipt ends; one not yet
// accepted is cancelled. What the transports with one submit on the way at a
// time leave in the message store: each part's state and the reference its
// answer gave; a store which cannot record a part keeps it off the wire.
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

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr int kLong = 100000;
constexpr char kNoStore[] = "The message store is not open.";

// "Hej" typed for the temporary number +46 70-123 45 67, every transport
// reaching its simulator.
class TransportScenario : public WindowScenario {
 protected:
  TransportScenario() {
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
    Open(modem_port_, client_);
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
    TypeMessage(*window, "Hej");
  }
  ~TransportScenario() override { window.reset(); }

  // The parts of the last message, "state ref: detail" each (the detail of
  // a part that failed to go only), " | " between them.
  std::string LastParts() const {
    std::string parts;
    const std::optional<StoredMessage> message = messages.Message(messages.MessageCount());
    for (const StoredPart& part : message->parts) {
      if (!parts.empty()) parts += " | ";
      parts += StateName(part.state);
      if (!part.ref.empty()) parts += " " + part.ref;
      if (part.state == MessageState::kRefused || part.state == MessageState::kUnknown) {
        parts += ": " + part.detail;
      }
    }
    return parts;
  }
  // Everything each far end got so far: submits, frames, posts.
  size_t WireCount() const {
    return gsm_.Submissions().size() + smsc_.Submits().size() + gateway_.Requests().size() +
           (gsm_port_.Written().find("AT+CMGS") != std::string::npos);
  }

  sim::SimSmppProvider provider_{Schedule(loop)};
  sim::SimTcpConnection smpp_tcp_{loop, provider_};
  sim::SimEmiCentre centre_{Schedule(loop)};
  sim::SimTcpConnection emi_tcp_{loop, centre_};
  sim::SimSmsc smsc_{Schedule(loop)};
  sim::SimModem modem_{Schedule(loop), smsc_};
  sim::SimSerialPort modem_port_{loop, modem_};
  sim::SimGsmModem gsm_{Schedule(loop)};
  sim::SimSerialPort gsm_port_{loop, gsm_};
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop, gateway_};
};

TEST_F(TransportScenario, AnAcceptedMessageKeepsItsOutcome) {
  // Each far end's delays of its answer and of its receipt.
  const struct {
    const char* access;
    int* answer_delay_ms;
    int* receipt_delay_ms;
  } cases[] = {
      {"SMPP", &provider_.Options().submit_delay_ms, &provider_.Options().receipt_delay_ms},
      {"EMI", &centre_.Options().submit_delay_ms, &centre_.Options().notification_delay_ms},
      {"Modem", &smsc_.Options().answer_delay_ms, &smsc_.Options().notify_delay_ms},
      {"GSM", &gsm_.Options().network_delay_ms, &gsm_.Options().report_delay_ms},
  };
  for (const auto& c : cases) {
    const int answer_ms = *c.answer_delay_ms;
    const int receipt_ms = *c.receipt_delay_ms;
    for (const bool accepted : {false, true}) {
      SCOPED_TRACE(std::string(c.access) + (accepted ? " accepted" : " not accepted"));
      settings.AccessTyp = c.access;
      // The answer, or once accepted the receipt, is held back.
      *c.answer_delay_ms = accepted ? answer_ms : kLong;
      *c.receipt_delay_ms = accepted ? kLong : receipt_ms;
      At(30000, [&] { window->CancelSend(); });
      window->StartSend();
      EXPECT_EQ(Receipt(), accepted ? "Message sent. Cancelled while waiting for the receipt."
                                    : "Sending Cancelled.");
      EXPECT_EQ(LogLines().back(), std::string("\"Temporary number 46701234567\",\"") +
                                       (accepted ? "Message sent." : "Sending Cancelled.") +
                                       "\",\"Hej\"");
      EXPECT_EQ(window->State().accepted, accepted);
      EXPECT_TRUE(Enabled(MainControl::kSend));
      // The line is given up at once.
      EXPECT_FALSE(modem_.Carrier() || modem_port_.IsOpen() || gsm_port_.IsOpen() ||
                   smpp_tcp_.IsOpen() || emi_tcp_.IsOpen());
      // The closing step logs nothing more.
      loop.RunFor(std::chrono::milliseconds(kLong));
    }
  }
  EXPECT_EQ(LogLines().size(), 8u);
}

// An order the far end took before the cancel tells its caller it was
// accepted, and its receipt file says so. An autosend file whose message was
// taken goes, so that the next pass does not send it again; one not taken
// stays.
TEST_F(TransportScenario, AnOrderOrAutosendFileTakenBeforeTheCancelCountsAsSent) {
  settings.AccessTyp = "EMI";
  centre_.Options().notification_delay_ms = kLong;
  At(30000, [&] { window->CancelSend(); });
  EXPECT_EQ(CommandLineSending(*window).ArgSandning("N//0701234567//Hej//kvitto.txt"),
            OrderOutcome::kAccepted);
  std::ifstream file(ReceiptFilePath(settings.ProgramFolder, "kvitto.txt"));
  std::string line;
  ASSERT_TRUE(std::getline(file, line));
  EXPECT_EQ(LogRecord::FromLine(line).result, "Message sent.");

  settings.AutoFil = "/out";
  settings.AutoTyp = "1";
  settings.AutoTabort = "1";
  settings.NrFranFil = "1";
  settings.NrFranFilOn = true;
  files.MakeFolder("/out");
  for (const bool accepted : {false, true}) {
    SCOPED_TRACE(accepted ? "accepted" : "not accepted");
    centre_.Options().submit_delay_ms = accepted ? 0 : kLong;
    files.Write("/out/a.txt", "N//0701234567//Hej");
    At(30000, [&] { window->CancelSend(); });
    window->OnAutosendingClicked(true);
    loop.RunFor(std::chrono::milliseconds(kLong));
    window->OnAutosendingClicked(false);
    EXPECT_EQ(files.Exists("/out/a.txt"), !accepted);
    EXPECT_THAT(LogLines().back(), StartsWith(std::string("\"Temporary number 0701234567\",\"") +
                                              (accepted ? "Message sent." : "Sending Cancelled.")));
  }
}

TEST_F(TransportScenario, EachPartEndsWithItsStateAndReference) {
  const std::string number = "46701234567";
  const std::string sm = " " + number + ":061226100000";
  sim::GsmModemOptions& gsm = gsm_.Options();
  sim::SmscOptions& smsc = smsc_.Options();
  auto gateway = [&](sim::GatewayAnswer answer) { gateway_.SetAnswer(number, answer); };
  // A long text goes as two linked parts, or as a double message of two
  // parts; the parts' states, with " | " between them.
  const struct {
    const char* access;
    bool long_text;
    std::string parts;
    std::function<void()> arrange;
  } cases[] = {
      {"GSM", false, "delivered 1", [] {}},
      {"GSM", false, "expired 2", [&] { gsm.report_statuses = {0x46}; }},
      {"GSM", false, "refused: Not sent: invalid PDU (+CMS ERROR: 304)",
       [&] { gsm.report_statuses = {0x00}, gsm.submit_errors = {"304"}; }},
      {"GSM", false, "unknown: Unknown: no answer from the network (+CMS ERROR: 332)",
       [&] { gsm.submit_errors = {"332"}; }},
      {"GSM", false, "unknown: Unknown: the connection broke before the answer came",
       [&] { gsm.network_delay_ms = 70000; }},
      {"GSM", true, "delivered 3 | delivered 4", [&] { gsm.network_delay_ms = 2000; }},
      {"Modem", false, "delivered" + sm, [] {}},
      {"Modem", false, "refused: Wrong phonenumber", [&] { smsc.negative_codes = {"06"}; }},
      {"Modem", false, "unknown: The operator didn´t send a receipt.",
       [&] { smsc.answer = false; }},
      {"Modem", true, "delivered" + sm + " | delivered" + sm, [&] { smsc.answer = true; }},
      {"TCP", false, "accepted 200", [] {}},
      {"TCP", false, "refused: Unknown subscriber or not a valid phone number",
       [&] { gateway(sim::GatewayAnswer::Status(450)); }},
      {"TCP", false, "unknown: Unknown status", [&] { gateway(sim::GatewayAnswer::Status(299)); }},
      {"TCP", false, "unknown: The operator didn´t send a receipt.",
       [&] { gateway(sim::GatewayAnswer::Silent()); }},
      {"TCP", true, "accepted 202 | accepted 202",
       [&] { gateway(sim::GatewayAnswer::Status(202)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.access) + " " + c.parts);
    settings.AccessTyp = c.access;
    c.arrange();
    window->OnDoubleToggled(c.long_text);
    TypeMessage(*window, c.long_text ? std::string(160, 'a') + "the rest" : "Hej");
    window->StartSend();
    EXPECT_EQ(LastParts(), c.parts);
    // A part that failed to go says why, as the receipt line does.
    const size_t why = c.parts.find(": ");
    if (why != std::string::npos) EXPECT_EQ(Receipt(), c.parts.substr(why + 2));
  }
}

TEST_F(TransportScenario, APartTheStoreCannotRecordNeverReachesTheFarEnd) {
  for (const char* access : {"GSM", "Modem", "TCP"}) {
    SCOPED_TRACE(access);
    settings.AccessTyp = access;
    TypeMessage(*window, "Hej");
    const size_t before = WireCount();
    // The store goes away once the message is queued.
    At(1, [&] { window->Messages().Use(nullptr); });
    window->StartSend();
    EXPECT_EQ(Receipt(), kNoStore);
    EXPECT_EQ(WireCount(), before);
    EXPECT_THAT(LogLines().back(), HasSubstr(kNoStore));
    EXPECT_TRUE(Enabled(MainControl::kSend));
    window->Messages().Use(&messages);
  }
  EXPECT_THAT(gsm_port_.Written(), Not(HasSubstr("AT+CMGS")));
}

}  // namespace
}  // namespace tolvane::testing
