// Sending over the TCP transports, the modem and the GSM modem against their
// simulators. Cancel during a single send, on every transport that waits for a
// receipt after the far end's answer: a message the far end accepted keeps
// that outcome (the log says "Message sent.") and only the wait for its
// receipt ends; a message not yet accepted is cancelled. The window of
// outstanding submits as both TCP transports use it, each case on SMPP and on
// UCP/EMI: a receipt matched whichever comes first, it or its message's last
// answer; a cancelled run that keeps what the far end took; a refused
// connection named with its address, and the session closed in the
// transport's own words. (A part's own deadline the transports' tests show.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "bulk/command_line_sending.h"
#include "core/receipt_texts.h"
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

using ::testing::ElementsAre;
using ::testing::StartsWith;

constexpr int kLong = 100000;

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
    Open(modem_port_, http);
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
    TypeMessage(*window, "Hej");
  }
  ~TransportScenario() override { window.reset(); }

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
      // The closing step logs nothing more.
      loop.RunFor(std::chrono::milliseconds(kLong));
    }
  }
  EXPECT_EQ(LogLines().size(), 8u);
}

// An order tells its caller it was accepted, and its receipt file says so.
TEST_F(TransportScenario, AnOrderAcceptedBeforeTheCancelReportsItSent) {
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

// Autosending too: a file whose message the far end took before the cancel
// goes, so that the next pass does not send it again; one it did not take
// stays.
TEST_F(TransportScenario, AnAutosendFileTakenBeforeTheCancelGoes) {
  settings.AccessTyp = "EMI";
  settings.AutoFil = "/out";
  settings.AutoTyp = "1";
  settings.AutoTabort = "1";
  settings.NrFranFil = "1";
  settings.NrFranFilOn = true;
  files.MakeFolder("/out");
  for (const bool accepted : {false, true}) {
    SCOPED_TRACE(accepted ? "accepted" : "not accepted");
    centre_.Options().submit_delay_ms = accepted ? 0 : kLong;
    centre_.Options().notification_delay_ms = kLong;
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

enum class Far { kSmpp, kEmi };

class WindowedScenario : public TransportScenario, public ::testing::WithParamInterface<Far> {
 protected:
  WindowedScenario() {
    settings.AccessTyp = Smpp() ? "SMPP" : "EMI";
    settings.Avs = "Tolvane";
    settings.Validity = 0;
    window->ConfigureTransports();
  }

  bool Smpp() const { return GetParam() == Far::kSmpp; }
  void SetWindow(int size) {
    (Smpp() ? settings.transports.Get<SmppSettings>().Window
            : settings.transports.Get<EmiSettings>().Window) = std::to_string(size);
  }
  void SetReceiptDelay(int ms) {
    provider_.Options().receipt_delay_ms = ms;
    centre_.Options().notification_delay_ms = ms;
  }
  void RefuseConnections(int count) {
    provider_.Options().refused_connections = count;
    centre_.Options().refused_connections = count;
  }
  std::string FarEnd() const { return Smpp() ? "The SMPP provider" : "The SMS centre"; }
  std::string Address() const { return Smpp() ? "smpp.example.net:2775" : "smsc.example.net:5000"; }
  std::string Closing() const {
    return Smpp() ? "Logging out of the SMPP provider..."
                  : "Closing the connection to the SMS centre...";
  }
  // Sends `text` to the temporary number; the virtual milliseconds from the
  // start to the outcome on the receipt line.
  long long Timed(const std::string& text) {
    const long long start = loop.Elapsed().count();
    Send(text);
    return receipts.LastAt(Receipt()) - start;
  }
};

INSTANTIATE_TEST_SUITE_P(BothTransports, WindowedScenario, ::testing::Values(Far::kSmpp, Far::kEmi),
                         [](const auto& info) {
                           return info.param == Far::kSmpp ? "Smpp" : "Emi";
                         });

// The session is up at 53 ms (connect 1, login 1 + 50 + 1); each answer
// takes 300 ms and 2 ms on the line, a receipt its delay more.
TEST_P(WindowedScenario, AReceiptIsMatchedWhetherItComesBeforeOrAfterTheLastAnswer) {
  const std::string two_parts(200, 'a');
  // Window 1: part 1's receipt comes 100 ms after its answer, while part 2
  // waits for its own.
  SetWindow(1);
  SetReceiptDelay(100);
  EXPECT_EQ(Timed(two_parts), 53 + 302 + 302 + 100);
  EXPECT_EQ(Receipt(), "Message delivered.");
  // Part 2 refused for now and sent again after a second, part 1's receipt
  // meanwhile.
  SetWindow(10);
  SetReceiptDelay(500);
  // The second submit from now is refused for now (throttled, or EMI's 50
  // "low network status").
  provider_.Options().submit_statuses = {0, 0x58};
  centre_.Options().submit_errors = {"", "50"};
  EXPECT_EQ(Timed(two_parts), 53 + 302 + 1000 + 302 + 500);
  EXPECT_EQ(Receipt(), "Message delivered.");
  if (Smpp()) {
    // deliver_sm before the submit_sm_resp that gives its id.
    provider_.Options().receipts_before_answer = true;
    EXPECT_EQ(Timed("Hej"), 53 + 1 + 500 + 300 + 1);
    EXPECT_EQ(Receipt(), "Message delivered.");
  }
  EXPECT_THAT(statuses.Texts(), ::testing::Not(::testing::Contains(StartsWith("Hanging up"))));
  EXPECT_EQ(statuses.Count(Closing()), Smpp() ? 3 : 2);
}

// The store holds each member of a run with its parts as the far end left
// them: delivered with the reference each answer gave, or refused.
TEST_P(WindowedScenario, TheStoreKeepsEachMemberAndPartAsTheFarEndLeftIt) {
  SetWindow(10);
  SetReceiptDelay(100);
  // The fourth submit, member 101's second part, is refused.
  provider_.Options().submit_statuses = {0, 0, 0, 0x45};
  centre_.Options().submit_errors = {"", "", "", "04"};
  SendToGroupOf(3, std::string(200, 'a'));
  const std::vector<StoredRun> open = messages.OpenRuns();
  EXPECT_TRUE(open.empty());
  const std::vector<StoredMessage> run = messages.RunMessages(1);
  ASSERT_EQ(run.size(), 3u);
  const MessageState states[] = {MessageState::kDelivered, MessageState::kRefused,
                                 MessageState::kDelivered};
  for (size_t i = 0; i < run.size(); ++i) {
    SCOPED_TRACE(i);
    const StoredMessage& message = run[i];
    EXPECT_EQ(message.number_typed, std::to_string(701000000 + i));
    EXPECT_EQ(message.name, "Member " + std::to_string(100 + i));
    EXPECT_EQ(message.state, states[i]);
    EXPECT_EQ(message.part_count, 2);
    EXPECT_EQ(message.transport, Smpp() ? "SMPP" : "EMI");
    ASSERT_EQ(message.parts.size(), 2u);
    EXPECT_FALSE(message.parts[0].ref.empty());
    EXPECT_EQ(message.parts[1].ref.empty(), i == 1);
    EXPECT_EQ(message.parts[1].state, i == 1 ? MessageState::kRefused : MessageState::kDelivered);
  }
  // The parts of one message share its reference; the next message has its own.
  EXPECT_GE(run[0].reference, 0);
  EXPECT_NE(run[0].reference, run[1].reference);
}

// A receipt that comes after the program stopped waiting for it, here after
// a restart, still finds its message through the store.
TEST_P(WindowedScenario, AReceiptAfterARestartFindsItsMessage) {
  provider_.Options().keep_receipts = true;
  SetReceiptDelay(90000);
  window->StartSend();
  EXPECT_EQ(Receipt(), kReceiptNoReport);
  EXPECT_EQ(messages.Message(1)->state, MessageState::kAccepted);
  // The program closes; the receipt falls due while nobody is logged in.
  window.reset();
  loop.RunFor(std::chrono::seconds(30));
  Open(modem_port_, http);
  window->ConfigureTransports();
  window->OnTemporaryNumberToggled(true);
  window->OnNumberEdited("+46 70-123 45 67");
  SetReceiptDelay(100);
  Send("Hej igen");
  EXPECT_EQ(Receipt(), "Message delivered.");
  const std::optional<StoredMessage> first = messages.Message(1);
  EXPECT_EQ(first->state, MessageState::kDelivered);
  EXPECT_EQ(first->parts.front().state, MessageState::kDelivered);
  EXPECT_EQ(messages.Message(2)->state, MessageState::kDelivered);
}

TEST_P(WindowedScenario, CancelInARunKeepsWhatTheFarEndTook) {
  // Members 100 and 101 are taken at 355 ms and wait for receipts; 102 and
  // 103 are on their way at the cancel, 104 not yet sent.
  SetWindow(2);
  SetReceiptDelay(100000);
  At(500, [&] { window->CancelSend(); });
  SendToGroupOf(5, "Hej");
  EXPECT_THAT(LogLines(),
              ElementsAre("\"Member 100 701000000\",\"Message sent.\",\"Hej\"",
                          "\"Member 101 701000001\",\"Message sent.\",\"Hej\"",
                          StartsWith("\"Member 102 701000002\",\"Sending Cancelled.\""),
                          StartsWith("\"Member 103 701000003\",\"Sending Cancelled.\""),
                          StartsWith("\"Member 104 701000004\",\"Sending Cancelled.\"")));
}

TEST_P(WindowedScenario, ARefusedConnectionIsNamedWithItsAddress) {
  RefuseConnections(1);
  window->StartSend();
  const std::string refused = FarEnd() + " cannot be reached: Connection refused by " + Address();
  EXPECT_EQ(Receipt(), refused);
  EXPECT_TRUE(statuses.Saw(Closing()));
  EXPECT_FALSE(statuses.Saw("Hanging up..."));

  // Refused while connecting again: the member waiting to go says so,
  // after pauses of 1, 2, 4 ... 60 s, and the run ends there.
  SetWindow(1);
  provider_.Options().drop_at_submit = 0;
  centre_.Options().drop_at_submit = 0;
  At(200, [&] { RefuseConnections(8); });
  const long long start = loop.Elapsed().count();
  SendToGroupOf(3, "Hej");
  EXPECT_THAT(LogLines(),
              ElementsAre(StartsWith("\"Temporary number"),
                          StartsWith("\"Member 100 701000000\",\"Unknown: the connection broke"),
                          "\"Member 101 701000001\",\"Not sent: " + refused + "\",\"Hej\""));
  EXPECT_EQ(receipts.LastAt(Receipt()) - start,
            54 + 1 + (1 + 2 + 4 + 8 + 16 + 32 + 60 + 60) * 1000 + 8);
}

}  // namespace
}  // namespace tolvane::testing
