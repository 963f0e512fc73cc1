// Sending through a simulated SMPP provider: the bind and the submit on the
// wire, a refused login, linked parts with their receipts, the provider's
// statuses and its throttling, a connection lost under a submit, garbage on
// the line, and a group run over one bind.
#include "smpp/smpp_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "bulk/group_sending.h"
#include "core/secret_store.h"
#include "platform/local_time.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_settings.h"
#include "smpp/smpp_time.h"
#include "sms/hex_octets.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using sim::SmppSubmission;
using ::testing::ElementsAre;
using ::testing::StartsWith;

class SmppScenario : public WindowScenario {
 protected:
  SmppScenario() {
    settings.AccessTyp = "SMPP";
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
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
  int Count(uint32_t command) const {
    const std::vector<uint32_t> commands = Commands();
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
  }
  // Sends `text`: it fails with `receipt`, the program having sent
  // `commands`, and leaves the window free.
  void ExpectFailed(const std::string& receipt, const std::vector<uint32_t>& commands,
                    const std::string& text = "Hej") {
    const size_t before = provider.Received().size();
    const int connections = connection.ConnectCount();
    Send(text);
    EXPECT_EQ(Receipt(), receipt);
    const std::vector<uint32_t> all = Commands();
    EXPECT_EQ(std::vector<uint32_t>(all.begin() + before, all.end()), commands) << receipt;
    EXPECT_EQ(connection.ConnectCount() - connections, commands.empty() ? 0 : 1);
    EXPECT_FALSE(window->State().accepted);
    EXPECT_TRUE(Unlocked());
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
  EXPECT_THAT(ToHex(connection.Written()), StartsWith("00000024000000090000000000000001"
                                                      "746F6C76616E6500"
                                                      "73656372657400"
                                                      "00"
                                                      "34000000"));
  // submit_sm, sequence 2: from the name Tolvane (TON 5, NPI 0) to
  // +46701234567 (TON 1, NPI 1), valid a day, a receipt wanted, "Hej" in
  // the provider's alphabet.
  ASSERT_GE(provider.Received().size(), 2u);
  EXPECT_EQ(ToHex(EncodePdu(provider.Received()[1])),
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
  AskForReceipts(false);
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_FALSE(provider.Submissions().back().registered_delivery);
  EXPECT_TRUE(window->State().accepted);

  // A message for later waits at the provider, and no receipt is asked for.
  AskForReceipts(true);
  const TimePoint later = LocalTimeOfDay(loop.Now(), 16, 0, 0);
  window->SetDeliveryTime("16:00", LocalTimeText(later, "%d%m%y%H%M"));
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_EQ(provider.Submissions().back().schedule_delivery_time,
            SmppAbsoluteTime(Clock::to_time_t(later)));
  // Its receipt is still asked for, though the send does not wait for it.
  EXPECT_TRUE(provider.Submissions().back().registered_delivery);
}

TEST_F(SmppScenario, AddressesGoInternationalAndSendersInTheProvidersAlphabet) {
  // 11 characters, 14 bytes of UTF-8: Å Ö Ä as GSM septets or Latin-1, and
  // so the text, unpacked: "Hej på".
  const struct {
    const char* avs;
    std::string alphabet;
    const char* number;
    SmsAddress source;
    SmsAddress destination;
  } kCases[] = {
      {"Åsa Öberg Ä", "0", "0046701234567", {5, 0, "\016sa \134berg \133"}, {1, 1, "46701234567"}},
      {"Åsa Öberg Ä", "3", "0701234567", {5, 0, "\305sa \326berg \304"}, {0, 1, "0701234567"}},
      {"0046707654321", "0", "+46701234567", {1, 1, "46707654321"}, {1, 1, "46701234567"}},
  };
  for (const auto& c : kCases) {
    settings.Avs = c.avs;
    settings.transports.Get<SmppSettings>().DefaultAlphabet = c.alphabet;
    window->OnNumberEdited(c.number);
    Send("Hej på");
    EXPECT_EQ(Receipt(), "Message delivered.") << c.avs;
    const SmppSubmission& sent = provider.Submissions().back();
    EXPECT_EQ(sent.source, c.source) << c.avs;
    EXPECT_EQ(sent.destination, c.destination) << c.avs;
    EXPECT_EQ(sent.short_message, c.alphabet == "3" ? "Hej p\345" : "Hej p\017") << c.avs;
    // No header; data_coding 3 is Latin-1 in SMPP 3.4.
    EXPECT_EQ(sent.esm_class, 0) << c.avs;
    EXPECT_EQ(sent.data_coding, std::stoi(c.alphabet)) << c.avs;
  }
  EXPECT_EQ(provider.Submissions().size(), 3u);

  // What the provider's alphabet cannot carry is refused before connecting,
  // in a group run too.
  settings.Avs = "Åsa Öberg Äx";
  ExpectFailed("The sender name \"Åsa Öberg Äx\" must be at most 11 characters of the GSM alphabet",
               {});
  settings.Avs = "Tolvane";
  settings.transports.Get<SmppSettings>().DefaultAlphabet = "3";
  ExpectFailed("The provider's alphabet (DefaultAlphabet 3, Latin-1) cannot carry the character Δ",
               {}, "Åsa: ΔΣ €");
  ExpectFailed("The provider's alphabet (DefaultAlphabet 3, Latin-1) cannot carry the character €",
               {}, "Åsa: 5 €");
  settings.Avs = "Tolvane €";
  const std::string latin1 =
      "The sender name \"Tolvane €\" must be at most 11 characters of the provider's alphabet "
      "(DefaultAlphabet 3, Latin-1)";
  ExpectFailed(latin1, {});
  SendToThreeFriends("Hej");
  EXPECT_EQ(Receipt(), latin1);
  EXPECT_EQ(connection.ConnectCount(), 3);
}

TEST_F(SmppScenario, ARefusalOrABrokenSessionEndsTheSendWithItsText) {
  Provider().password = "other";
  ExpectFailed("Login refused: invalid password (0x0E)", {kBindTransceiver});
  Provider().bind_refusal = 0x0D;
  ExpectFailed("Login refused: bind failed (0x0D)", {kBindTransceiver});
  Provider() = {};
  Provider().submit_statuses = {0x0B};
  ExpectFailed("Not sent: invalid destination address (0x0B)",
               {kBindTransceiver, kSubmitSm, kUnbind});
  Provider().garbage_at_submit = Count(kSubmitSm);
  ExpectFailed(
      "Unknown: The SMPP provider sent what is not SMPP (The provider sent a PDU of "
      "1213486160 bytes)",
      {kBindTransceiver, kSubmitSm});
  // A submit whose answer never came may have gone: not sent again.
  Provider().drop_at_submit = Count(kSubmitSm);
  ExpectFailed("Unknown: the connection broke before the answer came",
               {kBindTransceiver, kSubmitSm});
  EXPECT_EQ(provider.Connections(), 5);

  // Only the user's setting sends it once more, over a new session.
  settings.transports.Get<SmppSettings>().ResendUnanswered = "1";
  Provider().drop_at_submit = Count(kSubmitSm);
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(provider.Connections(), 7);
  EXPECT_EQ(Count(kSubmitSm), 5);
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
    EXPECT_EQ(parts[i].short_message, std::string("\x05\x00\x03", 3) + reference + '\x03' +
                                          static_cast<char>(i + 1) + std::string(lengths[i], 'a'));
  }
  // Every part's receipt was answered, and one log record for the message.
  EXPECT_EQ(provider.Unanswered(), 0);
  EXPECT_EQ(LogLines().size(), 1u);

  // ACCEPTD is the provider's acceptance: the send waits on for DELIVRD,
  // and without one the receipt time runs out.
  Provider().receipt_states = {6, 2};
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_TRUE(statuses.Saw("The network is still trying: ACCEPTED"));
  Provider().receipt_states = {6};
  Send("Hej");
  EXPECT_EQ(Receipt(), "The operator didn´t send a receipt.");

  // One part not delivered is the message's outcome.
  Provider().receipt_states = {1, 5};
  Send("Łukasz, 今晚见");
  EXPECT_EQ(Receipt(), "Not delivered: UNDELIVERABLE");
  EXPECT_EQ(provider.Submissions().back().data_coding, 8);
  EXPECT_TRUE(window->State().accepted);
}

TEST_F(SmppScenario, ThrottlingBacksOffOncePerBurstAndSendsTheSamePartsAgain) {
  // Bound at 53 ms, each answer 302 ms later: pauses of 1, 2 and 4 s, and
  // the receipt 2 s after the fourth answer.
  Provider().submit_statuses = {0x58, 0x58, 0x14};
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(receipts.LastAt(Receipt()), 53 + 4 * 302 + (1 + 2 + 4) * 1000 + 2000);
  EXPECT_THAT(provider.Submissions(),
              ::testing::Each(::testing::Field(&SmppSubmission::short_message, "Hej")));
  EXPECT_EQ(provider.Submissions().size(), 4u);
  EXPECT_EQ(provider.Binds().size(), 1u);

  // Six parts out at once, all throttled: one pause of 1 s, then five
  // parts (the window halved) and the sixth after the first answer.
  Provider().submit_statuses = std::deque<uint32_t>(6, 0x58);
  const long long start = loop.Elapsed().count();
  Send(std::string(6 * 153, 'a'));
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(receipts.LastAt(Receipt()) - start, 53 + 302 + 1000 + 302 + 302 + 2000);
  EXPECT_EQ(statuses.Count("The far end asks to slow down: trying again in 1 s..."), 2);
  EXPECT_EQ(statuses.Count("The far end asks to slow down: trying again in 2 s..."), 1);
  EXPECT_EQ(provider.Submissions().size(), 4u + 12u);
}

TEST_F(SmppScenario, AnUnansweredPartEndsAtItsOwnDeadline) {
  // The first part refused ends the message at once, though its other parts
  // are never answered: the unbind's answer (52 ms) ends the session, not
  // their deadlines.
  Provider().submit_statuses = {0x0B};
  Provider().silent_from_submit = 1;
  long long start = loop.Elapsed().count();
  Send(std::string(400, 'a'));
  EXPECT_EQ(Receipt(), "Part 1 of 3: Not sent: invalid destination address (0x0B)");
  EXPECT_EQ(receipts.LastAt(Receipt()) - start, 53 + 302);
  EXPECT_EQ(loop.Elapsed().count() - start, 53 + 302 + 52);
  EXPECT_FALSE(window->State().accepted);
  EXPECT_TRUE(Unlocked());

  // In a run a part whose answer never came is given up 30 s after its
  // submit, however many members follow it.
  Provider() = {};
  Provider().silent_at_submit = Count(kSubmitSm);
  start = loop.Elapsed().count();
  SendToGroupOf(12, "Hej");
  EXPECT_THAT(LogLines(), ::testing::Contains(StartsWith(
                              "\"Member 100 701000000\",\"Unknown: no answer came within 30")));
  EXPECT_EQ(receipts.FirstAt("Unknown: no answer came within 30 seconds") - start, 53 + 30000);
}

TEST_F(SmppScenario, ALongWaitForTheReceiptChecksTheLinkAndCancelEndsItWithAnUnbind) {
  Provider().receipt_delay_ms = 100000;
  At(70000, [&] { window->CancelSend(); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message sent. Cancelled while waiting for the receipt.");
  // Every 30 seconds of quiet an enquire_link.
  EXPECT_EQ(Count(kEnquireLink), 2);
  EXPECT_EQ(Commands().back(), kUnbind);
  EXPECT_TRUE(Unlocked());

  // A provider gone silent without closing the connection: its
  // enquire_link (on the link check's second after 30 s of quiet since the
  // answer at 355 ms) unanswered for 30 s breaks the session, and a new
  // one waits for the receipt until its time is up.
  Provider().answers_enquire_link = false;
  const long long start = loop.Elapsed().count();
  window->StartSend();
  EXPECT_EQ(Receipt(), "The operator didn´t send a receipt.");
  EXPECT_EQ(receipts.LastAt(Receipt()) - start, 355 + 82000);
  EXPECT_EQ(
      statuses.LastAt("The connection to the SMPP provider broke: connecting again in 1 s...") -
          start,
      53 + 31000 + 30000);
  EXPECT_EQ(provider.Connections(), 3);
}

// One bind, unbound at the end, is the group of forty's.
TEST_F(SmppScenario, AGroupGoesOutToEachMembersAddress) {
  SendToThreeFriends("Hej alla");
  const auto to = [](SmsAddress address) {
    return ::testing::Field(&SmppSubmission::destination, address);
  };
  EXPECT_THAT(
      provider.Submissions(),
      ElementsAre(to({0, 1, "0701111111"}), to({1, 1, "46702222222"}), to({0, 1, "0703333333"})));
  EXPECT_THAT(LogLines(), ElementsAre(StartsWith("\"Anna 0701111111\",\"Message delivered.\""),
                                      StartsWith("\"Bertil 46702222222\",\"Message delivered.\""),
                                      StartsWith("\"Cecilia 0703333333\",\"Message delivered.\"")));
}

TEST_F(SmppScenario, AGroupOfFortyGoesThroughAWindowOfTenInSeconds) {
  // The third submit is throttled and goes again once the pause is over.
  Provider().submit_statuses = {0, 0, 0x58};
  const auto start = loop.Elapsed();
  SendToGroupOf(40, "Möte i kväll");

  EXPECT_EQ(provider.MostOutstanding(), 10);
  const std::vector<std::string> destinations = Destinations();
  EXPECT_EQ(destinations.size(), 41u);
  EXPECT_EQ(std::set<std::string>(destinations.begin(), destinations.end()).size(), 40u);
  // Each answer takes 0.3 s and each receipt 2 s more: one at a time would
  // take a minute and a half, ten at a time with the pause of 1 s 4.3 s.
  EXPECT_EQ((loop.Elapsed() - start).count(), 4313);
  const std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 40u);
  for (const std::string& line : log) {
    EXPECT_THAT(line, ::testing::HasSubstr("\",\"Message delivered.\",\"Möte i kväll\""));
  }
  EXPECT_TRUE(window->Groups().LastRunAccepted());
  EXPECT_EQ(provider.Binds().size(), 1u);
  EXPECT_EQ(provider.Unanswered(), 0);
  EXPECT_EQ(Commands().back(), kUnbind);
}

TEST_F(SmppScenario, ADropInARunLeavesTheUnansweredUnknownAndTheRestGoAfterANewBind) {
  settings.transports.Get<SmppSettings>().Window = "2";
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
  // An intermediate notification is answered, and is no message.
  At(1500, [&] { provider.SendMessage("46709999999", "id:1 stat:ENROUTE", 0x20); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(provider.Unanswered(), 0);
  EXPECT_THAT(LogLines(), ElementsAre("\"+46709999999\",\"Received\",\"Tack!\"",
                                      StartsWith("\"Temporary number")));
}

}  // namespace
}  // namespace tolvane::testing
