// The gateway's answers, the account-balance window and sends through the main window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "gateway/balance_window.h"
#include "gateway/kolla_header.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using sim::GatewayAnswer;
using std::chrono::milliseconds;
using ::testing::_;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kNumber[] = "46701234567";
constexpr char kServlet[] = "/servlet/norvoServlet/standardAccount/";
const std::string kPath = std::string(kServlet) + "sendSingleSMS";
constexpr char kDelivered[] = "Message delivered to recipients phone";
constexpr char kClosed[] = "Error: 2:Connection closed by the gateway";

TEST(KollaHeaderTest, EveryCodeOfTheTableHasItsText) {
  constexpr char kLater[] =
      "The phone is unreachable or switched off - message will be delivered later";
  const std::pair<const char*, const char*> table[] = {
      {"200", "Message delivered to recipients phone"},
      {"202", "Message placed in message queue, will be sent soon"},
      {"210", kLater},
      {"211", "Phone full"},
      {"212", kLater},
      {"213", "Message sent but delivery status is unknown"},
      {"400", "Error in call"},
      {"430",
       "Message account is zero - you need to fill up the account before sending more messages"},
      {"431", "Account closed due to abuse - contact the administrator"},
      {"432", "Account closed"},
      {"433", "Account don´t exist"},
      {"434", "Not a valid password"},
      {"440", "Message too long"},
      {"450", "Unknown subscriber or not a valid phone number"},
      {"451", "Call barred"},
      {"452", "Phone don´t support SMS"},
      {"453", "You are not allowed to send to this phone"},
      {"500", "Unknown error"},
      {"530", "Error in norvoServer"},
      {"560", "Unknown error"},
  };
  for (auto [code, text] : table) {
    EXPECT_EQ(KollaHeader(std::string("HTTP/1.1 ") + code + " Reason"), text) << code;
    // Only the two hundreds mean the gateway took the message.
    EXPECT_EQ(GatewayAccepted(std::string("HTTP/1.1 ") + code + " Reason"), code[0] == '2') << code;
  }
  for (const char* other : {"HTTP/1.1 201 Created", "HTTP/1.1 301 Moved", "HTTP/1.1 404 x", ""}) {
    EXPECT_EQ(KollaHeader(other), "Unknown status") << other;
    EXPECT_FALSE(GatewayAccepted(other)) << other;
  }
  // The first code of the table found anywhere wins.
  EXPECT_EQ(KollaHeader("HTTP/1.1 434 code 200"), "Message delivered to recipients phone");
  EXPECT_EQ(KollaHeader("HTTP/1.1 404 Not found 560"), "Unknown error");
}

class BalanceWindowTest : public ::testing::Test {
 protected:
  // Asks a gateway of its own when one is given.
  std::string Ask(sim::SimGateway* other = nullptr) {
    sim::SimHttpClient client(loop_, other ? *other : gateway_);
    BalanceWindow window(client, settings_, {"http://sms.example.net/", " konto ", "p&w=1"});
    window.Load([&] { progress_.push_back(window.ResultText()); });
    access_type_ = client.AccessType();
    return window.ResultText();
  }

  sim::SimEventLoop loop_;
  sim::SimGateway gateway_;
  ProgramSettings settings_;
  std::vector<std::string> progress_;
  int access_type_ = -1;
};

TEST_F(BalanceWindowTest, AsksForCreditThenBalanceWithTheTypedAccountThroughTheProxy) {
  settings_.TCPProxy = 1;
  settings_.TCPProxyAdress = "proxy.lan";
  settings_.TCPProxyPort = "3128";
  gateway_.SetAccount({0, 25});
  EXPECT_EQ(Ask(), "You have 25 messages left to send.");
  EXPECT_EQ(progress_, std::vector<std::string>{"Kollar saldot..."});
  EXPECT_EQ(access_type_, HttpClient::kNamedProxy);

  ASSERT_EQ(gateway_.Requests().size(), 2u);
  const sim::GatewayRequest& credit = gateway_.Requests()[0];
  // Name and password arrive as typed, without the blanks around them.
  EXPECT_EQ(credit.http.target,
            std::string("http://sms.example.net") + kServlet +
                "maxCredit?protocolVersion=1.0.1&accountName=konto&accountPassword=p%26w%3D1");
  EXPECT_EQ(gateway_.Requests()[1].http.Path(), std::string(kServlet) + "messageBalance");
}

TEST_F(BalanceWindowTest, OneSentencePerCaseAndTheGatewaysOwnWordsAsTheyCame) {
  for (auto [credit, balance, sentence] :
       {std::tuple{100, -12, "You have sent 12 message this period."},
        std::tuple{100, 0, "You have sent 0 message this period."},
        std::tuple{100, 7, "You have 7 messages left to send."},
        std::tuple{0, -4, "You have -4 messages left to send."}}) {
    gateway_.SetAccount({credit, balance});
    EXPECT_EQ(Ask(), sentence);
  }
  GatewayAnswer page = GatewayAnswer::Status(200);
  page.body = "<b>x</b>";
  gateway_.SetAnswerForPath("/maxCredit", page);
  EXPECT_EQ(Ask(), "<b>x</b>");
}

TEST_F(BalanceWindowTest, SilenceEndsAtTheTimeOutWithItsSentence) {
  gateway_.SetAnswerForPath("/maxCredit", GatewayAnswer::Silent());
  EXPECT_EQ(Ask(), "Remote host could not be found.");
  EXPECT_EQ(loop_.Elapsed(), std::chrono::milliseconds(BalanceWindow::kRequestTimeoutMs));
  EXPECT_EQ(gateway_.Requests().size(), 1u);

  // The credit comes; the balance does not.
  sim::SimGateway answering;
  answering.SetAnswerForPath("/messageBalance", GatewayAnswer::Silent());
  EXPECT_EQ(Ask(&answering), "Could´n!");

  // A byte-order mark alone says nothing either.
  GatewayAnswer mark = GatewayAnswer::Status(200);
  mark.body = "\xEF\xBB\xBF";
  gateway_.SetAnswerForPath("/maxCredit", mark);
  EXPECT_EQ(Ask(), "Remote host could not be found.");
}

class GatewaySendScenarioTest : public GatewayScenario {
 protected:
  GatewaySendScenarioTest() {
    settings.TCPAnvNamn = "konto";
    settings.GatewayPassword = "p&w=1 %+~";
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
  }
  // The gateway's failures show on the receipt line, never in a box.
  void TearDown() override { EXPECT_THAT(dialogs.Texts(), IsEmpty()); }

  void Send(const std::string& text, bool double_message = false) {
    window->OnDoubleToggled(double_message);
    window->OnMessageEdited(text);
    window->StartSend();
  }
  std::vector<std::string> LogResults() const {
    std::vector<std::string> results;
    for (const LogRecord& record : ReadLogRecords(book.Folder())) results.push_back(record.result);
    return results;
  }
  void ExpectUnlocked() {
    EXPECT_FALSE(window->State().sending);
    EXPECT_TRUE(Enabled(MainControl::kSend));
    EXPECT_FALSE(Enabled(MainControl::kCancel));
  }
};

TEST_F(GatewaySendScenarioTest, SingleMessagePausesThenPostsTheFormAndShowsTheReceipt) {
  const std::string text = "Meet at 8 & bring C++ #?= book, 50% off\r\nGr\xC3\xB6t";
  Send(text);

  ASSERT_EQ(gateway.Requests().size(), 1u);
  const sim::HttpRequest& http = gateway.Requests()[0].http;
  EXPECT_EQ(http.target, kPath);
  EXPECT_EQ(http.body,
            "protocolVersion=1.0&accountName=konto&accountPassword=p%26w%3D1%20%25%2B~"
            "&toPhoneNumber=46701234567&message=Meet+at+8+%26+bring+C%2B%2B+#?=+book,+50/+off"
            "%0D%0AGr\xF6t&followingMessages=0&timeoutMS=40000");
  EXPECT_EQ(statuses.FirstAt("Waiting for receipt..."), 2000);
  EXPECT_EQ(loop.Elapsed(), milliseconds(2000));
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(dialogs.beeps(), 1);
  ExpectUnlocked();
  EXPECT_THAT(LogLines(),
              ElementsAre(std::string("\"Temporary number ") + kNumber + "\",\"" + kDelivered +
                          "\",\"Meet at 8 & bring C++ #?= book, 50% off Gr\xC3\xB6t\""));

  // A delivery time is not sent.
  window->SetDeliveryTime("16:00", "0612261600");
  Send(text);
  EXPECT_EQ(gateway.Requests()[1].http.body, gateway.Requests()[0].http.body);
}

TEST_F(GatewaySendScenarioTest,
       WithoutReceiptsThereIsNoPauseAndTheTimeoutIsShortAndANumberNeedsDigits) {
  AskForReceipts(false);
  gateway.SetAnswer(kNumber, GatewayAnswer::Status(433, 700));
  Send("Hello");
  EXPECT_EQ(gateway.Requests()[0].Field("timeoutMS"), "2000");
  EXPECT_EQ(loop.Elapsed(), milliseconds(700));
  EXPECT_EQ(Receipt(), "Account don´t exist");
  EXPECT_THAT(LogResults(), ElementsAre("Account don´t exist"));

  window->OnNumberEdited(" +-- ");
  Send("Hello");
  EXPECT_EQ(Receipt(), "No recipient!");
  EXPECT_EQ(gateway.Requests().size(), 1u);
  ExpectUnlocked();
}

TEST_F(GatewaySendScenarioTest, NoAnswerOrAClosedConnectionEndsTheSend) {
  gateway.SetDefaultAnswer(GatewayAnswer::Silent());
  Send("Hello");
  EXPECT_EQ(Receipt(), "The operator didn´t send a receipt.");
  EXPECT_EQ(loop.Elapsed(), milliseconds(2000 + 41 * 2000));  // the 41st tick
  EXPECT_EQ(client.CancelCount(), 1);
  ExpectUnlocked();

  gateway.SetDefaultAnswer(GatewayAnswer::Close(300));
  Send("Hello");
  EXPECT_EQ(Receipt(), kClosed);
  EXPECT_EQ(dialogs.beeps(), 0);
  EXPECT_THAT(LogResults(), ElementsAre("The operator didn´t send a receipt.", kClosed));
}

TEST_F(GatewaySendScenarioTest, CancelInThePauseOrWhileWaitingEndsTheSendOnce) {
  At(1000, [this] { window->CancelSend(); });
  Send("Hello");
  loop.RunFor(milliseconds(10000));
  EXPECT_THAT(gateway.Requests(), IsEmpty());
  ExpectUnlocked();

  // While the first part of a double message waits.
  const std::string text(200, 'x');
  gateway.SetDefaultAnswer(GatewayAnswer::Status(200, 20000));
  At(5000, [this] { window->CancelSend(); });
  Send(text, true);
  loop.RunFor(milliseconds(60000));
  EXPECT_EQ(gateway.Requests().size(), 1u);
  EXPECT_EQ(client.CancelCount(), 1);
  EXPECT_EQ(window->MessageText(), text);
  ExpectUnlocked();
  EXPECT_THAT(LogResults(), ElementsAre(kLogCancelledResult, kLogCancelledResult));
}

TEST_F(GatewaySendScenarioTest, DoubleMessageGoesAs160Then40AndTheBoxKeepsItsText) {
  std::string text = std::string(150, 'a') + std::string(20, 'b') + std::string(30, 'c');
  Send(text, true);

  EXPECT_THAT(Sent("message"), ElementsAre(text.substr(0, 160), text.substr(160)));
  EXPECT_THAT(Sent("followingMessages"), ElementsAre("1", "0"));
  EXPECT_THAT(history.message.Texts(), ElementsAre("", text));
  EXPECT_EQ(loop.Elapsed(), milliseconds(4000));
  EXPECT_THAT(LogLines(), ElementsAre(::testing::EndsWith(",\"" + text.substr(0, 160) + "\""),
                                      ::testing::EndsWith(",\"" + text.substr(160) + "\"")));

  Send(std::string(161, 'd'), true);
  Send(std::string(160, 's'));
  EXPECT_THAT(Sent("message"),
              ElementsAre(_, _, std::string(160, 'd'), "d", std::string(160, 's')));
}

TEST_F(GatewaySendScenarioTest, ProxySettingsReachTheClientAndTheProxySeesTheWholeAddress) {
  settings.TCPProxy = 1;
  settings.TCPProxyAdress = "proxy.lan";
  settings.TCPProxyPort = "3128";
  settings.TCPGateway = "http://gateway.example/";
  window->ConfigureTransports();
  EXPECT_EQ(client.AccessType(), HttpClient::kNamedProxy);
  EXPECT_EQ(client.ProxyHost(), "proxy.lan");
  EXPECT_EQ(client.ProxyPort(), 3128);
  Send("Hello");
  EXPECT_EQ(gateway.Requests()[0].http.target, std::string("http://gateway.example") + kPath);

  // A port that is no number reaches the client as 0.
  for (auto [port, number] : {std::pair{" 8080 ", 8080}, std::pair{"80a", 0}}) {
    settings.TCPProxyPort = port;
    window->ConfigureTransports();
    EXPECT_EQ(client.ProxyPort(), number) << port;
  }
}

}  // namespace
}  // namespace tolvane::testing
