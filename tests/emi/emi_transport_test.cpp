// Sending over UCP/EMI to a simulated SMS centre: the login and submit bytes,
// a refused or unanswered login, linked and UCS-2 parts with their
// notifications, negative answers permanent and transient, a dropped
// connection, the alternative host, keep-alives, garbage on the line, the
// alphabet of AMsg, the dial-up form of operation 30, a group run through
// the window and the TRNs of a long run with a submit left unanswered.
#include "emi/emi_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/secret_store.h"
#include "emi/emi_operations.h"
#include "emi/emi_settings.h"
#include "sim/sim_emi_centre.h"
#include "sim/sim_tcp_connection.h"
#include "sms/hex_octets.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using sim::EmiSubmission;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAre;

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';

class EmiScenario : public WindowScenario {
 protected:
  EmiScenario() {
    settings.AccessTyp = "EMI";
    settings.transports.Get<EmiSettings>().Host = "smsc.example.net";
    settings.transports.Get<EmiSettings>().User = "tolvane";
    settings.Avs = "Tolvane";
    settings.Validity = 0;
    EXPECT_TRUE(SecretStore(settings.ProgramFolder).WriteSecret(kEmiSecret, "secret"));
    emi_connection = &connection;
    OpenTypedForTemporaryNumber();
  }
  ~EmiScenario() override { window.reset(); }

  sim::EmiCentreOptions& Centre() { return centre.Options(); }
  int Count(const std::string& operation) const {
    const std::vector<std::string> operations = centre.Operations();
    return static_cast<int>(std::count(operations.begin(), operations.end(), operation));
  }
  // Sends "Hej": it fails with `receipt` after `submits` submits, and
  // leaves the window free.
  void ExpectFailed(const std::string& receipt, int submits) {
    const int before = Count("O/51");
    const int connections = connection.ConnectCount();
    window->StartSend();
    EXPECT_EQ(Receipt(), receipt);
    EXPECT_EQ(Count("O/51") - before, submits) << receipt;
    EXPECT_EQ(connection.ConnectCount() - connections, 1) << receipt;
    EXPECT_FALSE(window->State().accepted);
    EXPECT_TRUE(Unlocked());
  }
  bool Unlocked() const {
    return Enabled(MainControl::kSend) && !Enabled(MainControl::kCancel) && !connection.IsOpen();
  }
  // A field of each submit, in order (0 AdC, 20 the message, 30 XSer).
  std::vector<std::string> Submitted(size_t field) const {
    std::vector<std::string> values;
    for (const EmiSubmission& submission : centre.Submissions()) {
      values.push_back(field < submission.fields.size() ? submission.fields[field] : "?");
    }
    return values;
  }

  sim::SimEmiCentre centre{Schedule(loop)};
  sim::SimTcpConnection connection{loop, centre};
};

class EmiRunScenario : public EmiScenario, public ::testing::WithParamInterface<bool> {};

TEST_F(EmiScenario, AMessageIsLoggedInSubmittedAndItsNotificationAnswered) {
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(connection.Host(), "smsc.example.net");
  EXPECT_EQ(connection.Port(), 5000);
  // The login (TRN 00), the submit (TRN 01) from the name Tolvane to
  // +46701234567 with a notification asked for, and the answer to the
  // centre's op 53 (its TRN 00), byte for byte.
  EXPECT_EQ(connection.Written(),
            kStx + std::string("00/00054/O/60/tolvane/6/5/1/736563726574//0100//////D1") + kEtx +
                kStx +
                "01/00091/O/51/0046701234567/0DD437DB1E769701//1//3/////////////3//48656A/////"
                "///5039/////BE" +
                kEtx + kStx + "00/00020/R/53/A///96" + kEtx);
  EXPECT_TRUE(centre.Problems().empty());
  EXPECT_EQ(centre.Unanswered(), 0);
  EXPECT_THAT(LogLines(),
              ElementsAre("\"Temporary number 46701234567\",\"Message delivered.\",\"Hej\""));
  EXPECT_TRUE(window->State().accepted);
  EXPECT_TRUE(Unlocked());

  // Without receipts none is asked for (no NRq, no NT), and the answer ends
  // the send; the validity goes as VP, a local time.
  AskForReceipts(false);
  settings.Validity = 90;
  const std::string validity = EmiTime(Clock::to_time_t(loop.Now() + std::chrono::minutes(90)));
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  const EmiSubmission& sent = centre.Submissions().back();
  EXPECT_EQ(sent.fields[3] + sent.fields[5], "");
  EXPECT_EQ(sent.fields[12], validity);

  // A message for later: DD 1 with the time chosen, and no notification.
  AskForReceipts(true);
  const std::string later = EmiTime(Clock::to_time_t(LocalTimeOfDay(loop.Now(), 16, 0, 0)));
  window->SetDeliveryTime("16:00", later);
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_EQ(centre.Submissions().back().fields[10], "1");
  EXPECT_EQ(centre.Submissions().back().fields[11], later);
  EXPECT_EQ(centre.Submissions().back().fields[3], "");
}

TEST_F(EmiScenario, ARefusedOrUnansweredLoginEndsTheSendAndIsNotTriedAgain) {
  Centre().password = "other";
  ExpectFailed("Login refused: 07 authentication failure", 0);
  loop.RunFor(std::chrono::minutes(5));
  EXPECT_EQ(centre.Logins(), 1);
  EXPECT_THAT(LogLines(), ElementsAre(HasSubstr("\"Login refused: 07 authentication failure\"")));
  Centre().login_refusal = "08";
  ExpectFailed("Login refused: 08 legitimisation failure", 0);
  EXPECT_EQ(centre.Logins(), 2);

  Centre().answer_delay_ms = 45000;
  const long long start = loop.Elapsed().count();
  ExpectFailed("The SMS centre did not answer the login within 30 seconds", 0);
  EXPECT_EQ(receipts.LastAt(Receipt()) - start, 1 + 30000);
}

TEST_F(EmiScenario, ALongTextGoesAsLinkedPartsUnicodeAsUcs2AndEachPartsNotificationCounts) {
  Send(std::string(400, 'a'));
  EXPECT_EQ(Receipt(), "Message delivered.");
  const std::vector<std::string> headers = Submitted(30);
  ASSERT_EQ(headers.size(), 3u);
  const std::string reference = headers[0].substr(10, 2);
  for (int i = 0; i < 3; ++i) {
    // XSer type 01, 6 octets: UDHL 05, IEI 00, 3 octets, reference, 3 parts, part i+1.
    EXPECT_EQ(headers[i], "0106050003" + reference + "030" + std::to_string(i + 1));
  }
  EXPECT_THAT(Submitted(18), ElementsAre("3", "3", "3"));
  EXPECT_EQ(Submitted(20)[2], ToHex(std::string(94, 'a')));
  EXPECT_EQ(centre.Unanswered(), 0);
  EXPECT_EQ(LogLines().size(), 1u);

  // Any character as UCS-2: MT 4, 16 bits a character, DCS 08.
  Send("Łukasz, 今晚见");
  EXPECT_EQ(Receipt(), "Message delivered.");
  const EmiSubmission& unicode = centre.Submissions().back();
  EXPECT_EQ(unicode.fields[18] + "/" + unicode.fields[19] + "/" + unicode.fields[30],
            "4/176/020108");
  EXPECT_EQ(unicode.fields[20], "01410075006B00610073007A002C00204ECA665A89C1");

  // Buffered keeps it waiting; one part not delivered is the message's outcome.
  Centre().notification_states = {1, 2};
  window->StartSend();
  EXPECT_EQ(Receipt(), "Not delivered: 107 absent subscriber");
  EXPECT_TRUE(statuses.Saw("The network is still trying: buffered: 107 absent subscriber"));
  EXPECT_TRUE(window->State().accepted);
  EXPECT_EQ(centre.Unanswered(), 0);
}

TEST_F(EmiScenario, NegativeAnswersArePermanentOrRetriedAndAnUnansweredSubmitIsNotSentAgain) {
  Centre().submit_errors = {"06"};
  ExpectFailed("Not sent: 06 AdC invalid", 1);
  EXPECT_THAT(LogLines(), ElementsAre(HasSubstr("\"Not sent: 06 AdC invalid\"")));
  // Retried five times at most.
  Centre().submit_errors = {"90", "90", "90", "90", "90", "90"};
  ExpectFailed("Not sent: 90 error of the centre's own", 6);
  // The line dropped under the submit, or garbage in place of its answer:
  // it may have arrived.
  Centre().drop_at_submit = Count("O/51");
  ExpectFailed("Unknown: the connection broke before the answer came", 1);
  Centre().garbage_at_submit = Count("O/51");
  ExpectFailed("Unknown: no answer came within 60 seconds", 1);

  // A checksum error, a syntax error and a proprietary one go again after
  // pauses of 1, 2 and 4 seconds, over the same session.
  Centre().submit_errors = {"01", "02", "93"};
  const int submits = Count("O/51");
  const int connections = centre.Connections();
  const long long start = loop.Elapsed().count();
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  // Bound at 53 ms, each answer 302 ms after its submit, the notification
  // 2 s after the last.
  EXPECT_EQ(receipts.LastAt(Receipt()) - start, 53 + 4 * 302 + (1 + 2 + 4) * 1000 + 2000);
  EXPECT_EQ(Count("O/51"), submits + 4);
  EXPECT_EQ(centre.Connections(), connections + 1);

  // [EMI] ResendUnanswered=1 sends it once more, after logging in again.
  settings.transports.Get<EmiSettings>().ResendUnanswered = "1";
  Centre().drop_at_submit = Count("O/51");
  const int logins = Count("O/60");
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(Count("O/60"), logins + 2);
  EXPECT_EQ(Count("O/51"), submits + 6);
}

TEST_F(EmiScenario, TheAlternativeHostIsTriedAndTakenInTurnAfterADrop) {
  settings.transports.Get<EmiSettings>().AltHost = "backup.example.net";
  settings.transports.Get<EmiSettings>().AltPort = "5001";
  Centre().refused_connections = 1;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(connection.Host(), "backup.example.net");
  EXPECT_EQ(connection.Port(), 5001);

  // The line drops under a group run, one submit at a time: 1 s later the
  // other host, where the rest goes after a new login.
  settings.transports.Get<EmiSettings>().Window = "1";
  Centre().drop_at_submit = 2;
  SendToGroupOf(3, "Hej");
  EXPECT_EQ(connection.Host(), "smsc.example.net");
  EXPECT_EQ(connection.Port(), 5000);
  // The notification of the first member follows the new login.
  EXPECT_THAT(
      LogLines(),
      UnorderedElementsAre(StartsWith("\"Temporary number"),
                           StartsWith("\"Member 100 701000000\",\"Message delivered.\""),
                           StartsWith("\"Member 101 701000001\",\"Unknown: the connection broke"),
                           StartsWith("\"Member 102 701000002\",\"Message delivered.\"")));
  EXPECT_EQ(centre.Logins(), 3);
}

TEST_F(EmiScenario, QuietLinesGetAnAlertAndTheCentresAlertIsAnswered) {
  settings.transports.Get<EmiSettings>().Keepalive = "30";
  Centre().notification_delay_ms = 75000;
  Centre().alert_before_answer = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  // 30 quiet seconds twice while the notification was awaited.
  EXPECT_EQ(Count("O/31"), 2);
  EXPECT_EQ(Count("R/31"), 1);
  EXPECT_EQ(centre.Unanswered(), 0);
  EXPECT_THAT(connection.Written(),
              HasSubstr(kStx + std::string("02/00029/O/31/tolvane/0539/F4") + kEtx));
}

TEST_F(EmiScenario, AnAnswerCountsOnlyWithItsTrnItsOperationAndItsChecksum) {
  // Before the true answer to the submit (TRN 01): one for another
  // operation, one for another TRN, and one whose checksum is wrong.
  At(100, [&] {
    std::string wrong_sum = SealUcpFrame(1, 'R', "51", {"A", "", "0:0"});
    wrong_sum.back() = wrong_sum.back() == '0' ? '1' : '0';
    centre.SendBytes(kStx + SealUcpFrame(1, 'R', "31", {"A", ""}) + kEtx + kStx +
                     SealUcpFrame(7, 'R', "51", {"N", "06", ""}) + kEtx + kStx + wrong_sum + kEtx);
  });
  window->StartSend();
  // The true answer's AdC:SCTS names the notification.
  EXPECT_EQ(Receipt(), "Message delivered.");

  // A centre that writes its checksum digits in lower case is understood.
  Centre().lower_case_checksums = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(centre.Unanswered(), 0);
}

TEST_F(EmiScenario, AMsgIsInTheChosenAlphabetAndIraRefusesOtherCharactersBeforeConnecting) {
  // What the centre reads is what was typed: GSM 03.38 by default, the
  // extension table behind its escape; ASCII with Alphabet=IRA.
  const std::string ascii = "[ ] { } ~ | ^ _ \\ @ $";
  const struct {
    const char* alphabet;
    std::string text;
    const char* receipt;
  } kCases[] = {
      {"GSM", ascii + " € Å", "Message delivered."},
      {"IRA", ascii, "Message delivered."},
      {"IRA", "今晚见 ö", "Message delivered."},
      {"IRA", "Möte i kväll",
       "Not sent: [EMI] Alphabet IRA carries only ASCII characters, and this text has ö"},
      {"IRA", ascii + " €",
       "Not sent: [EMI] Alphabet IRA carries only ASCII characters, and this text has €"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    settings.transports.Get<EmiSettings>().Alphabet = c.alphabet;
    Centre().ira = settings.transports.Get<EmiSettings>().Alphabet == "IRA";
    const size_t submits = centre.Submissions().size();
    const int connections = connection.ConnectCount();
    Send(c.text);
    EXPECT_EQ(Receipt(), c.receipt);
    if (std::string(c.receipt) == "Message delivered.") {
      ASSERT_EQ(centre.Submissions().size(), submits + 1);
      EXPECT_EQ(centre.Submissions().back().text, c.text);
    } else {
      EXPECT_EQ(centre.Submissions().size(), submits);
      EXPECT_EQ(connection.ConnectCount(), connections);
    }
  }
  // A group run is refused the same way, before connecting.
  const int connections = connection.ConnectCount();
  SendToGroupOf(2, "Möte");
  EXPECT_EQ(Receipt(),
            "Not sent: [EMI] Alphabet IRA carries only ASCII characters, and this text has ö");
  EXPECT_EQ(connection.ConnectCount(), connections);
}

// Runs of receipt-free messages, two submits outstanding at most: one of them
// gets no answer while the other place goes round the TRNs again and again,
// and a stray answer of another operation under its TRN frees nothing. The
// unanswered one ends 60 s after it went, and no submit takes its TRN before.
TEST_P(EmiRunScenario, AnUnansweredSubmitKeepsItsTrnUntilItEndsSixtySecondsAfterItWent) {
  settings.transports.Get<EmiSettings>().Window = "2";
  AskForReceipts(false);
  settings.MaxParts = 150;
  Centre().submit_delay_ms = 200;
  // A run of 300 members with the fourth one's submit unanswered, or of one
  // member in 150 parts with the first part's.
  const bool parts = GetParam();
  const int silent = parts ? 0 : 3;
  const std::string receipt = "Unknown: no answer came within 60 seconds";
  Centre().silent_at_submit = silent;
  std::vector<long long> read_at;
  centre.SetOnEvent([&](const std::string& event) {
    if (event.starts_with("op 51 to ")) read_at.push_back(loop.Elapsed().count());
  });
  // The login took 00.
  const int trn = silent + 1;
  At(10000, [&] { centre.SendBytes(kStx + SealUcpFrame(trn, 'R', "31", {"A", ""}) + kEtx); });
  SendToGroupOf(parts ? 1 : 300, parts ? std::string(150 * 153, 'a') : "Hej");

  const std::vector<EmiSubmission>& submissions = centre.Submissions();
  ASSERT_EQ(submissions.size(), parts ? 150u : 300u);
  ASSERT_EQ(submissions[silent].transaction_reference, trn);
  // The submit went 1 ms before the centre read it.
  const long long went = read_at[silent] - 1;
  EXPECT_EQ(receipts.FirstAt(receipt), went + 60000);
  // TRNs go round in turn from 01, passing over the one held while it is.
  for (size_t i = 0, expected = 1; i < submissions.size(); ++i, expected = (expected + 1) % 100) {
    if (i > static_cast<size_t>(silent) && read_at[i] <= went + 60000 &&
        expected == static_cast<size_t>(trn)) {
      ++expected;
    }
    EXPECT_EQ(submissions[i].transaction_reference, static_cast<int>(expected)) << i;
  }
  const std::vector<std::string> log = LogLines();
  EXPECT_EQ(log.size(), parts ? 1u : 300u);
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [&](const std::string& line) {
                            return line.find("\"" + receipt + "\"") != std::string::npos;
                          }),
            1);
  EXPECT_FALSE(connection.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(MembersOrParts, EmiRunScenario, ::testing::Bool());

TEST_F(EmiScenario, TheDialUpOperationCarriesPlainTextOnlyAndRefusesTheRestFirst) {
  settings.transports.Get<EmiSettings>().Operation = "30";
  settings.Avs = "+46 70-765 43 21";
  // NRq 1 with a notification asked for, empty without.
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message delivered.");
  AskForReceipts(false);
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_THAT(
      connection.Written(),
      HasSubstr(kStx + std::string("01/00057/O/30/0046701234567/46707654321//1//////48656A/FA") +
                kEtx));
  EXPECT_THAT(
      connection.Written(),
      HasSubstr(kStx + std::string("01/00056/O/30/0046701234567/46707654321////////48656A/C8") +
                kEtx));

  const int connections = connection.ConnectCount();
  Send("今晚见");
  EXPECT_EQ(Receipt(), "Not sent: [EMI] Operation 30 carries no Unicode, and this text needs it");
  Send(std::string(200, 'a'));
  EXPECT_EQ(Receipt(),
            "Not sent: [EMI] Operation 30 carries no linked parts, and this text needs 2");
  EXPECT_EQ(connection.ConnectCount(), connections);
}

TEST_F(EmiScenario, AGroupOfFortyGoesThroughTheWindowNeverWiderThanSet) {
  settings.transports.Get<EmiSettings>().Window = "7";
  const auto start = loop.Elapsed();
  SendToGroupOf(40, "Möte i kväll");
  EXPECT_EQ(centre.MostOutstanding(), 7);
  const std::vector<std::string> recipients = Submitted(0);
  EXPECT_EQ(recipients.size(), 40u);
  EXPECT_EQ(std::set<std::string>(recipients.begin(), recipients.end()).size(), 40u);
  // Logged in at 53 ms, six rounds of answers 302 ms after their submits,
  // the last notification 2 s later and 200 ms for its answer to leave.
  EXPECT_EQ((loop.Elapsed() - start).count(), 53 + 6 * 302 + 2000 + 200);
  const std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 40u);
  for (const std::string& line : log) {
    EXPECT_THAT(line, HasSubstr("\",\"Message delivered.\",\"Möte i kväll\""));
  }
  EXPECT_EQ(centre.Logins(), 1);
  EXPECT_EQ(centre.Unanswered(), 0);
  EXPECT_TRUE(centre.Problems().empty());
  EXPECT_FALSE(connection.IsOpen());
}

}  // namespace
}  // namespace tolvane::testing
