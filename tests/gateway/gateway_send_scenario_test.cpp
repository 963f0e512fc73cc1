// Sends through the main window to the simulated gateway, as the user sees
// them: receipt line, status line, message box, log file and what arrived.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using sim::GatewayAnswer;
using std::chrono::milliseconds;
using ::testing::_;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kNumber[] = "46701234567";
constexpr char kPath[] = "/servlet/norvoServlet/standardAccount/sendSingleSMS";
constexpr char kDelivered[] = "Message delivered to recipients phone";
constexpr char kClosed[] = "Error: 2:Connection closed by the gateway";

class GatewaySendScenarioTest : public GatewayScenario {
 protected:
  GatewaySendScenarioTest() {
    settings.TCPAnvNamn = "konto";
    settings.GatewayPassword = "p&w=1";
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
  Send("Meet at 8 & bring C++ book, 50% off");

  ASSERT_EQ(gateway.Requests().size(), 1u);
  const sim::HttpRequest& http = gateway.Requests()[0].http;
  EXPECT_EQ(http.target, kPath);
  EXPECT_EQ(http.body,
            "protocolVersion=1.0&accountName=konto&accountPassword=p%26w%3D1"
            "&toPhoneNumber=46701234567&message=Meet+at+8+%26+bring+C%2B%2B+book,+50/+off"
            "&followingMessages=0&timeoutMS=40000");
  // The 2-second pause comes before the post; the gateway answers at once.
  EXPECT_EQ(statuses.FirstAt("Waiting for receipt..."), 2000);
  EXPECT_EQ(loop.Elapsed(), milliseconds(2000));
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(dialogs.beeps(), 1);
  ExpectUnlocked();
  EXPECT_THAT(LogLines(), ElementsAre(std::string("\"Temporary number ") + kNumber + "\",\"" +
                                      kDelivered + "\",\"Meet at 8 & bring C++ book, 50% off\""));

  // A status outside the table is an answer too.
  gateway.SetDefaultAnswer(GatewayAnswer::Status(301));
  Send("Hello");
  EXPECT_EQ(Receipt(), "Unknown status");
  EXPECT_EQ(dialogs.beeps(), 2);
}

TEST_F(GatewaySendScenarioTest, WithoutReceiptsThereIsNoPauseAndTheTimeoutIsShort) {
  AskForReceipts(false);
  gateway.SetAnswer(kNumber, GatewayAnswer::Status(433, 700));
  Send("Hello");
  EXPECT_EQ(gateway.Requests()[0].Field("timeoutMS"), "2000");
  EXPECT_EQ(loop.Elapsed(), milliseconds(700));
  EXPECT_EQ(Receipt(), "Account don´t exist");
  EXPECT_THAT(LogResults(), ElementsAre("Account don´t exist"));
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

  // While the first part of a double message waits: the second never goes.
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

  // Nor after a failed first part.
  gateway.SetDefaultAnswer(GatewayAnswer::Close());
  Send(text, true);
  EXPECT_EQ(gateway.Requests().size(), 2u);
  EXPECT_EQ(Receipt(), kClosed);
  EXPECT_EQ(window->MessageText(), text);
  ExpectUnlocked();
}

TEST_F(GatewaySendScenarioTest, DoubleMessageGoesAs160Then40AndTheBoxKeepsItsText) {
  std::string text = std::string(150, 'a') + std::string(20, 'b') + std::string(30, 'c');
  Send(text, true);

  EXPECT_THAT(Sent("message"), ElementsAre(text.substr(0, 160), text.substr(160)));
  EXPECT_THAT(Sent("followingMessages"), ElementsAre("1", "0"));
  EXPECT_THAT(history.message.Texts(), ElementsAre("", text));
  // Both parts had their pause.
  EXPECT_EQ(loop.Elapsed(), milliseconds(4000));
  // One log record per part, each with its own text.
  EXPECT_THAT(LogLines(), ElementsAre(::testing::EndsWith(",\"" + text.substr(0, 160) + "\""),
                                      ::testing::EndsWith(",\"" + text.substr(160) + "\"")));

  // The limits are exact: 161 characters are two parts, 160 go whole without Double.
  Send(std::string(161, 'd'), true);
  Send(std::string(160, 's'));
  EXPECT_THAT(Sent("message"),
              ElementsAre(_, _, std::string(160, 'd'), "d", std::string(160, 's')));
  EXPECT_EQ(Receipt(), kDelivered);
}

TEST_F(GatewaySendScenarioTest, ATemporaryNumberWithoutDigitsIsRefusedAndNothingIsPosted) {
  window->OnNumberEdited(" +-- ");
  Send("Hello");
  EXPECT_EQ(Receipt(), "No recipient!");
  EXPECT_THAT(gateway.Requests(), IsEmpty());
  ExpectUnlocked();
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

  // A port that is no number reaches the client as 0, which fails the request.
  for (auto [port, number] : {std::pair{" 8080 ", 8080}, std::pair{"80a", 0}}) {
    settings.TCPProxyPort = port;
    window->ConfigureTransports();
    EXPECT_EQ(client.ProxyPort(), number) << port;
  }
  settings.TCPProxy = 0;
  window->ConfigureTransports();
  EXPECT_EQ(client.AccessType(), HttpClient::kDirect);
}

}  // namespace
}  // namespace tolvane::testing
