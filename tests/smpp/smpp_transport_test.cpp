// Sending through a simulated SMPP provider: the bind and the submit on the
// wire, a refused login, linked parts with their receipts, the provider's
// statuses and its throttling, a connection lost under a submit, garbage on
// the line, and a group run over one bind.
#include "smpp/smpp_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

#include "bulk/group_sending.h"
#include "core/secret_names.h"
#include "core/secret_store.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_time.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using sim::SmppSubmission;
using ::testing::ElementsAre;
using ::testing::StartsWith;

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0x0F];
  }
  return hex;
}

class SmppScenario : public WindowScenario {
 protected:
  SmppScenario() {
    settings.AccessTyp = "SMPP";
    settings.SmppHost = "smpp.example.net";
    settings.SmppSystemId = "tolvane";
    settings.Avs = "Tolvane";
    EXPECT_TRUE(SecretStore(settings.ProgramFolder).WriteSecret(kSmppSecret, "secret"));
    smpp_connection = &connection;
    OpenTypedForTemporaryNumber();
  }
  ~SmppScenario() override { window.reset(); }

  sim::SmppProviderOptions& Provider() { return provider.Options(); }
  // The commands the program sent, in order.
  std::vector<uint32_t> Commands() const {
    std::vector<uint32_t> commands;
    for (const SmppPdu& pdu : provider.Received()) commands.push_back(pdu.command);
    return commands;
  }
  bool Unlocked() const {
    return Enabled(MainControl::kSend) && !Enabled(MainControl::kCancel) && !connection.IsOpen();
  }

  std::vector<std::string> Destinations() const {
    std::vector<std::string> destinations;
    for (const SmppSubmission& submission : provider.Submissions()) {
      destinations.push_back(submission.destination.value);
    }
    return destinations;
  }

  sim::SimSmppProvider provider{Schedule(loop)};
  sim::SimTcpConnection connection{loop, provider};
};

TEST_F(SmppScenario, AMessageIsBoundSubmittedDeliveredAndUnbound) {
  Provider().enquire_before_answer = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(connection.Host(), "smpp.example.net");
  EXPECT_EQ(connection.Port(), 2775);
  EXPECT_FALSE(connection.Tls());
  // bind_transceiver, sequence 1: "tolvane", "secret", no system type,
  // version 3.4, no address range.
  EXPECT_THAT(Hex(connection.Written()), StartsWith("00000024000000090000000000000001"
                                                    "746F6C76616E6500"
                                                    "73656372657400"
                                                    "00"
                                                    "34000000"));
  // submit_sm, sequence 2: from the name Tolvane (TON 5, NPI 0) to
  // +46701234567 (TON 1, NPI 1), valid a day, a receipt wanted, "Hej" in
  // the provider's alphabet.
  ASSERT_GE(provider.Received().size(), 2u);
  EXPECT_EQ(Hex(EncodePdu(provider.Received()[1])),
            "00000046000000040000000000000002"
            "00"
            "0500546F6C76616E6500"
            "01013436373031323334353637"
            "00"
            "000000"
            "00"
            "30303030303130303030303030303052"
            "00"
            "01000000"
            "0348656A");
  EXPECT_THAT(Commands(), ElementsAre(kBindTransceiver, kSubmitSm, kEnquireLink | kResponseBit,
                                      kDeliverSm | kResponseBit, kUnbind));
  EXPECT_EQ(provider.Unanswered(), 0);
  EXPECT_THAT(LogLines(),
              ElementsAre("\"Temporary number 46701234567\",\"Message delivered.\",\"Hej\""));
  EXPECT_TRUE(Unlocked());

  // Without receipts none is asked for, and the answer ends the send.
  settings.EjKvittoOn = true;
  settings.EjKvitto = "1";
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_FALSE(provider.Submissions().back().registered_delivery);
  EXPECT_TRUE(window->State().accepted);

  // A message for later waits at the provider, and no receipt is asked for.
  settings.EjKvittoOn = false;
  settings.EjKvitto = "0";
  const TimePoint later = LocalTimeOfDay(loop.Now(), 16, 0, 0);
  const std::time_t local_time = Clock::to_time_t(later);
  std::tm local{};
  localtime_r(&local_time, &local);
  char day[16];
  std::strftime(day, sizeof day, "%d%m%y", &local);
  window->SetDeliveryTime("16:00", std::string(day) + "1600");
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_EQ(provider.Submissions().back().schedule_delivery_time,
            SmppAbsoluteTime(Clock::to_time_t(later)));
  EXPECT_FALSE(provider.Submissions().back().registered_delivery);
}

TEST_F(SmppScenario, ARefusedLoginShowsTheProvidersStatusAndSendsNothing) {
  ASSERT_TRUE(SecretStore(settings.ProgramFolder).WriteSecret(kSmppSecret, "wrong"));
  window->StartSend();
  EXPECT_EQ(Receipt(), "Login refused: invalid password (0x0E)");
  EXPECT_TRUE(provider.Submissions().empty());
  EXPECT_FALSE(window->State().accepted);
  EXPECT_TRUE(Unlocked());

  Provider().bind_refusal = 0x0D;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Login refused: bind failed (0x0D)");
  EXPECT_THAT(Commands(), ElementsAre(kBindTransceiver, kBindTransceiver));
}

TEST_F(SmppScenario, ALatin1ProviderRefusesWhatLatin1CannotCarryBeforeBinding) {
  settings.SmppDefaultAlphabet = "3";
  Send("Åsa: ΔΣ €");
  EXPECT_EQ(Receipt(),
            "The provider's alphabet (DefaultAlphabet 3, Latin-1) cannot carry the character Δ");
  EXPECT_TRUE(Commands().empty());
}

TEST_F(SmppScenario, ALongTextGoesAsThreeLinkedPartsAndWaitsForThreeReceipts) {
  Send(std::string(400, 'a'));
  EXPECT_EQ(Receipt(), "Message delivered.");
  const std::vector<SmppSubmission>& parts = provider.Submissions();
  ASSERT_EQ(parts.size(), 3u);
  const char reference = parts[0].short_message[3];
  const size_t lengths[] = {153, 153, 94};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(parts[i].esm_class, 0x40);
    EXPECT_EQ(parts[i].data_coding, 0);
    EXPECT_EQ(parts[i].short_message.substr(0, 6),
              std::string("\x05\x00\x03", 3) + reference + '\x03' + static_cast<char>(i + 1));
    EXPECT_EQ(parts[i].short_message.size(), 6 + lengths[i]);
  }
  // Every part's receipt was answered, and one log record for the message.
  EXPECT_EQ(provider.Unanswered(), 0);
  EXPECT_EQ(LogLines().size(), 1u);

  // One part not delivered is the message's outcome.
  Provider().receipt_states = {1, 5};
  Send("Łukasz, 今晚见");
  EXPECT_EQ(Receipt(), "Not delivered: UNDELIVERABLE");
  EXPECT_EQ(provider.Submissions().back().data_coding, 8);
  EXPECT_TRUE(window->State().accepted);
}

TEST_F(SmppScenario, AnErrorStatusEndsTheMessageWithItsText) {
  Provider().submit_statuses = {0x0B};
  window->StartSend();
  EXPECT_EQ(Receipt(), "Not sent: invalid destination address (0x0B)");
  EXPECT_FALSE(window->State().accepted);
  EXPECT_TRUE(Unlocked());

  // The first part refused ends the message, though its other parts are
  // never answered: their deadlines still end the wait.
  Provider().submit_statuses = {0x0B};
  Provider().silent_from_submit = 2;
  const auto start = loop.Elapsed();
  Send(std::string(400, 'a'));
  EXPECT_EQ(Receipt(), "Part 1 of 3: Not sent: invalid destination address (0x0B)");
  EXPECT_LT(loop.Elapsed() - start, std::chrono::seconds(40));
  EXPECT_TRUE(Unlocked());
}

TEST_F(SmppScenario, ThrottlingBacksOffAndSendsTheSamePartAgain) {
  Provider().submit_statuses = {0x58, 0x58, 0x14};
  const auto start = loop.Elapsed();
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  // Pauses of 1, 2 and 4 seconds.
  EXPECT_GE(loop.Elapsed() - start, std::chrono::seconds(7));
  ASSERT_EQ(provider.Submissions().size(), 4u);
  for (const SmppSubmission& submission : provider.Submissions()) {
    EXPECT_EQ(submission.short_message, "Hej");
  }
  EXPECT_EQ(provider.Binds().size(), 1u);
}

TEST_F(SmppScenario, ASubmitWhoseAnswerNeverCameIsNotSentAgain) {
  Provider().drop_at_submit = 0;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Unknown: the connection broke before the answer came");
  EXPECT_EQ(connection.ConnectCount(), 1);
  EXPECT_THAT(Commands(), ElementsAre(kBindTransceiver, kSubmitSm));
  EXPECT_TRUE(Unlocked());

  // A provider that does not answer: after 30 seconds the outcome is unknown too.
  Provider().submit_delay_ms = 120000;
  const auto start = loop.Elapsed();
  window->StartSend();
  EXPECT_EQ(Receipt(), "Unknown: no answer came within 30 seconds");
  EXPECT_LT(loop.Elapsed() - start, std::chrono::seconds(40));
  std::vector<uint32_t> commands = Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), kSubmitSm), 2);
  EXPECT_EQ(commands.back(), kUnbind);

  // Only the user's setting sends it once more, over a new session.
  settings.SmppResendUnanswered = "1";
  Provider().submit_delay_ms = 300;
  Provider().drop_at_submit = 2;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(connection.ConnectCount(), 4);
  commands = Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), kSubmitSm), 4);
}

TEST_F(SmppScenario, GarbageOnTheLineEndsTheSessionWithAClearText) {
  Provider().garbage_at_submit = 0;
  window->StartSend();
  EXPECT_EQ(Receipt(),
            "Unknown: The SMPP provider sent what is not SMPP (The provider sent a PDU of "
            "1213486160 bytes)");
  EXPECT_TRUE(Unlocked());
  // The next send starts a fresh session.
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(provider.Connections(), 2);
}

TEST_F(SmppScenario, ALongWaitForTheReceiptChecksTheLinkAndCancelEndsItWithAnUnbind) {
  Provider().receipt_delay_ms = 100000;
  At(70000, [&] { window->CancelSend(); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Sending Cancelled.");
  const std::vector<uint32_t> commands = Commands();
  // Every 30 seconds of quiet an enquire_link.
  EXPECT_EQ(std::count(commands.begin(), commands.end(), kEnquireLink), 2);
  EXPECT_EQ(commands.back(), kUnbind);
  EXPECT_TRUE(Unlocked());
}

TEST_F(SmppScenario, AGroupGoesOutOverOneBind) {
  SendToThreeFriends("Hej alla");

  EXPECT_EQ(provider.Connections(), 1);
  EXPECT_EQ(provider.Binds().size(), 1u);
  EXPECT_EQ(provider.Unbinds(), 1);
  std::vector<std::string> recipients;
  for (const SmppSubmission& submission : provider.Submissions()) {
    recipients.push_back(std::to_string(submission.destination.ton) + ":" +
                         submission.destination.value);
  }
  EXPECT_THAT(recipients, ElementsAre("0:0701111111", "1:46702222222", "0:0703333333"));
  EXPECT_THAT(LogLines(), ElementsAre(StartsWith("\"Anna 0701111111\",\"Message delivered.\""),
                                      StartsWith("\"Bertil 46702222222\",\"Message delivered.\""),
                                      StartsWith("\"Cecilia 0703333333\",\"Message delivered.\"")));
  EXPECT_TRUE(window->Groups().LastRunAccepted());
  EXPECT_FALSE(connection.IsOpen());
}

TEST_F(SmppScenario, AGroupOfFortyGoesThroughAWindowOfTenInSeconds) {
  // The third submit is throttled and goes again once the pause is over.
  Provider().submit_statuses = {0, 0, 0x58};
  const auto start = loop.Elapsed();
  SendToGroupOf(40, "Möte i kväll");

  EXPECT_EQ(provider.MostOutstanding(), 10);
  std::vector<std::string> destinations = Destinations();
  EXPECT_EQ(destinations.size(), 41u);
  std::sort(destinations.begin(), destinations.end());
  destinations.erase(std::unique(destinations.begin(), destinations.end()), destinations.end());
  EXPECT_EQ(destinations.size(), 40u);
  // Each answer takes 0.3 s and each receipt 2 s more: one at a time would
  // take a minute and a half.
  EXPECT_LT(loop.Elapsed() - start, std::chrono::seconds(15));
  const std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 40u);
  for (const std::string& line : log) {
    EXPECT_THAT(line, ::testing::HasSubstr("\",\"Message delivered.\",\"Möte i kväll\""));
  }
  EXPECT_TRUE(window->Groups().LastRunAccepted());
  EXPECT_EQ(provider.Binds().size(), 1u);
  EXPECT_EQ(provider.Unanswered(), 0);
  EXPECT_EQ(Commands().back(), kUnbind);
  EXPECT_FALSE(connection.IsOpen());
}

TEST_F(SmppScenario, ADropInARunLeavesTheUnansweredUnknownAndTheRestGoAfterANewBind) {
  settings.SmppWindow = "2";
  Provider().drop_at_submit = 1;
  SendToGroupOf(5, "Hej");

  // The first two were out when the line dropped; the others went over a
  // new session.
  EXPECT_EQ(provider.Connections(), 2);
  EXPECT_EQ(provider.Binds().size(), 2u);
  EXPECT_THAT(Destinations(), ElementsAre("701000000", "701000002", "701000003", "701000004"));
  EXPECT_THAT(LogLines(),
              ElementsAre(StartsWith("\"Member 100 701000000\",\"Unknown: the connection broke"),
                          StartsWith("\"Member 101 701000001\",\"Unknown: the connection broke"),
                          StartsWith("\"Member 102 701000002\",\"Message delivered.\""),
                          StartsWith("\"Member 103 701000003\",\"Message delivered.\""),
                          StartsWith("\"Member 104 701000004\",\"Message delivered.\"")));
  EXPECT_EQ(Text(MainControl::kStatusLine), "2 of 5 members not sent, see the log");
  EXPECT_FALSE(window->Groups().LastRunAccepted());
}

TEST_F(SmppScenario, AMessageToTheAccountIsAnsweredAndLogged) {
  At(1000, [&] { provider.SendMessage("46709999999", "Tack!"); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(provider.Unanswered(), 0);
  EXPECT_THAT(LogLines(), ElementsAre("\"+46709999999\",\"Received\",\"Tack!\"",
                                      StartsWith("\"Temporary number")));
}

}  // namespace
}  // namespace tolvane::testing
