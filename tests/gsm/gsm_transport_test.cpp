// Sending through a simulated GSM modem.
#include "gsm/gsm_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "bulk/group_sending.h"
#include "core/program_location.h"
#include "core/store_secret_command.h"
#include "gsm/gsm_definition.h"
#include "gsm/gsm_setup.h"
#include "platform/local_time.h"
#include "settings_dialog/transport_settings_page.h"
#include "support/transport_scenario.h"
#include "transports/transport_list.h"

namespace tolvane::testing {
namespace {

using sim::GsmModemOptions;
using enum GsmModemOptions::SimState;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// An SMS-SUBMIT TPDU to +46701234567 with a relative validity period: its
// first octet, DCS and UDL in hex; its user data, header included, follows.
std::string Head(const std::string& tpdu) {
  return tpdu.substr(0, 2) + " " + tpdu.substr(22, 2) + " " + tpdu.substr(26, 2);
}
constexpr size_t kUserData = 28;

class GsmScenario : public TransportScenario {
 protected:
  GsmScenario() : TransportScenario("GSM") { Open(); }

  void StorePin(const std::string& pin) {
    ASSERT_TRUE(SecretStore(settings.ProgramFolder).WriteSecret(kGsmPinSecret, pin));
  }
  GsmModemOptions& Modem() { return modem_.Options(); }
  std::vector<std::string> Tpdus() const {
    std::vector<std::string> hex;
    for (const sim::GsmSubmission& submission : modem_.Submissions())
      hex.push_back(submission.tpdu_hex);
    return hex;
  }
  // Sends: it fails with `receipt` and leaves the window free.
  void ExpectFailed(const std::string& receipt) {
    window->StartSend();
    EXPECT_EQ(Receipt(), receipt);
    EXPECT_FALSE(window->State().accepted);
    EXPECT_TRUE(Unlocked());
  }
  bool Unlocked() const {
    return Enabled(MainControl::kSend) && !Enabled(MainControl::kCancel) && !port_.IsOpen();
  }
  // When the modem got each command from the `first` on that starts with `command`.
  std::vector<int64_t> TimesOf(const std::string& command, size_t first) const {
    std::vector<int64_t> times;
    for (size_t i = first; i < modem_.Commands().size(); ++i) {
      if (modem_.Commands()[i].starts_with(command)) times.push_back(modem_.CommandTimes()[i]);
    }
    return times;
  }
};

TEST_F(GsmScenario, AShortMessageGoesAsOnePduAndItsReportRoutedOrStoredSaysHowItWent) {
  // Unsolicited lines inside the exchanges are stepped over.
  Modem().noise = {"RING", "^RSSI:17", "+CREG: 1", "^BOOT:1,0,0,0,0"};
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  // First octet 31: submit, relative validity, report wanted; reference 00;
  // +46701234567 international; PID 00, DCS 00, a day (A7), "Hej" in septets.
  EXPECT_THAT(port_.Written(), HasSubstr("AT+CMGS=17\r0031000B916407214365F70000A703C8B21A\x1A"));
  EXPECT_THAT(statuses.Texts(), Contains("GSM modem ready: Tolvane Mobile, signal 21 of 31"));
  EXPECT_THAT(LogLines(),
              ElementsAre("\"Temporary number 46701234567\",\"Message delivered.\",\"Hej\""));
  // Both report styles offered: routed, and acknowledged as phase 2+ wants.
  EXPECT_THAT(modem_.Commands(), Contains("AT+CNMI=2,1,0,1,0"));
  EXPECT_EQ(modem_.Acknowledgements(), 1);

  Modem().report_style = GsmModemOptions::ReportStyle::kStored;
  Modem().report_statuses = {0x20, 0x00};
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_THAT(modem_.Commands(), Contains("AT+CNMI=2,1,0,2,0"));
  EXPECT_EQ(modem_.Deletions(), 2);
  EXPECT_THAT(statuses.Texts(), Contains(StartsWith("The network is still trying: ")));

  Modem().report_style = GsmModemOptions::ReportStyle::kRouted;
  Modem().phase2plus = false;
  Modem().report_statuses = {0x46};
  window->StartSend();
  EXPECT_EQ(Receipt(), "Not delivered: Validity period expired");
  EXPECT_EQ(modem_.Acknowledgements(), 1);

  // Without receipts no report is asked for, and the answer ends the send.
  AskForReceipts(false);
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_EQ(Tpdus().back().substr(0, 2), "11");
}

TEST_F(GsmScenario, EachPinTheUserStoresIsTriedOnceAndAPinTheSimTookIsGivenAgainAfterAReplug) {
  Modem().sim_state = kPinWanted;
  Modem().pin = "7913";
  const std::string no_pin =
      "SIM PIN needed: store it on the settings dialog or with tolvane --store-secret gsm-pin";
  const std::string wrong_pin =
      "Wrong PIN: the SIM still wants its PIN. Store the right one on the settings dialog or with "
      "tolvane --store-secret gsm-pin, then send again (each PIN stored is tried only once)";
  const std::string again = "The SIM asks for its PIN again (the GSM modem was plugged in anew)";
  enum class By { kNone, kSettings, kCommand };
  struct Step {
    bool replug;  // the stick pulled out and put back before the send
    By stored_by;
    const char* pin;
    std::string receipt;
    int tries;  // the PINs the SIM has been given so far
  };
  const Step steps[] = {
      {false, By::kNone, "", no_pin, 0},
      {false, By::kCommand, "1111", wrong_pin, 1},
      // The refused PIN was dropped: nothing goes to the SIM on its own.
      {false, By::kNone, "", no_pin, 1},
      // Stored anew, even the same PIN is the user's new try.
      {false, By::kSettings, "1111", wrong_pin, 2},
      {false, By::kSettings, "7913", "Message delivered.", 3},
      {true, By::kNone, "", "Message delivered.", 4},
      {false, By::kCommand, "0000", "Message delivered.", 4},
      {true, By::kNone, "", wrong_pin, 5},
      {false, By::kSettings, "0001", wrong_pin, 6},
      {false, By::kCommand, "0002", "SIM locked: PUK needed", 7},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.receipt + " after " + std::to_string(step.tries) + " tries");
    if (step.replug) modem_.Replug();
    if (step.stored_by == By::kSettings) {
      const TransportDefinition gsm = GsmDefinition();
      TransportSettingsPage page(*gsm.settings(), gsm.page(), gsm.secrets[0], {});
      page.EditText(4, step.pin);
      ASSERT_TRUE(page.StoreSecret(settings.ProgramFolder));
    } else if (step.stored_by == By::kCommand) {
      std::istringstream in(std::string(step.pin) + "\n");
      std::ostringstream error;
      ASSERT_EQ(StoreSecret({"gsm-pin"}, in, error, ProgramLocation(settings.ProgramFolder),
                            ProgramTransports()),
                0);
    }
    const int told = statuses.Count(again + ": unlocking it...");
    window->StartSend();
    EXPECT_EQ(Receipt(), step.receipt);
    EXPECT_EQ(modem_.PinTries(), step.tries);
    EXPECT_EQ(statuses.Count(again + ": unlocking it..."), told + (step.replug ? 1 : 0));
  }
  EXPECT_EQ(modem_.Submissions().size(), 3u);
  for (const std::string& line : LogLines()) EXPECT_THAT(line, Not(HasSubstr("7913")));

  // A PIN that got no answer counts as refused while the SIM still wants one.
  Modem().sim_state = kPinWanted;
  StorePin("7913");
  Modem().silent_after = static_cast<int>(modem_.Commands().size()) + 4;
  window->StartSend();
  EXPECT_EQ(Receipt(), "No response from the GSM modem!");
  Modem().silent_after = -1;
  window->StartSend();
  EXPECT_EQ(Receipt(), wrong_pin);
  EXPECT_EQ(modem_.PinTries(), 7);

  // A SIM that was ready without a PIN and asks for one after a re-plug.
  Modem().sim_state = kReady;
  window->StartSend();
  Modem().sim_state = kPinWanted;
  window->StartSend();
  EXPECT_EQ(Receipt(),
            again + ": store it on the settings dialog or with tolvane --store-secret gsm-pin");
}

TEST_F(GsmScenario, TheSimsReadyInItsFormsPassesAndABusySimIsWaitedOutBeforeThePinIsJudged) {
  StorePin("1234");
  // A "SIM busy" answer, the pause of a second, the question again on the
  // line (16 ms) and its answer (20 ms).
  constexpr int64_t kPoll = 1036;
  std::vector<int64_t> bounded;
  for (int i = 0; i <= GsmSetup::kSimBusyPolls; ++i) bounded.push_back(i * kPoll);
  struct Case {
    const char* ready_line;
    GsmModemOptions::SimState sim;
    int busy_ms;  // after power-up and after the PIN
    std::string receipt;
    std::vector<int64_t> asked_at;  // AT+CPIN?, from the first
  };
  const char* ok = "Message delivered.";
  const Case cases[] = {
      {"+CPIN: READY", kReady, 0, ok, {0}},
      {"+CPIN: \"READY\"", kReady, 0, ok, {0}},
      {"", kReady, 0, ok, {0}},
      // Plugged in 124 ms before the first question (AT, ATE0, AT+CMEE=1).
      {"+CPIN: READY", kReady, 2500, ok, {0, kPoll, 2 * kPoll, 3 * kPoll}},
      // The PIN is judged once the SIM says "SIM PIN", 72 ms later it is busy
      // again, and then ready.
      {"+CPIN: READY",
       kPinWanted,
       1500,
       ok,
       {0, kPoll, 2 * kPoll, 2 * kPoll + 72, 3 * kPoll + 72, 4 * kPoll + 72}},
      {"+CPIN: READY", kReady, 60000, "The SIM cannot be used: SIM busy (+CME ERROR: 14)", bounded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.ready_line) + ", busy " + std::to_string(c.busy_ms));
    Modem().ready_line = c.ready_line;
    Modem().sim_busy_ms = c.busy_ms;
    // Plugged in anew, the SIM starts again.
    modem_.Replug();
    Modem().sim_state = c.sim;
    const size_t first = modem_.Commands().size();
    const int tries = modem_.PinTries();
    const int64_t plugged = loop.Elapsed().count();
    window->StartSend();
    EXPECT_EQ(Receipt(), c.receipt);
    std::vector<int64_t> asked = TimesOf("AT+CPIN?", first);
    ASSERT_FALSE(asked.empty());
    const int64_t start = asked.front();
    for (int64_t& at : asked) at -= start;
    EXPECT_EQ(asked, c.asked_at);
    EXPECT_EQ(start - plugged, 124);
    EXPECT_EQ(modem_.PinTries() - tries, c.sim == kPinWanted ? 1 : 0);
  }
}

TEST_F(GsmScenario, SwedishStaysInSeptetsUnicodeGoesAsUcs2AndLongTextInLinkedParts) {
  Send("Hej Åsa, vi ses på fredag!");
  Send("Łukasz, 今晚见 😀");
  Send(std::string(400, 'a'));
  EXPECT_EQ(Receipt(), "Message delivered.");
  const std::vector<std::string> tpdus = Tpdus();
  ASSERT_EQ(tpdus.size(), 5u);
  // First octet, DCS and UDL: 26 septets; 14 units for thirteen characters,
  // the emoji a surrogate pair.
  EXPECT_EQ(Head(tpdus[0]), "31 00 1A");
  EXPECT_EQ(Head(tpdus[1]), "31 08 1C");
  EXPECT_THAT(tpdus[1].substr(kUserData), HasSubstr("D83DDE00"));
  // 153, 153 and 94 septets behind the 7 septets of the header: 05 00 03,
  // one reference, three parts, numbered.
  const std::string reference = tpdus[2].substr(kUserData + 6, 2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Head(tpdus[2 + i]), i < 2 ? "71 00 A0" : "71 00 65");
    EXPECT_EQ(tpdus[2 + i].substr(kUserData, 12),
              "050003" + reference + "030" + std::to_string(i + 1));
  }
  EXPECT_THAT(modem_.Commands(), Contains("AT+CMMS=2"));
  // One log record for the message, not one per part.
  EXPECT_EQ(LogLines().size(), 3u);
}

TEST_F(GsmScenario, AReportRoutedDuringASubmitIsAcknowledgedRightAfterItsAnswer) {
  // Part 1's report comes a second after its +CMGS, while part 2 waits for
  // its own answer, which may be a busy modem's (then the part goes again
  // after five seconds: twice that would pass the network's twelve).
  Modem().report_delay_ms = 1000;
  const std::vector<std::string> answers[] = {{}, {"", "512"}, {"", "512", "512"}};
  for (const std::vector<std::string>& errors : answers) {
    SCOPED_TRACE(errors.size());
    Modem().submit_errors = errors;
    const size_t first = modem_.Commands().size();
    const size_t reported = modem_.Reports().size();
    Send(std::string(200, 'a'));
    EXPECT_EQ(Receipt(), "Message delivered.");
    const std::vector<int64_t> submits = TimesOf("AT+CMGS=", first);
    const std::vector<int64_t> acknowledgements = TimesOf("AT+CNMA", first);
    ASSERT_EQ(submits.size(), 2 + (errors.empty() ? 0 : errors.size() - 1));
    ASSERT_EQ(modem_.Reports().size(), reported + 2);
    ASSERT_EQ(acknowledgements.size(), 2u);
    const sim::GsmReport& report = modem_.Reports()[reported];
    // A second after part 1's answer, which AT+CMGS of part 2 followed by
    // 16 ms; part 2's first wait: the prompt (20 ms), its PDU on the line
    // (128 ms) and the network's 2 s; the AT+CNMA reaches the modem 16 ms
    // after the answer.
    EXPECT_EQ(report.sent_ms, submits[1] - 16 + 1000);
    EXPECT_EQ(acknowledgements[0], submits[1] + 2164);
    EXPECT_EQ(report.acknowledged_ms, acknowledgements[0]);
    EXPECT_EQ(modem_.Reports().back().acknowledged_ms, acknowledgements[1]);
  }
}

TEST_F(GsmScenario, AModemsErrorOrAFaultEndsTheSendWithItsText) {
  // (A refused PDU and the network's silence are the message store's cases.)
  Modem().sim_state = kNoSim;
  ExpectFailed("The SIM cannot be used: no SIM card (+CME ERROR: 10)");
  Modem().sim_state = kReady;
  settings.transports.Get<GsmSettings>().Smsc = "+46\"70";
  ExpectFailed("The SMS centre number is not a phone number: +46\"70");
  settings.transports.Get<GsmSettings>().Smsc = "+46705008999";
  settings.transports.Get<GsmSettings>().Init = "AT^CURC=0";
  Modem().refused_commands = {"^CURC=0"};
  ExpectFailed(
      "The GSM modem refused the Init command AT^CURC=0: the GSM modem refused the "
      "command (ERROR)");
  Modem().refused_commands.clear();
  window->StartSend();
  EXPECT_EQ(modem_.ServiceCentre(), "+46705008999");

  Modem().silent_after = static_cast<int>(modem_.Commands().size());
  ExpectFailed("No response from the GSM modem!");
  // No answer to the PDU within a minute of its prompt (20 ms after the
  // command): the message may have gone.
  Modem().silent_after = -1;
  Modem().network_delay_ms = 120000;
  const size_t first = modem_.Commands().size();
  ExpectFailed("Unknown: the connection broke before the answer came");
  EXPECT_EQ(receipts.LastAt(Receipt()) - TimesOf("AT+CMGS=", first).front(), 20 + 60000);
  EXPECT_EQ(modem_.Escapes(), 0);
  EXPECT_THAT(port_.Written(), ::testing::EndsWith("\x1B"));

  // Cancel at the prompt sends escape and nothing goes.
  const size_t submitted = modem_.Submissions().size();
  Modem().network_delay_ms = 2000;
  Modem().prompt = false;
  At(2000, [&] { window->CancelSend(); });
  ExpectFailed("Sending Cancelled.");
  EXPECT_EQ(modem_.Submissions().size(), submitted);
  EXPECT_THAT(port_.Written(), ::testing::EndsWith("AT+CMGS=17\r\x1B"));
  Modem().prompt = true;

  Modem().network_delay_ms = 5000;
  At(3000, [&] { port_.Unplug(); });
  ExpectFailed("The GSM modem is gone: check its cable or USB stick");
  port_.SetAvailable(false);
  ExpectFailed("The GSM modem cannot be opened: /dev/ttyUSB2");
  settings.transports.Get<GsmSettings>().Device.clear();
  ExpectFailed("No GSM modem is chosen: set its device on the settings dialog");
  // The box holds what the parts allowed when it was typed.
  TypeMessage(*window, std::string(307, 'a'));
  settings.MaxParts = 2;
  settings.transports.Get<GsmSettings>().Device = "/dev/ttyUSB2";
  port_.SetAvailable(true);
  const int opened = port_.OpenCount();
  ExpectFailed("Message too long: 3 parts, at most 2");
  EXPECT_EQ(port_.OpenCount(), opened);
  Send(std::string(306, 'a'));
  EXPECT_EQ(Receipt(), "Message delivered.");
}

TEST_F(GsmScenario, ABusyModemsPartGoesAgainFiveSecondsAfterEachAnswerAtMostTwice) {
  const struct {
    std::vector<std::string> errors;
    std::string receipt;
  } kBusy[] = {
      {{"515", "512"}, "Message delivered."},
      {{"512", "514", "513"}, "Not sent: message not sent, try later (+CMS ERROR: 513)"},
  };
  for (const auto& b : kBusy) {
    Modem().submit_errors = b.errors;
    const size_t first = modem_.Commands().size();
    window->StartSend();
    EXPECT_EQ(Receipt(), b.receipt);
    // The prompt (20 ms), the PDU on the line (48 ms), the network's 2 s,
    // the pause of 5 s and the command on the line (16 ms).
    const std::vector<int64_t> submits = TimesOf("AT+CMGS=", first);
    EXPECT_EQ(submits, (std::vector<int64_t>{submits[0], submits[0] + 7084, submits[0] + 14168}));
  }
}

TEST_F(GsmScenario, AMessageForLaterWaitsInTheProgramUntilItsTime) {
  // The first command reaches the modem 16 ms into the minute chosen.
  using std::chrono::minutes;
  const TimePoint at = std::chrono::floor<minutes>(loop.Now()) + minutes(11);
  const long long due = (at - loop.Now()) / std::chrono::milliseconds(1) + loop.Elapsed().count();
  window->SetDeliveryTime("later", LocalTimeText(at, "%d%m%y%H%M"));
  At(60000, [&] { EXPECT_EQ(port_.OpenCount(), 0); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(TimesOf("AT", 0).front(), due + 16);

  window->SetDeliveryTime("later", LocalTimeText(loop.Now() + std::chrono::hours(1), "%d%m%y%H%M"));
  At(60000, [&] { window->CancelSend(); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Sending Cancelled.");
  EXPECT_EQ(port_.OpenCount(), 1);
  EXPECT_TRUE(Unlocked());
}

TEST_F(GsmScenario, AGroupGoesOverOnePortAnUnknownOutcomeEndsOnlyItsMemberAndASimStartingAnew) {
  // The SIM wants its PIN, and again after the first part it took.
  AskForReceipts(false);
  Modem().sim_state = kPinWanted;
  Modem().replug_after_submits = 1;
  StorePin("1234");
  Modem().submit_errors = {"332"};
  SendToThreeFriends("Hej alla");

  EXPECT_EQ(port_.OpenCount(), 1);
  EXPECT_THAT(modem_.Commands(), Contains("AT+CMMS=2"));
  EXPECT_THAT(modem_.Submissions(),
              ElementsAre(::testing::Field(&sim::GsmSubmission::recipient, "+46702222222"),
                          ::testing::Field(&sim::GsmSubmission::recipient, "0703333333")));
  EXPECT_EQ(modem_.PinTries(), 2);
  EXPECT_TRUE(statuses.Saw(
      "The SIM asks for its PIN again (the GSM modem was plugged in anew): unlocking it..."));
  EXPECT_THAT(LogLines(),
              ElementsAre(StartsWith("\"Anna 0701111111\",\"Unknown: no answer from the network "
                                     "(+CMS ERROR: 332)\""),
                          StartsWith("\"Bertil 46702222222\",\"Message sent.\""),
                          StartsWith("\"Cecilia 0703333333\",\"Message sent.\"")));
  EXPECT_FALSE(window->Groups().LastRunAccepted());
  EXPECT_FALSE(port_.IsOpen());
}

}  // namespace
}  // namespace tolvane::testing
