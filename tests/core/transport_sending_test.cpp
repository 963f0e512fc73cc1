// Sending over every transport against its simulator: first what the SMPP
// and UCP/EMI session does alike, then each protocol's own rules, then all
// transports, the rate limits and the main window's compose rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <set>

#include "bulk/command_line_sending.h"
#include "core/receipt_texts.h"
#include "core/secret_store.h"
#include "core/settings_loader.h"
#include "emi/emi_operations.h"
#include "emi/emi_settings.h"
#include "gsm/gsm_settings.h"
#include "platform/local_time.h"
#include "sim/sim_emi_centre.h"
#include "sim/sim_gsm_modem.h"
#include "sim/sim_mail_client.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_settings.h"
#include "smpp/smpp_time.h"
#include "sms/hex_octets.h"
#include "support/scenarios.h"
#include "text/utf8.h"

namespace tolvane::testing {
namespace {

using sim::EmiSubmission;
using sim::SmppSubmission;
using std::chrono::milliseconds;
using ::testing::_;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Return;
using ::testing::SizeIs;
using ::testing::StartsWith;

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';
constexpr char kDelivered[] = "Message delivered.";
constexpr int kLong = 100000;
constexpr char kNoStore[] = "The message store is not open.";

enum class Far { kSmpp, kEmi };

// "Hej" for +46 70-123 45 67 from the name Tolvane. The session is up at
// 53 ms (connect 1, login 1 + 50 + 1); each answer takes 300 ms and 2 ms on
// the line, a receipt 2 s more.
class TcpScenario : public WindowScenario {
 protected:
  explicit TcpScenario(Far far)
      : far_(far), connection(far == Far::kSmpp ? provider_tcp : centre_tcp) {
    settings.AccessTyp = Smpp() ? "SMPP" : "EMI";
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
    settings.transports.Get<EmiSettings>().Host = "smsc.example.net";
    settings.transports.Get<EmiSettings>().User = "tolvane";
    settings.Avs = "Tolvane";
    // The centre's frames go without a validity period.
    if (!Smpp()) settings.Validity = 0;
    SecretStore secrets(settings.ProgramFolder);
    EXPECT_TRUE(secrets.WriteSecret(kSmppSecret, "secret"));
    EXPECT_TRUE(secrets.WriteSecret(kEmiSecret, "secret"));
    smpp_connection = &provider_tcp;
    emi_connection = &centre_tcp;
    settings.transports.Get<GsmSettings>().Device = "/dev/ttyUSB2";
    gsm_port = &gsm_line;
    gsm.SetClock([this] { return loop.Elapsed().count(); });
    Open(dial_up_line, client);
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
    TypeMessage(*window, "Hej");
  }
  ~TcpScenario() override { window.reset(); }

  bool Smpp() const { return far_ == Far::kSmpp; }
  // Sets what both far ends have, each in its own options.
  template <typename Set>
  void Peers(Set set) {
    set(provider.Options());
    set(centre.Options());
  }
  sim::SmppProviderOptions& Provider() { return provider.Options(); }
  sim::EmiCentreOptions& Centre() { return centre.Options(); }
  SmppSettings& SmppSet() { return settings.transports.Get<SmppSettings>(); }
  EmiSettings& EmiSet() { return settings.transports.Get<EmiSettings>(); }
  void SetWindow(int size) { (Smpp() ? SmppSet().Window : EmiSet().Window) = std::to_string(size); }
  void SetReceiptDelay(int ms) {
    Provider().receipt_delay_ms = ms;
    Centre().notification_delay_ms = ms;
  }
  // The submits the far end read, answered or not.
  int Submits() const { return Smpp() ? Count(kSubmitSm) : Count("O/51"); }
  int Logins() const {
    return Smpp() ? static_cast<int>(provider.Binds().size()) : centre.Logins();
  }
  int Connections() const { return Smpp() ? provider.Connections() : centre.Connections(); }
  // Each submit's recipient, and its user data in hex with the header.
  std::vector<std::string> Recipients() const {
    std::vector<std::string> recipients;
    for (const SmppSubmission& s : provider.Submissions())
      recipients.push_back(s.destination.value);
    for (const EmiSubmission& s : centre.Submissions()) recipients.push_back(s.fields[0]);
    return recipients;
  }
  std::vector<std::string> UserData() const {
    std::vector<std::string> data;
    for (const SmppSubmission& s : provider.Submissions()) data.push_back(ToHex(s.short_message));
    // XSer type 01 carries the header.
    for (const EmiSubmission& s : centre.Submissions()) {
      data.push_back((s.fields[30].starts_with("01") ? s.fields[30].substr(4, 12) : "") +
                     s.fields[20]);
    }
    return data;
  }
  std::vector<uint32_t> Commands() const {
    std::vector<uint32_t> commands;
    for (const SmppPdu& pdu : provider.Received()) commands.push_back(pdu.command);
    return commands;
  }
  int Count(uint32_t command) const { return std::ranges::count(Commands(), command); }
  int Count(const std::string& operation) const {
    return std::ranges::count(centre.Operations(), operation);
  }
  // Sends `text`: it fails with `receipt` after `submits` submits over
  // `connects` connections (then logged), and leaves the window free.
  void ExpectFailed(const std::string& receipt, int submits, int connects = 1,
                    const std::string& text = "Hej") {
    const int before = Submits();
    const int connections = connection.ConnectCount();
    Send(text);
    EXPECT_EQ(Receipt(), receipt);
    EXPECT_EQ(Submits() - before, submits) << receipt;
    EXPECT_EQ(connection.ConnectCount() - connections, connects) << receipt;
    EXPECT_FALSE(window->State().accepted);
    EXPECT_TRUE(Unlocked());
    if (connects > 0) {
      EXPECT_THAT(LogLines().back(), HasSubstr("\",\"" + receipt + "\",\""));
    }
  }
  bool Unlocked() const {
    return Enabled(MainControl::kSend) && !Enabled(MainControl::kCancel) && !connection.IsOpen();
  }
  // Sends `text`; the virtual milliseconds from the start to the outcome on
  // the receipt line.
  long long Timed(const std::string& text) {
    const long long start = loop.Elapsed().count();
    Send(text);
    return receipts.LastAt(Receipt()) - start;
  }
  std::string Closing() const {
    return Smpp() ? "Logging out of the SMPP provider..."
                  : "Closing the connection to the SMS centre...";
  }

 private:
  const Far far_;

 protected:
  sim::SimSmppProvider provider{Schedule(loop)};
  sim::SimTcpConnection provider_tcp{loop, provider};
  sim::SimEmiCentre centre{Schedule(loop)};
  sim::SimTcpConnection centre_tcp{loop, centre};
  sim::SimSmsc smsc{Schedule(loop)};
  sim::SimModem modem{Schedule(loop), smsc};
  sim::SimSerialPort dial_up_line{loop, modem};
  sim::SimGsmModem gsm{Schedule(loop)};
  sim::SimSerialPort gsm_line{loop, gsm};
  sim::SimGateway gateway;
  sim::SimHttpClient client{loop, gateway};
  sim::SimTcpConnection& connection;
};

class WindowedScenario : public TcpScenario, public ::testing::WithParamInterface<Far> {
 protected:
  WindowedScenario() : TcpScenario(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(BothTransports, WindowedScenario, ::testing::Values(Far::kSmpp, Far::kEmi),
                         [](const auto& info) {
                           return info.param == Far::kSmpp ? "Smpp" : "Emi";
                         });

TEST_P(WindowedScenario, AMessageIsDeliveredSentWithoutAReceiptOrSentForLater) {
  Provider().enquire_before_answer = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(connection.Host() + ":" + std::to_string(connection.Port()),
            Smpp() ? "smpp.example.net:2775" : "smsc.example.net:5000");
  if (Smpp()) {
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
  } else {
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
  }
  EXPECT_THAT(LogLines(),
              ElementsAre("\"Temporary number 46701234567\",\"Message delivered.\",\"Hej\""));

  // Without receipts none is asked for, and the answer ends the send; the
  // validity goes with it.
  AskForReceipts(false);
  settings.Validity = 90;
  const TimePoint valid_until = loop.Now() + std::chrono::minutes(90);
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  if (Smpp()) {
    EXPECT_FALSE(provider.Submissions().back().registered_delivery);
    EXPECT_EQ(provider.Submissions().back().validity_period, "000000013000000R");
  } else {
    // No NRq, no NT; VP a local time.
    const EmiSubmission& sent = centre.Submissions().back();
    EXPECT_EQ(sent.fields[3] + sent.fields[5], "");
    EXPECT_EQ(sent.fields[12], EmiTime(Clock::to_time_t(valid_until)));
  }

  // A message for later waits at the far end; the send does not wait for
  // its receipt.
  AskForReceipts(true);
  const TimePoint later = LocalTimeOfDay(loop.Now(), 16, 0, 0);
  window->SetDeliveryTime("16:00", LocalTimeText(later, "%d%m%y%H%M"));
  Send("Hej");
  EXPECT_EQ(Receipt(), "Message sent.");
  if (Smpp()) {
    // Its receipt is still asked for.
    EXPECT_EQ(provider.Submissions().back().schedule_delivery_time,
              SmppAbsoluteTime(Clock::to_time_t(later)));
    EXPECT_TRUE(provider.Submissions().back().registered_delivery);
  } else {
    // DD 1 with the time chosen, and no notification.
    const EmiSubmission& sent = centre.Submissions().back();
    EXPECT_EQ(sent.fields[10] + "/" + sent.fields[11] + "/" + sent.fields[3],
              "1/" + EmiTime(Clock::to_time_t(later)) + "/");
  }
}

TEST_P(WindowedScenario, ARefusalOrABrokenSessionEndsTheSendWithItsText) {
  Peers([](auto& far) { far.password = "other"; });
  ExpectFailed(Smpp() ? "Login refused: invalid password (0x0E)"
                      : "Login refused: 07 authentication failure",
               0);
  // Not tried again in the send.
  loop.RunFor(std::chrono::minutes(5));
  EXPECT_EQ(Logins(), 1);
  EXPECT_EQ(LogLines().size(), 1u);
  Peers([](auto& far) { far = {}; });
  Provider().bind_refusal = 0x0D;
  Centre().login_refusal = "08";
  ExpectFailed(
      Smpp() ? "Login refused: bind failed (0x0D)" : "Login refused: 08 legitimisation failure", 0);
  Peers([](auto& far) { far = {}; });
  Provider().submit_statuses = {0x0B};
  Centre().submit_errors = {"06"};
  ExpectFailed(Smpp() ? "Not sent: invalid destination address (0x0B)" : "Not sent: 06 AdC invalid",
               1);
  // Garbage in place of the answer, or the line dropped under the submit:
  // it may have gone, so it is not sent again.
  Peers([&](auto& far) { far.garbage_at_submit = Submits(); });
  ExpectFailed(Smpp() ? "Unknown: The SMPP provider sent what is not SMPP (The provider sent a "
                        "PDU of 1213486160 bytes)"
                      : "Unknown: no answer came within 60 seconds",
               1);
  Peers([&](auto& far) { far.drop_at_submit = Submits(); });
  ExpectFailed("Unknown: the connection broke before the answer came", 1);
  EXPECT_EQ(Connections(), 5);

  // Only the user's setting sends it once more, after logging in again.
  (Smpp() ? SmppSet().ResendUnanswered : EmiSet().ResendUnanswered) = "1";
  Peers([&](auto& far) { far.drop_at_submit = Submits(); });
  const int submits = Submits();
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(Connections(), 7);
  EXPECT_EQ(Logins(), 7);
  EXPECT_EQ(Submits(), submits + 2);
}

TEST_P(WindowedScenario, APartRefusedForNowGoesAgainOncePerBurstAfterPausesThatDouble) {
  // Throttled, or the centre's checksum, syntax and proprietary errors.
  Provider().submit_statuses = {0x58, 0x58, 0x14};
  Centre().submit_errors = {"01", "02", "93"};
  EXPECT_EQ(Timed("Hej"), 53 + 4 * 302 + (1 + 2 + 4) * 1000 + 2000);
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(UserData(), std::vector<std::string>(4, "48656A"));
  EXPECT_EQ(Logins(), 1);

  // Six parts out at once, all refused for now: one pause of 1 s, then five
  // parts (the window halved) and the sixth after the first answer.
  Provider().submit_statuses = std::deque<uint32_t>(6, 0x58);
  Centre().submit_errors = std::deque<std::string>(6, "50");
  EXPECT_EQ(Timed(std::string(6 * 153, 'a')), 53 + 302 + 1000 + 302 + 302 + 2000);
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(statuses.Count("The far end asks to slow down: trying again in 1 s..."), 2);
  EXPECT_EQ(statuses.Count("The far end asks to slow down: trying again in 2 s..."), 1);
  EXPECT_EQ(Submits(), 4 + 12);
}

TEST_P(WindowedScenario, ALongTextGoesAsLinkedPartsAndEachPartsReceiptCounts) {
  Send(std::string(400, 'a'));
  EXPECT_EQ(Receipt(), kDelivered);
  const std::vector<std::string> parts = UserData();
  ASSERT_EQ(parts.size(), 3u);
  // 05 00 03, one reference, three parts, numbered; 153, 153 and 94 septets.
  const std::string reference = parts[0].substr(6, 2);
  const size_t lengths[] = {153, 153, 94};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(parts[i], "050003" + reference + "030" + std::to_string(i + 1) +
                            ToHex(std::string(lengths[i], 'a')));
  }
  // One log record for the message.
  EXPECT_EQ(LogLines().size(), 1u);

  // Any character in UCS-2; a receipt that says the network is still
  // trying keeps the send waiting, and one not delivered is its outcome.
  Provider().receipt_states = {1, 5};
  Centre().notification_states = {1, 2};
  Send("Łukasz, 今晚见");
  EXPECT_EQ(Receipt(),
            Smpp() ? "Not delivered: UNDELIVERABLE" : "Not delivered: 107 absent subscriber");
  EXPECT_TRUE(statuses.Saw(Smpp()
                               ? "The network is still trying: ENROUTE"
                               : "The network is still trying: buffered: 107 absent subscriber"));
  EXPECT_EQ(UserData().back(), "01410075006B00610073007A002C00204ECA665A89C1");
  if (Smpp()) {
    EXPECT_EQ(provider.Submissions()[0].esm_class, 0x40);
    EXPECT_EQ(provider.Submissions()[0].data_coding, 0);
    EXPECT_EQ(provider.Submissions().back().esm_class, 0);
    EXPECT_EQ(provider.Submissions().back().data_coding, 8);
  } else {
    // MT 3 for each part; MT 4, 16 bits a character and DCS 08 in XSer.
    const EmiSubmission& unicode = centre.Submissions().back();
    EXPECT_EQ(centre.Submissions()[0].fields[18], "3");
    EXPECT_EQ(unicode.fields[18] + "/" + unicode.fields[19] + "/" + unicode.fields[30],
              "4/176/020108");
  }
}

TEST_P(WindowedScenario, AGroupOfFortyGoesThroughTheWindowOfTenSubmitsInSeconds) {
  const auto start = loop.Elapsed();
  SendToGroupOf(40, "Möte i kväll");
  EXPECT_EQ(Smpp() ? provider.MostOutstanding() : centre.MostOutstanding(), 10);
  // Four rounds of answers, the last receipt 2 s later and its answer.
  EXPECT_EQ((loop.Elapsed() - start).count(), 53 + 4 * 302 + 2000 + (Smpp() ? 52 : 200));
  EXPECT_THAT(LogLines(),
              AllOf(SizeIs(40), Each(HasSubstr("\",\"Message delivered.\",\"Möte i kväll\""))));
  EXPECT_TRUE(window->Groups().LastRunAccepted());
  EXPECT_EQ(Logins(), 1);
}

TEST_P(WindowedScenario, ADropInARunLeavesTheUnansweredUnknownAndTheRestGoAfterANewLogin) {
  SetWindow(2);
  Peers([](auto& far) { far.drop_at_submit = 1; });
  SendToGroupOf(5, "Hej");
  // The first two were out when the line dropped.
  EXPECT_EQ(Logins(), 2);
  EXPECT_THAT(Recipients(), ElementsAre("701000000", "701000002", "701000003", "701000004"));
  EXPECT_THAT(LogLines(),
              ElementsAre(StartsWith("\"Member 100 701000000\",\"Unknown: the connection broke"),
                          StartsWith("\"Member 101 701000001\",\"Unknown: the connection broke"),
                          StartsWith("\"Member 102 701000002\",\"Message delivered.\""),
                          StartsWith("\"Member 103 701000003\",\"Message delivered.\""),
                          StartsWith("\"Member 104 701000004\",\"Message delivered.\"")));
  EXPECT_EQ(Text(MainControl::kStatusLine), "2 of 5 members not sent, see the log");
  EXPECT_FALSE(window->Groups().LastRunAccepted());
}

TEST_P(WindowedScenario, AReceiptIsMatchedWhetherItComesBeforeOrAfterTheLastAnswer) {
  const std::string two_parts(200, 'a');
  // Window 1: part 1's receipt comes 100 ms after its answer, while part 2
  // waits for its own.
  SetWindow(1);
  SetReceiptDelay(100);
  EXPECT_EQ(Timed(two_parts), 53 + 302 + 302 + 100);
  EXPECT_EQ(Receipt(), kDelivered);
  // Part 2 refused for now and sent again after a second, part 1's receipt
  // meanwhile.
  SetWindow(10);
  SetReceiptDelay(500);
  Provider().submit_statuses = {0, 0x58};
  Centre().submit_errors = {"", "50"};
  EXPECT_EQ(Timed(two_parts), 53 + 302 + 1000 + 302 + 500);
  EXPECT_EQ(Receipt(), kDelivered);
  if (Smpp()) {
    // deliver_sm before the submit_sm_resp that gives its id.
    Provider().receipts_before_answer = true;
    EXPECT_EQ(Timed("Hej"), 53 + 1 + 500 + 300 + 1);
    EXPECT_EQ(Receipt(), kDelivered);
  }
}

// A receipt that comes after the program stopped waiting for it, here after
// a restart, still finds its message in the store.
TEST_P(WindowedScenario, TheStoreKeepsEachPartAsTheFarEndLeftItAndALateReceiptFindsIt) {
  SetReceiptDelay(100);
  // The fourth submit, member 101's second part, is refused.
  Provider().submit_statuses = {0, 0, 0, 0x45};
  Centre().submit_errors = {"", "", "", "04"};
  SendToGroupOf(3, std::string(200, 'a'));
  EXPECT_TRUE(messages.OpenRuns().empty());
  // Number, name, transport, state, part count, and each part's state with
  // "+" for its reference.
  std::vector<std::string> stored;
  std::set<int> references;
  for (const StoredMessage& message : messages.RunMessages(1)) {
    std::string line = message.number_typed + " " + message.name + " " + message.transport + " " +
                       std::string(StateName(message.state)) + " " +
                       std::to_string(message.part_count);
    for (const StoredPart& part : message.parts) {
      line += " | " + std::string(StateName(part.state)) + (part.ref.empty() ? "" : "+");
    }
    stored.push_back(line);
    references.insert(message.reference);
  }
  const std::string transport = Smpp() ? " SMPP " : " EMI ";
  EXPECT_EQ(stored,
            (std::vector<std::string>{
                "701000000 Member 100" + transport + "delivered 2 | delivered+ | delivered+",
                "701000001 Member 101" + transport + "refused 2 | delivered+ | refused",
                "701000002 Member 102" + transport + "delivered 2 | delivered+ | delivered+",
            }));
  // The parts of one message share its reference; each message has its own.
  EXPECT_EQ(references.size(), 3u);

  window->OnGroupSendingToggled();
  Provider().keep_receipts = true;
  SetReceiptDelay(90000);
  Send("Hej");
  EXPECT_EQ(Receipt(), kReceiptNoReport);
  // The program closes; the receipt falls due while nobody is logged in.
  window.reset();
  loop.RunFor(std::chrono::seconds(30));
  OpenTypedForTemporaryNumber();
  SetReceiptDelay(100);
  Send("Hej igen");
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(messages.Message(4)->parts.front().state, MessageState::kDelivered);
  EXPECT_EQ(messages.Message(5)->state, MessageState::kDelivered);
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
  Peers([](auto& far) { far.refused_connections = 1; });
  window->StartSend();
  const std::string refused = Smpp() ? "The SMPP provider cannot be reached: Connection refused by "
                                       "smpp.example.net:2775"
                                     : "The SMS centre cannot be reached: Connection refused by "
                                       "smsc.example.net:5000";
  EXPECT_EQ(Receipt(), refused);
  EXPECT_TRUE(statuses.Saw(Closing()));
  EXPECT_FALSE(statuses.Saw("Hanging up..."));

  // Refused while connecting again: the member waiting to go says so,
  // after pauses of 1, 2, 4 ... 60 s, and the run ends there.
  SetWindow(1);
  Peers([](auto& far) { far.drop_at_submit = 0; });
  At(200, [&] { Peers([](auto& far) { far.refused_connections = 8; }); });
  const long long start = loop.Elapsed().count();
  SendToGroupOf(3, "Hej");
  EXPECT_THAT(LogLines(),
              ElementsAre(StartsWith("\"Temporary number"),
                          StartsWith("\"Member 100 701000000\",\"Unknown: the connection broke"),
                          "\"Member 101 701000001\",\"Not sent: " + refused + "\",\"Hej\""));
  EXPECT_EQ(receipts.LastAt(Receipt()) - start,
            54 + 1 + (1 + 2 + 4 + 8 + 16 + 32 + 60 + 60) * 1000 + 8);
}

// One far end only.
template <Far kFar>
class OneTcpScenario : public TcpScenario {
 protected:
  OneTcpScenario() : TcpScenario(kFar) {}
};
using SmppScenario = OneTcpScenario<Far::kSmpp>;
using EmiScenario = OneTcpScenario<Far::kEmi>;

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
    SmppSet().DefaultAlphabet = c.alphabet;
    window->OnNumberEdited(c.number);
    Send("Hej på");
    EXPECT_EQ(Receipt(), kDelivered) << c.avs;
    const SmppSubmission& sent = provider.Submissions().back();
    EXPECT_EQ(sent.source, c.source) << c.avs;
    EXPECT_EQ(sent.destination, c.destination) << c.avs;
    EXPECT_EQ(sent.short_message, c.alphabet == "3" ? "Hej p\345" : "Hej p\017") << c.avs;
    // No header; data_coding 3 is Latin-1 in SMPP 3.4.
    EXPECT_EQ(sent.esm_class, 0) << c.avs;
    EXPECT_EQ(sent.data_coding, std::stoi(c.alphabet)) << c.avs;
  }

  // What the provider's alphabet cannot carry is refused before connecting,
  // in a group run too.
  settings.Avs = "Åsa Öberg Äx";
  ExpectFailed("The sender name \"Åsa Öberg Äx\" must be at most 11 characters of the GSM alphabet",
               0, 0);
  settings.Avs = "Tolvane";
  SmppSet().DefaultAlphabet = "3";
  ExpectFailed("The provider's alphabet (DefaultAlphabet 3, Latin-1) cannot carry the character Δ",
               0, 0, "Åsa: ΔΣ €");
  settings.Avs = "Tolvane €";
  const std::string latin1 =
      "The sender name \"Tolvane €\" must be at most 11 characters of the provider's alphabet "
      "(DefaultAlphabet 3, Latin-1)";
  ExpectFailed(latin1, 0, 0);
  SendToThreeFriends("Hej");
  EXPECT_EQ(Receipt(), latin1);
  EXPECT_EQ(connection.ConnectCount(), 3);
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

TEST_F(EmiScenario, TheAlternativeHostIsTriedAndTakenInTurnAfterADrop) {
  EmiSet().AltHost = "backup.example.net";
  EmiSet().AltPort = "5001";
  Centre().refused_connections = 1;
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(connection.Host() + ":" + std::to_string(connection.Port()), "backup.example.net:5001");

  // The line drops under a group run, one submit at a time: 1 s later the
  // other host, where the rest goes after a new login.
  EmiSet().Window = "1";
  Centre().drop_at_submit = 2;
  SendToGroupOf(3, "Hej");
  EXPECT_EQ(connection.Host() + ":" + std::to_string(connection.Port()), "smsc.example.net:5000");
  // The notification of the first member follows the new login.
  EXPECT_THAT(LogLines(),
              ::testing::UnorderedElementsAre(
                  StartsWith("\"Temporary number"),
                  StartsWith("\"Member 100 701000000\",\"Message delivered.\""),
                  StartsWith("\"Member 101 701000001\",\"Unknown: the connection broke"),
                  StartsWith("\"Member 102 701000002\",\"Message delivered.\"")));
  EXPECT_EQ(centre.Logins(), 3);
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
  EXPECT_EQ(Receipt(), kDelivered);
  // A centre that writes its checksum digits in lower case is understood.
  Centre().lower_case_checksums = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);

  // Quiet lines get an alert, 30 quiet seconds twice while the notification
  // was awaited, and the centre's alert is answered.
  Centre() = {};
  EmiSet().Keepalive = "30";
  Centre().notification_delay_ms = 75000;
  Centre().alert_before_answer = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(Count("O/31"), 2);
  EXPECT_EQ(Count("R/31"), 1);
  EXPECT_EQ(centre.Unanswered(), 0);
  EXPECT_THAT(connection.Written(),
              HasSubstr(kStx + std::string("02/00029/O/31/tolvane/0539/F4") + kEtx));

  // An unanswered login ends the send; an error of the centre's own is
  // tried again five times.
  Centre() = {};
  Centre().answer_delay_ms = 45000;
  const long long start = loop.Elapsed().count();
  ExpectFailed("The SMS centre did not answer the login within 30 seconds", 0);
  EXPECT_EQ(receipts.LastAt(Receipt()) - start, 1 + 30000);
  Centre() = {};
  Centre().submit_errors = std::deque<std::string>(6, "90");
  ExpectFailed("Not sent: 90 error of the centre's own", 6);
}

TEST_F(EmiScenario, AMsgIsInTheChosenAlphabetAndIraRefusesOtherCharactersBeforeConnecting) {
  // What the centre reads is what was typed: GSM 03.38 by default, the
  // extension table behind its escape; ASCII with Alphabet=IRA.
  const std::string ascii = "[ ] { } ~ | ^ _ \\ @ $";
  const std::string refused =
      "Not sent: [EMI] Alphabet IRA carries only ASCII characters, and this text has ";
  const struct {
    const char* alphabet;
    std::string text;
    std::string receipt;
  } kCases[] = {
      {"GSM", ascii + " € Å", kDelivered},
      {"IRA", ascii, kDelivered},
      {"IRA", "今晚见 ö", kDelivered},
      {"IRA", "Möte i kväll", refused + "ö"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EmiSet().Alphabet = c.alphabet;
    Centre().ira = EmiSet().Alphabet == "IRA";
    if (c.receipt != kDelivered) {
      ExpectFailed(c.receipt, 0, 0, c.text);
      continue;
    }
    Send(c.text);
    EXPECT_EQ(Receipt(), c.receipt);
    EXPECT_EQ(centre.Submissions().back().text, c.text);
  }
  EXPECT_EQ(Submits(), 3);
  // A group run is refused the same way, before connecting.
  const int connections = connection.ConnectCount();
  SendToGroupOf(2, "Möte");
  EXPECT_EQ(Receipt(), refused + "ö");
  EXPECT_EQ(connection.ConnectCount(), connections);
}

// A run of 300 receipt-free messages, two submits outstanding at most: the
// fourth gets no answer while the other place goes round the TRNs, and a
// stray answer of another operation under its TRN frees nothing.
TEST_F(EmiScenario, AnUnansweredSubmitKeepsItsTrnUntilItEndsSixtySecondsAfterItWent) {
  EmiSet().Window = "2";
  AskForReceipts(false);
  Centre().submit_delay_ms = 200;
  const int silent = 3;
  const std::string receipt = "Unknown: no answer came within 60 seconds";
  Centre().silent_at_submit = silent;
  std::vector<long long> read_at;
  centre.SetOnEvent([&](const std::string& event) {
    if (event.starts_with("op 51 to ")) read_at.push_back(loop.Elapsed().count());
  });
  // The login took 00.
  const int trn = silent + 1;
  At(10000, [&] { centre.SendBytes(kStx + SealUcpFrame(trn, 'R', "31", {"A", ""}) + kEtx); });
  SendToGroupOf(300, "Hej");

  const std::vector<EmiSubmission>& submissions = centre.Submissions();
  ASSERT_EQ(submissions.size(), 300u);
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
  EXPECT_EQ(log.size(), 300u);
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [&](const std::string& line) {
                            return line.find("\"" + receipt + "\"") != std::string::npos;
                          }),
            1);
  EXPECT_FALSE(connection.IsOpen());
}

TEST_F(EmiScenario, TheDialUpOperationCarriesPlainTextOnlyAndRefusesTheRestFirst) {
  EmiSet().Operation = "30";
  settings.Avs = "+46 70-765 43 21";
  // NRq 1 with a notification asked for.
  Send("Hej");
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_THAT(
      connection.Written(),
      HasSubstr(kStx + std::string("01/00057/O/30/0046701234567/46707654321//1//////48656A/FA") +
                kEtx));
  ExpectFailed("Not sent: [EMI] Operation 30 carries no Unicode, and this text needs it", 0, 0,
               "今晚见");
  ExpectFailed("Not sent: [EMI] Operation 30 carries no linked parts, and this text needs 2", 0, 0,
               std::string(200, 'a'));
}

// Every transport, "Hej" typed from +46 70-765 43 21.
class TransportScenario : public TcpScenario {
 protected:
  TransportScenario() : TcpScenario(Far::kSmpp) { settings.Avs = "+46 70-765 43 21"; }

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
    return gsm.Submissions().size() + smsc.Submits().size() + gateway.Requests().size() +
           (gsm_line.Written().find("AT+CMGS") != std::string::npos);
  }
};

TEST_F(TransportScenario, AnAcceptedMessageKeepsItsOutcome) {
  const std::pair<const char*, int*> cases[] = {
      {"SMPP", &provider.Options().receipt_delay_ms},
      {"EMI", &centre.Options().notification_delay_ms},
      {"Modem", &smsc.Options().notify_delay_ms},
      {"GSM", &gsm.Options().report_delay_ms},
  };
  for (const auto& [access, receipt_delay_ms] : cases) {
    SCOPED_TRACE(access);
    settings.AccessTyp = access;
    *receipt_delay_ms = kLong;
    At(30000, [&] { window->CancelSend(); });
    window->StartSend();
    EXPECT_EQ(Receipt(), "Message sent. Cancelled while waiting for the receipt.");
    EXPECT_EQ(LogLines().back(), "\"Temporary number 46701234567\",\"Message sent.\",\"Hej\"");
    EXPECT_TRUE(Enabled(MainControl::kSend));
    // The line is given up at once.
    EXPECT_FALSE(modem.Carrier() || dial_up_line.IsOpen() || gsm_line.IsOpen() ||
                 provider_tcp.IsOpen() || centre_tcp.IsOpen());
    // The closing step logs nothing more.
    loop.RunFor(std::chrono::milliseconds(kLong));
  }
  EXPECT_EQ(LogLines().size(), 4u);
}

// An autosend file whose message was taken goes, so that the next pass does
// not send it again; one not taken stays.
TEST_F(TransportScenario, AnOrderOrAutosendFileTakenBeforeTheCancelCountsAsSent) {
  settings.AccessTyp = "EMI";
  centre.Options().notification_delay_ms = kLong;
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
    centre.Options().submit_delay_ms = accepted ? 0 : kLong;
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
  sim::GsmModemOptions& phone = gsm.Options();
  sim::SmscOptions& centre_options = smsc.Options();
  auto answer = [&](sim::GatewayAnswer status) { gateway.SetAnswer(number, status); };
  // A long text goes as two linked parts, or as a double message of two
  // parts; the parts' states, with " | " between them.
  const struct {
    const char* access;
    bool long_text;
    std::string parts;
    std::function<void()> arrange;
  } cases[] = {
      {"GSM", false, "delivered 1", [] {}},
      {"GSM", false, "expired 2", [&] { phone.report_statuses = {0x46}; }},
      {"GSM", false, "refused: Not sent: invalid PDU (+CMS ERROR: 304)",
       [&] { phone.report_statuses = {0x00}, phone.submit_errors = {"304"}; }},
      {"GSM", false, "unknown: Unknown: the connection broke before the answer came",
       [&] { phone.network_delay_ms = 70000; }},
      {"GSM", true, "delivered 3 | delivered 4", [&] { phone.network_delay_ms = 2000; }},
      {"Modem", false, "delivered" + sm, [] {}},
      {"Modem", false, "refused: Wrong phonenumber",
       [&] { centre_options.negative_codes = {"06"}; }},
      {"Modem", false, "unknown: The operator didn´t send a receipt.",
       [&] { centre_options.answer = false; }},
      {"TCP", false, "accepted 200", [] {}},
      {"TCP", false, "refused: Unknown subscriber or not a valid phone number",
       [&] { answer(sim::GatewayAnswer::Status(450)); }},
      {"TCP", false, "unknown: The operator didn´t send a receipt.",
       [&] { answer(sim::GatewayAnswer::Silent()); }},
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
    if (why != std::string::npos) {
      EXPECT_EQ(Receipt(), c.parts.substr(why + 2));
    }
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
    window->Messages().Use(&messages);
  }
}

// `[Message] PerMinute` and `PerDay` on the gateway, each send answered at once.
class RateLimitScenario : public TransportScenario {
 protected:
  RateLimitScenario() {
    settings.AccessTyp = "TCP";
    AskForReceipts(false);
    start_ = loop.Now();
  }
  // Types `text` for the temporary number +46 70-123 45 67.
  void SendAs(const std::string& text, bool double_message = false) {
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
    window->OnDoubleToggled(double_message);
    TypeMessage(*window, text);
  }
  // Sends and returns the virtual time from the start at which it went.
  long long SendAt() {
    window->StartSend();
    return (loop.Now() - start_) / milliseconds(1);
  }
  // The status line of a wait until `from_start_ms` after the start.
  std::string Waiting(long long from_start_ms, const std::string& limit) const {
    return "Waiting until " + TimeOfDayText(start_ + milliseconds(from_start_ms)) + ": " + limit;
  }
  void Restart() {
    window.reset();
    Open(dial_up_line, client);
    window->ConfigureTransports();
  }

  TimePoint start_;
};

TEST_F(RateLimitScenario, TheMinuteSlidesAndTheLastAllowedGoesAtOnce) {
  // Zero, the default, is no limit.
  ASSERT_EQ(settings.PerDay, 0);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(SendAt(), 0);
  EXPECT_THAT(statuses.Texts(), Not(Contains(HasSubstr("Waiting until"))));
  loop.RunFor(std::chrono::minutes(1));
  start_ = loop.Now();
  settings.PerMinute = 3;
  const std::string limit = "at most 3 SMS a minute.";
  EXPECT_EQ(SendAt(), 0);
  loop.RunFor(milliseconds(10000));
  EXPECT_EQ(SendAt(), 10000);
  loop.RunFor(milliseconds(10000));
  EXPECT_EQ(SendAt(), 20000);
  // The fourth waits until the first has been gone a minute, the fifth for
  // the second.
  EXPECT_EQ(SendAt(), 60000);
  EXPECT_THAT(statuses.Texts(), Contains(Waiting(60000, limit)));
  EXPECT_EQ(SendAt(), 70000);
  EXPECT_THAT(statuses.Texts(), Contains(Waiting(70000, limit)));
  EXPECT_EQ(gateway.Requests().size(), 45u);

  // A double message counts two parts; one of more parts than the limit goes
  // alone once the minute is empty, and the next waits a whole minute.
  settings.PerMinute = 1;
  SendAs(std::string(170, 'd'), true);
  EXPECT_EQ(SendAt(), 130000);
  EXPECT_EQ(gateway.Requests().size(), 47u);
  SendAs("Hej");
  EXPECT_EQ(SendAt(), 190000);
  EXPECT_THAT(statuses.Texts(), Contains(Waiting(190000, "at most 1 SMS a minute.")));
}

TEST_F(RateLimitScenario, TheDaysCountSurvivesARestartAndEndsAtLocalMidnight) {
  settings.PerDay = 2;
  settings.PerMinute = 2;
  loop.SetLimit(std::chrono::hours(72));
  const TimePoint evening = LocalTimeOfDay(loop.Now(), 23, 58, 30);
  loop.RunFor(std::chrono::duration_cast<milliseconds>(evening - loop.Now()));
  const long long at = (evening - start_) / milliseconds(1);
  EXPECT_EQ(SendAt(), at);
  EXPECT_EQ(SendAt(), at);
  Restart();
  SendAs("Hej");
  const TimePoint midnight = LocalTimeOfDay(evening + std::chrono::hours(1), 0, 0, 0);
  const long long midnight_ms = (midnight - start_) / milliseconds(1);
  // The day's limit holds past the minute's.
  EXPECT_EQ(SendAt(), midnight_ms);
  EXPECT_THAT(statuses.Texts(), Contains("Waiting until 00:00:00: at most 2 SMS a day."));
  EXPECT_EQ(SendAt(), midnight_ms);
  // The new day is full too: the next goes the day after.
  const TimePoint next = LocalTimeOfDay(midnight + std::chrono::hours(30), 0, 0, 0);
  EXPECT_EQ(SendAt(), (next - start_) / milliseconds(1));
  EXPECT_EQ(gateway.Requests().size(), 5u);
}

TEST_F(RateLimitScenario, CancelEndsTheWaitOfASingleSendAndOfAGroupRun) {
  settings.PerMinute = 2;
  SendAt();
  SendAt();
  At(5000, [&] { window->CancelSend(); });
  EXPECT_EQ(SendAt(), 5000);
  EXPECT_EQ(Receipt(), kReceiptCancelled);
  EXPECT_TRUE(Enabled(MainControl::kSend));
  EXPECT_EQ(gateway.Requests().size(), 2u);
  EXPECT_EQ(messages.Message(messages.MessageCount())->state, MessageState::kRefused);
  // Nothing went, so nothing is logged.
  EXPECT_EQ(LogLines().size(), 2u);

  // A run waits before each member as a single send does: the first two
  // minutes' members go as the minute frees.
  window->OnTemporaryNumberToggled(false);
  SendToThreeFriends("Hej");
  EXPECT_EQ(loop.Now() - start_, milliseconds(120000));
  EXPECT_EQ(gateway.Requests().size(), 5u);
  EXPECT_THAT(statuses.Texts(), Contains(Waiting(60000, "at most 2 SMS a minute.")));
  At(1000, [&] { window->CancelSend(); });
  window->Groups().SendToGroup();
  EXPECT_EQ(loop.Now() - start_, milliseconds(121000));
  EXPECT_EQ(gateway.Requests().size(), 6u);
  EXPECT_EQ(Receipt(), kReceiptCancelled);
}

// The compose rules stop a send before any transport is reached, so the
// transports' ports are inert mocks here.
class MainWindowComposeTest : public ::testing::Test, protected WindowPeripherals {
 protected:
  const std::string& Text(MainControl control) const { return window_.Control(control).text; }
  void ShowPeople() {
    window_.SetPhoneBookCursor(&book.cursor());
    window_.RefreshRecipientList();
  }
  void Type(const std::string& text) { TypeMessage(window_, text); }

  sim::SimEventLoop loop_;
  MainWindow window_{settings, Services(loop_), host};
};

TEST_F(MainWindowComposeTest, TheBoxTakesAnEditAsFarAsItFitsAndNeverCutsWhatWasThere) {
  const std::string a158(158, 'a');
  const struct {
    int limit;
    std::string before;
    std::string after;  // the box after the user's edit
    std::string taken;
  } kEdits[] = {
      {160, "", std::string(170, 'a'), std::string(160, 'a')},
      // New characters only as far as they fit, the text there kept whole.
      {160, std::string(160, 'a'), "x" + std::string(160, 'a'), std::string(160, 'a')},
      // A line break (CR LF) fits only whole, even at the last two places.
      {160, a158, a158 + "\r\n", a158 + "\r\n"},
      {160, a158 + "a", "\r\n" + a158 + "a", a158 + "a"},
      {320, std::string(318, 'a'), std::string(318, 'a') + "\r\nd", std::string(318, 'a') + "\r\n"},
      // Deleting from text a program put in past the limit is taken.
      {160, std::string(170, 'a'), std::string(165, 'a'), std::string(165, 'a')},
  };
  for (const auto& edit : kEdits) {
    window_.OnDoubleToggled(edit.limit == 320);
    window_.SetMessageText(edit.before);
    window_.OnMessageEdited(edit.after);
    EXPECT_EQ(window_.MessageText(), edit.taken) << edit.after;
    EXPECT_EQ(window_.State().saved_text, edit.taken);
    EXPECT_EQ(Text(MainControl::kStatusLine), std::to_string(Utf8Length(edit.taken)) +
                                                  " character in message (Max " +
                                                  std::to_string(edit.limit) + ").");
  }

  // Text the program puts in is counted too, also during a mail check.
  window_.OnDoubleToggled(false);
  window_.SetMessageText("Hello");
  EXPECT_EQ(Text(MainControl::kStatusLine), "5 character in message (Max 160).");
  window_.SetMailCheckRunning(true);
  window_.SetMessageText("Mail");
  EXPECT_EQ(Text(MainControl::kStatusLine), "5 character in message (Max 160).");
  window_.SetMailCheckRunning(false);

  // Toggling "&Double" puts back the user's text, however it was changed
  // last, and not what a program put in (choosing a recipient: the window's
  // own test).
  Type("typed");
  window_.Paste(5, 0);  // an empty clipboard pastes nothing
  window_.OnMessageEdited("typed and pasted");
  window_.SetMessageText("put in by a program");
  window_.OnDoubleToggled(true);
  EXPECT_EQ(window_.MessageText(), "typed and pasted");
  EXPECT_EQ(window_.FocusRequest(), MainControl::kMessageBox);
  window_.NewMessage();
  EXPECT_EQ(window_.State().saved_text, "");
}

TEST_F(MainWindowComposeTest, SendsThatBreakTheRulesAreRefusedBeforeAnyTransport) {
  int focus_before = window_.FocusRequestCount();
  window_.StartSend();  // an empty message only takes the focus
  EXPECT_EQ(Text(MainControl::kReceiptLine), "");
  EXPECT_GT(window_.FocusRequestCount(), focus_before);
  Type("Hi");
  window_.StartSend();
  EXPECT_EQ(Text(MainControl::kReceiptLine), "No recipient!");

  window_.OnTemporaryNumberToggled(true);
  window_.OnNumberEdited("0701");
  window_.SetMessageText(std::string(161, 'x'));  // as a program puts it in
  window_.StartSend();
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Message exceeds 160 character, check Double!");

  window_.OnDoubleToggled(true);
  Type(std::string(160, 'x'));
  window_.StartSend();
  EXPECT_EQ(Text(MainControl::kReceiptLine),
            "Message doesn´t exceed 160 character, uncheck Double!");
  EXPECT_FALSE(window_.State().attempted);
}

// The send goes to the chosen person wherever the shared cursor stands;
// closing the phone book refills the list but keeps a typed number.
TEST_F(MainWindowComposeTest, TheChosenPersonOrATemporaryNumberIsTheRecipient) {
  book.Add("Anna", "070-111");
  book.Add("Bo", "070-222");
  ShowPeople();
  window_.OnRecipientChosen(1);
  book.cursor().MoveFirst();  // as the phone-book window may leave it
  Type("Hi");
  window_.StartSend();
  EXPECT_EQ(window_.State().recipient_name, "Bo");
  EXPECT_EQ(window_.State().recipient_number, "070222");

  window_.OnTemporaryNumberToggled(true);
  window_.OnNumberEdited("  +46 (70) 123-45 67 ");
  EXPECT_CALL(host, OpenPhoneBook()).WillOnce([this] {
    book.Add("Cecilia", "070-333");
    window_.RefreshRecipientList();  // what closing the phone book runs
  });
  window_.OpenPhoneBook();
  EXPECT_THAT(window_.List(MainList::kRecipients).items, ElementsAre("Anna", "Bo", "Cecilia"));
  EXPECT_EQ(window_.List(MainList::kRecipients).selected, -1);
  EXPECT_EQ(Text(MainControl::kNumberField), "  +46 (70) 123-45 67 ");
}

TEST_F(MainWindowComposeTest, AMissingManualIsNamed) {
  EXPECT_CALL(help, ShowContents(_)).WillOnce(Return(false));
  window_.ShowHelpTopics();
  EXPECT_THAT(dialogs.Texts(), ElementsAre("Can´t find the helpfile"));
}

// With a transport that splits (SMPP), and over the gateway.
class SplittingComposeTest : public TransportScenario {
 protected:
  SplittingComposeTest() {
    settings.MailServer = "pop.example.com";
    settings.RasYN = "1";  // the mail server is reached without dialling
    ComputeDerivedFields(settings);
    // A window of its own, with the mail client.
    receiving.reset();
    window.reset();
    window = std::make_unique<MainWindow>(
        settings, Services(loop, serial, client, mail_client, dialler), host);
    history.Follow(*window, loop);
    window->ConfigureTransports();
  }
  ~SplittingComposeTest() override { window.reset(); }

  void UseTemporaryNumber() {
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("0701");
  }
  const ControlState& Status() const { return window->Control(MainControl::kStatusLine); }
  size_t Submitted() const { return provider.Submissions().size(); }
  struct Path {
    const char* name;
    size_t recipients;
    size_t added;  // characters the path puts around the text it is given
    std::function<void(const std::string&)> send;
  };
  // Every path that sends the box's text, each from the temporary number
  // 0701 and with a group Vänner of one member.
  std::vector<Path> Paths() {
    settings.AutoFil = "/out";
    settings.AutoTyp = "1";
    settings.AutoTabort = "1";
    files.MakeFolder("/out");
    window->SetPhoneBookStore(&book.store());
    window->SetPhoneBookCursor(&book.cursor());
    book.AddToGroup("Vänner", "Anna", "0702");
    auto order = [this](const std::string& order) {
      window->SetCommandLineMode(true);
      CommandLineSending(*window).ArgSandning(order);
      window->SetCommandLineMode(false);
    };
    return {
        {"Send", 1, 0,
         [this](const std::string& text) {
           TypeMessage(*window, text);
           window->StartSend();
         }},
        {"Send to Group", 1, 0,
         [this](const std::string& text) {
           window->OnGroupSendingToggled();
           TypeMessage(*window, text);
           window->Groups().SendToGroup();
           window->OnGroupSendingToggled();
         }},
        {"order to a number", 1, 0,
         [order](const std::string& text) { order("N//0703//" + text); }},
        {"order to a group", 1, 0,
         [order](const std::string& text) { order("G//Vänner//" + text); }},
        {"autosend file", 1, 0,
         [this](const std::string& text) {
           files.Write("/out/a.txt", text);
           window->OnAutosendingClicked(true);
           WaitUntil(loop, [this] { return !window->Control(MainControl::kAutosending).checked; });
         }},
        // The summary is "1 mail waiting. ", the mail and a blank.
        {"mail forward", 1, 17,
         [this](const std::string& text) {
           mailbox.messages = {text};
           window->Mail().CheckNow();
           loop.RunFor(std::chrono::minutes(2));
         }},
    };
  }

  sim::SimMailbox mailbox;
  sim::SimMailClient mail_client{loop, mailbox};
};

// The counter counts as a phone does, and "&Double" is not needed.
TEST_F(SplittingComposeTest, NothingTypedIsCutAndSendRefusesMorePartsThanTheLimit) {
  UseTemporaryNumber();
  const std::string a600(600, 'a');
  const struct {
    int max_parts;
    std::string before;
    std::string typed;  // the box after the user's edit
    std::string counter;
    size_t parts;  // sent, or 0 when Send refuses
  } kCases[] = {
      // An emoji typed at the start of 600 letters makes all of it UCS-2.
      {6, a600, "😀" + a600, "9 SMS, over the limit of 6 · Unicode", 0},
      // A line break at the limit stays whole.
      {6, std::string(917, 'a'), std::string(917, 'a') + "\r\n", "7 SMS, over the limit of 6", 0},
      {1, "", std::string(160, 'a'), "0 left · 1 SMS", 1},
      {1, "", std::string(161, 'a'), "2 SMS, over the limit of 1", 0},
      {255, "", std::string(255 * 153, 'a'), "0 left · 255 SMS", 255},
      {255, "", std::string(255 * 153 + 1, 'a'), "256 SMS, over the limit of 255", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.counter);
    settings.MaxParts = c.max_parts;
    window->SetMessageText(c.before);
    window->OnMessageEdited(c.typed);
    EXPECT_EQ(window->MessageText(), c.typed);
    EXPECT_EQ(Status().text, c.counter);
    EXPECT_EQ(Status().warning, c.parts == 0);
    const size_t submitted = Submitted();
    const int connections = provider.Connections();
    window->StartSend();
    EXPECT_EQ(Submitted() - submitted, c.parts);
    if (c.parts == 0) {
      const size_t parts = c.counter.find(' ');
      EXPECT_EQ(Receipt(), "Message too long: " + c.counter.substr(0, parts) + " parts, at most " +
                               std::to_string(c.max_parts));
      EXPECT_EQ(provider.Connections(), connections);
    }
  }
}

// The gateway gets text in Windows-1252; a character that has no place there
// is refused, and goes as "?" in a forwarded mail's summary.
TEST_F(SplittingComposeTest, EveryPathKeepsThePartLimitAndTheGatewaysCharacterSet) {
  constexpr char kTooLong[] = "Message too long: 2 parts, at most 1";
  constexpr char kUncarriable[] = "The message holds a character this connection cannot carry: 😀";
  settings.MaxParts = 1;
  for (const Path& path : Paths()) {
    SCOPED_TRACE(path.name);
    settings.AccessTyp = "SMPP";
    window->ConfigureTransports();
    UseTemporaryNumber();  // an order to a number unchecks it
    size_t submitted = Submitted();
    path.send(std::string(160 - path.added, 'a'));
    EXPECT_EQ(Submitted() - submitted, path.recipients);
    submitted = Submitted();
    const int connections = provider.Connections();
    int refusals = receipts.Count(kTooLong);
    path.send(std::string(161 - path.added, 'a'));
    EXPECT_EQ(receipts.Count(kTooLong), refusals + 1);
    EXPECT_EQ(Submitted(), submitted);
    EXPECT_EQ(provider.Connections(), connections);

    settings.AccessTyp = "TCP";
    window->ConfigureTransports();
    UseTemporaryNumber();
    const size_t sent = gateway.Requests().size();
    path.send("Grüße €");
    ASSERT_EQ(gateway.Requests().size() - sent, path.recipients);
    EXPECT_THAT(gateway.Requests().back().Field("message"), HasSubstr("Gr\xFC\xDF"
                                                                      "e \x80"));
    refusals = receipts.Count(kUncarriable);
    path.send("Hej 😀");
    if (path.added > 0) {
      EXPECT_EQ(gateway.Requests().back().Field("message"), "1 mail waiting. Hej ? ");
      continue;
    }
    EXPECT_EQ(receipts.Count(kUncarriable), refusals + 1);
    EXPECT_EQ(gateway.Requests().size(), sent + path.recipients);
  }
}

}  // namespace
}  // namespace tolvane::testing
