// Receiving while the program runs, over a GSM modem held open and the
// sessions SMPP and UCP/EMI hold, kept open by a ListenKeeper.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "core/receipt_texts.h"
#include "support/transport_scenario.h"

namespace tolvane::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using ::testing::AnyOf;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;
using Texts = std::vector<std::string>;

// Three linked GSM parts (153 + 153 + 4 septets), and three linked UCS-2
// parts ("ł" is not GSM).
const std::string kLong = std::string(153, 'a') + std::string(153, 'b') + "Hej!";
const std::string kThreeParts = std::string(67, 'x') + std::string(67, 'y') + "zł";

// The receiving scenario: what a message's parts make.
class ReceivingScenario : public TransportScenario {
 protected:
  explicit ReceivingScenario(const std::string& access) : TransportScenario(access) {
    const auto record = [this](const std::string& event, const sim::TakenPart& part) {
      if (event == "delivered") sent_parts_ += std::to_string(part.part);
    };
    provider_.SetOnDelivery(record);
    centre_.SetOnDelivery(record);
  }

  FarEnd& Far() { return Smpp() ? smpp_far_ : emi_far_; }
  // Milliseconds from Listen() to each connection asked for.
  std::vector<long long> Asked() {
    std::vector<long long> at;
    for (TimePoint t : Far().asked) at.push_back((t - start_) / milliseconds(1));
    return at;
  }
  int Logins() const {
    return Smpp() ? static_cast<int>(provider_.Binds().size()) : centre_.Logins();
  }
  void RefuseLogins(bool refuse) {
    provider_.Options().bind_refusal = refuse ? 0x0E : 0;
    centre_.Options().login_refusal = refuse ? "07" : "";
  }
  // A message of one part from `from` comes now.
  void Bring(const std::string& from, const std::string& text) {
    std::string refusal;
    EXPECT_TRUE(Gsm()    ? modem_.Deliver({from, text, {}, -1})
                : Smpp() ? provider_.Deliver({from, text}, refusal)
                         : centre_.Deliver({from, text}, refusal));
  }
  // A message from +46 70 123 45 67; over GSM its parts in the order the
  // options make the SMPP and UCP/EMI centres send them.
  void Deliver(const std::string& text, const sim::DeliverOptions& options = {}) {
    std::string refusal;
    if (Gsm()) {
      // The long texts here have three parts, each message its own reference.
      const int count = text.size() > 100 ? 3 : 1;
      ++reference_;
      std::vector<int> parts;
      for (int i = 1; i <= count; ++i) parts.push_back(options.reversed ? count + 1 - i : i);
      if (options.part_twice > 0) {
        parts.insert(parts.begin() + options.part_twice, parts[options.part_twice - 1]);
      }
      if (options.split_after > 0) {
        // The rest comes while the program is away.
        later_ = {
            "+46701234567", text, {parts.begin() + options.split_after, parts.end()}, reference_};
        parts.resize(options.split_after);
      }
      for (int part : parts) sent_parts_ += std::to_string(count > 1 ? part : 0);
      ASSERT_TRUE(modem_.Deliver({"+46701234567", text, parts, reference_}));
    } else {
      provider_.Options().delivery = centre_.Options().delivery = options;
      ASSERT_TRUE(Smpp() ? provider_.Deliver({"+46701234567", text}, refusal)
                         : centre_.Deliver({"+46701234567", text}, refusal))
          << refusal;
    }
    loop.RunFor(seconds(5));
  }
  // The program ends and starts again, and what came meanwhile is read.
  void Restart() {
    Stop();
    if (!later_.parts.empty()) {
      for (int part : later_.parts) sent_parts_ += std::to_string(part);
      ASSERT_TRUE(modem_.Deliver(later_));
    }
    Start();
    loop.RunFor(seconds(5));
  }
  // The answers to the delivered parts: "A" for each acknowledged (over GSM
  // deleted from the SIM), or the refusal.
  Texts Answers() const {
    Texts answers;
    if (Gsm()) {
      for (size_t i = 0; i < Count("AT+CMGD="); ++i) answers.push_back("A");
    } else if (Smpp()) {
      for (const SmppPdu& pdu : provider_.Received()) {
        if (pdu.command != (kDeliverSm | kResponseBit)) continue;
        std::ostringstream status;
        status << "N/" << std::hex << pdu.status;
        answers.push_back(pdu.status == 0 ? "A" : status.str());
      }
    } else {
      for (const std::string& frame : centre_.Received()) {
        if (frame.substr(9, 5) != "R/52/") continue;
        answers.push_back(frame[14] == 'A' ? "A" : frame.substr(14, 4));
      }
    }
    return answers;
  }
  // The text of each whole message received, from its log line.
  Texts Received() const {
    Texts texts;
    for (const LogRecord& record : ReadLogRecords(book.Folder())) {
      if (record.result == kLogReceivedResult) texts.push_back(record.message);
    }
    return texts;
  }
  sim::GsmDelivery later_;
  int reference_ = 0;
  // The number of each part as it went (0 for a message of one part).
  std::string sent_parts_;
};

struct Protocol {
  const char* access;
  // The negative answer to a part the store could not keep; over GSM there
  // is none: the part stays on the SIM.
  const char* refusal;
};

class EveryTransport : public ReceivingScenario, public ::testing::WithParamInterface<Protocol> {
 protected:
  EveryTransport() : ReceivingScenario(GetParam().access) {}
};

INSTANTIATE_TEST_SUITE_P(Receiving, EveryTransport,
                         ::testing::Values(Protocol{"GSM", nullptr}, Protocol{"SMPP", "N/64"},
                                           Protocol{"EMI", "N/04"}),
                         [](const auto& info) { return std::string(info.param.access); });

TEST_P(EveryTransport, PartsMakeOneMessageKeptOnceBeforeTheyAreAnsweredAndAcrossARestart) {
  Start();
  EXPECT_EQ(shown_, Texts{"Receiving: connected"});
  // Last to first with a part twice before the message is whole; in order
  // with the last part again after it is.
  Deliver(kLong, {.reversed = true, .part_twice = 2});
  Deliver(kThreeParts, {.part_twice = 3});
  EXPECT_EQ(Received(), (Texts{kLong, kThreeParts}));
  EXPECT_EQ(LogLines().front(), "\"+46701234567\",\"Received\",\"" + kLong + "\"");
  EXPECT_EQ(sent_parts_, "32211233");
  EXPECT_EQ(Answers(), Texts(8, "A"));

  // A store that cannot keep a message refuses it, and it comes again (over
  // GSM, read from the SIM) at the next start; so does the rest of a message
  // split by the restart.
  vfs_.FillAfter(0);
  Deliver("Igen");
  vfs_.FillAfter(-1);
  Deliver("Hej på dig " + kLong, {.split_after = 1});
  Texts answers(8, "A");
  if (GetParam().refusal) answers.push_back(GetParam().refusal);
  answers.push_back("A");
  EXPECT_EQ(Answers(), answers);
  Restart();
  EXPECT_THAT(Received(), ElementsAre(kLong, kThreeParts, "Igen", "Hej på dig " + kLong));
  EXPECT_EQ(Answers().size(), answers.size() + 3);
  // The centres send the refused message (0) again before the rest (23).
  EXPECT_EQ(sent_parts_, Gsm() ? "322112330123" : "3221123301023");
  if (Gsm()) {
    EXPECT_THAT(modem_.Stored(), IsEmpty());
  }
}

TEST_P(EveryTransport, SendsGoOverTheHeldLineAndWhatComesDuringTheirWaitIsReceived) {
  // A send that starts while the line is set up for receiving (an SMPP or
  // UCP/EMI login answered after 5 s) waits for that set-up.
  provider_.Options().answer_delay_ms = centre_.Options().answer_delay_ms = 5000;
  Open();
  At(50, [this] { window->StartSend(); });
  Listen();
  EXPECT_EQ(Receipt(), "Message delivered.");
  loop.RunFor(seconds(2));
  EXPECT_EQ(shown_, Texts{"Receiving: connected"});
  // A message that comes while the next send waits for its report.
  const size_t commands = modem_.Commands().size();
  At(3000, [this] { Bring("+46709999999", "Svar"); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  loop.RunFor(seconds(1));
  EXPECT_EQ(Received(), Texts{"Svar"});
  EXPECT_EQ(Gsm() ? port_.OpenCount() : Logins(), 1);
  EXPECT_TRUE(Listening());
  if (Gsm()) {
    // Read after the report the send waited for (5 s).
    const Texts sent(modem_.Commands().begin() + commands, modem_.Commands().end());
    EXPECT_GT(std::ranges::find(sent, "AT+CMGR=1"), std::ranges::find(sent, "AT+CNMA"));
  }
}

TEST_P(EveryTransport, ALineThatGoesIsOpenedAgainAfterGrowingPausesAndARefusedLoginCounts) {
  Start();
  loop.RunFor(milliseconds(10500));
  // Two attempts find no line, the third is refused its login (over GSM the
  // SIM wants a PIN and none is stored), the fourth opens it.
  if (Gsm()) {
    port_.Unplug();
    modem_.Options().sim_state = sim::GsmModemOptions::SimState::kPinWanted;
    At(5000, [this] { port_.SetAvailable(true); });
    At(10000, [this] { modem_.Options().sim_state = sim::GsmModemOptions::SimState::kReady; });
  } else {
    provider_.Options().refused_connections = centre_.Options().refused_connections = 2;
    RefuseLogins(true);
    Far().Drop();
    At(10000, [this] { RefuseLogins(false); });
  }
  loop.RunFor(milliseconds(10));
  Bring("+46701234567", "Är du där?");
  // The break is seen at the keeper's next second, then 1, 2, 4 and 8 s.
  Texts expected = {"Receiving: connected"};
  for (int pause : {1, 2, 4, 8}) {
    for (int left = pause; left > 0; --left) {
      expected.push_back("Receiving: reconnecting in " + std::to_string(left) + " s");
    }
  }
  expected.push_back("Receiving: connected");
  loop.RunFor(milliseconds(17000));
  EXPECT_EQ(shown_, expected);
  EXPECT_EQ(Received(), Texts{"Är du där?"});
  EXPECT_TRUE(Listening());
  EXPECT_EQ(Gsm() ? port_.OpenCount() : Logins(), 3);
  if (!Gsm()) {
    EXPECT_THAT(Asked(), ElementsAre(1, 12001, 14001, 18001, 26001));
  }
  EXPECT_EQ(Receipt(), "");
  // Nothing of it on the status line, which belongs to sends.
  EXPECT_THAT(statuses.Texts(), Each(Not(AnyOf(HasSubstr("Logg"), HasSubstr("Connecting")))));
}

class GsmReceiving : public ReceivingScenario {
 protected:
  GsmReceiving() : ReceivingScenario("GSM") { Start(); }
};

TEST_F(GsmReceiving, AFullSimIsShownAndReadingGoesOnUntilItHasRoom) {
  Stop();
  modem_.Options().sim_capacity = 2;
  // Three parts while the program is away: the third waits at the network.
  ASSERT_TRUE(modem_.Deliver({"+46701234567", kThreeParts, {}, 9}));
  EXPECT_EQ(modem_.Waiting(), 1u);
  Start();
  loop.RunFor(seconds(1));
  EXPECT_EQ(Count("AT+CMGD="), 2u);
  loop.RunFor(seconds(3));
  EXPECT_THAT(
      history.status.Texts(),
      ::testing::Contains("Receiving: the SIM is full, new messages wait at the SMS centre"));
  EXPECT_EQ(Received(), Texts{kThreeParts});
  EXPECT_EQ(Text(MainControl::kStatusLine), "Receiving: the SIM has room again");
  EXPECT_THAT(modem_.Stored(), IsEmpty());
  // The modem saying so on its own.
  modem_.Unsolicited("\r\n+CMS ERROR: 322\r\n");
  loop.RunFor(seconds(1));
  EXPECT_EQ(Text(MainControl::kStatusLine),
            "Receiving: the SIM is full, new messages wait at the SMS centre");
}

TEST_F(GsmReceiving, ASendLetsAReadingFinishAndItsLateReportIsAcknowledged) {
  loop.RunFor(seconds(2));
  ASSERT_TRUE(modem_.Deliver({"+46709999999", "Igen", {}, -1}));
  At(5, [this] { window->StartSend(); });
  loop.RunFor(seconds(10));
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(Received(), Texts{"Igen"});
  EXPECT_THAT(modem_.Stored(), IsEmpty());
  EXPECT_EQ(Count("AT+CMGS="), 1u);
  // A report after the send's wait is acknowledged, so routing stays on.
  modem_.Options().report_statuses = {0x00, 0x00};
  window->StartSend();
  loop.RunFor(seconds(5));
  EXPECT_EQ(modem_.ReportMode(), 1);
}

// The session SMPP and UCP/EMI hold.
class HeldSession : public ReceivingScenario, public ::testing::WithParamInterface<const char*> {
 protected:
  HeldSession() : ReceivingScenario(GetParam()) { Open(); }
};

INSTANTIATE_TEST_SUITE_P(BothTransports, HeldSession, ::testing::Values("SMPP", "EMI"));

TEST_P(HeldSession, SendsGoOverItLeaveItUpForReceiptsAndNewSettingsLogInAnew) {
  Listen();
  // The first receipt comes after the send stopped waiting for it.
  provider_.Options().receipt_delay_ms = centre_.Options().notification_delay_ms = 100000;
  Send("Hej");
  EXPECT_EQ(Receipt(), kReceiptNoReport);
  provider_.Options().receipt_delay_ms = centre_.Options().notification_delay_ms = 2000;
  Send("Hej igen");
  EXPECT_EQ(Receipt(), "Message delivered.");

  // The late receipt reaches the store between sends, over the same session.
  loop.RunFor(seconds(30));
  EXPECT_EQ(store_.Message(1)->parts.at(0).state, MessageState::kDelivered);
  EXPECT_EQ(store_.Message(2)->parts.at(0).state, MessageState::kDelivered);
  EXPECT_EQ(Logins(), 1);

  // Changed settings end the session; the keeper logs in with the new ones.
  settings.transports.Get<SmppSettings>().SystemId = "tolvane2";
  settings.transports.Get<EmiSettings>().User = "tolvane2";
  provider_.Options().system_id = centre_.Options().user = "tolvane2";
  window->ConfigureTransports();
  loop.RunFor(seconds(3));
  EXPECT_TRUE(Listening());
  EXPECT_EQ(Logins(), 2);
  EXPECT_EQ(provider_.Unbinds(), Smpp() ? 1 : 0);
}

TEST_P(HeldSession, ALoginRefusedWhileASendWaitsForItIsTheSendsAnswer) {
  provider_.Options().answer_delay_ms = centre_.Options().answer_delay_ms = 5000;
  Listen();
  loop.RunFor(milliseconds(5500));
  RefuseLogins(true);
  Far().Drop();
  At(3000, [this] { Send("Igen"); });
  // Until just after the refusal, before the keeper's next attempt.
  loop.RunFor(seconds(7));
  EXPECT_THAT(Receipt(), StartsWith("Login refused: "));
  EXPECT_EQ(Logins(), 2);
}

}  // namespace
}  // namespace tolvane::testing
