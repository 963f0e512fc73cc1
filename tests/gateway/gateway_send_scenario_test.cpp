// Sends through the main window to the simulated gateway, as the user sees
// them: receipt line, status line, message box, log file and what arrived.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/main_window.h"
#include "records/log_file.h"
#include "records/log_record.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/window_history.h"
#include "support/window_peripherals.h"

namespace tolvane {
namespace {

using sim::GatewayAnswer;
using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kNumber[] = "46701234567";
constexpr char kPath[] = "/servlet/norvoServlet/standardAccount/sendSingleSMS";
constexpr char kDelivered[] = "Message delivered to recipients phone";

class GatewaySendScenarioTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  GatewaySendScenarioTest() {
    settings.AccessTyp = "TCP";
    settings.TCPAnvNamn = "konto";
    settings.GatewayPassword = "p&w=1";
    settings.Logg = "1";
    settings.LoggOn = true;
    window_.Gateway().ConfigureClient();
    history_.Follow(window_, loop_);
    window_.OnTemporaryNumberToggled(true);
    window_.OnNumberEdited("+46 70-123 45 67");
  }
  // The gateway's failures show on the receipt line, never in a box.
  void TearDown() override { EXPECT_THAT(dialogs.Texts(), IsEmpty()); }

  void Send(const std::string& text, bool double_message = false) {
    window_.OnDoubleToggled(double_message);
    window_.OnMessageEdited(text);
    window_.StartSend();
  }
  void CancelAt(milliseconds at) {
    loop_.After(at, [this] { window_.CancelSend(); });
  }

  const std::string& Text(MainControl control) const { return window_.Control(control).text; }
  std::vector<LogRecord> Log() const { return ReadLogRecords(book.Folder()); }
  std::vector<std::string> LogResults() const {
    std::vector<std::string> results;
    for (const LogRecord& record : Log()) results.push_back(record.result);
    return results;
  }
  const sim::GatewayRequest& LastRequest() const { return gateway_.Requests().back(); }

  sim::SimEventLoop loop_;
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop_, gateway_};
  testing::WindowHistory history_;
  MainWindow window_{settings, Services(loop_, client_), host};
};

TEST_F(GatewaySendScenarioTest, SingleMessagePausesThenPostsTheFormAndShowsTheReceipt) {
  Send("Meet at 8 & bring C++ book, 50% off");

  ASSERT_EQ(gateway_.Requests().size(), 1u);
  const sim::HttpRequest& http = LastRequest().http;
  EXPECT_EQ(http.method, "POST");
  EXPECT_EQ(http.target, kPath);
  EXPECT_EQ(http.Header("Content-type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(http.body,
            "protocolVersion=1.0&accountName=konto&accountPassword=p%26w%3D1"
            "&toPhoneNumber=46701234567&message=Meet+at+8+%26+bring+C%2B%2B+book,+50/+off"
            "&followingMessages=0&timeoutMS=40000");
  EXPECT_EQ(LastRequest().Field("message"), "Meet at 8 & bring C++ book, 50/ off");
  EXPECT_EQ(LastRequest().Field("accountPassword"), "p&w=1");
  // The 2-second pause comes before the post; the gateway answers at once.
  EXPECT_EQ(history_.status.FirstAt("Connecting..."), 0);
  EXPECT_EQ(history_.status.FirstAt("Waiting for receipt..."), 2000);
  EXPECT_EQ(loop_.Elapsed(), milliseconds(2000));

  EXPECT_EQ(Text(MainControl::kReceiptLine), kDelivered);
  EXPECT_EQ(Text(MainControl::kReceiptFrame), "Receipt for sending to: Temporary number");
  EXPECT_EQ(Text(MainControl::kStatusLine), "");
  EXPECT_EQ(dialogs.beeps(), 1);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  EXPECT_FALSE(window_.Control(MainControl::kCancel).enabled);

  std::vector<LogRecord> log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].recipient, std::string("Temporary number ") + kNumber);
  EXPECT_EQ(log[0].result, kDelivered);
  EXPECT_EQ(log[0].message, "Meet at 8 & bring C++ book, 50% off");
}

TEST_F(GatewaySendScenarioTest, WithoutReceiptsThereIsNoPauseAndTheTimeoutIsShort) {
  settings.EjKvitto = "1";
  settings.EjKvittoOn = true;
  gateway_.SetAnswer(kNumber, GatewayAnswer::Status(433, 700));
  Send("Hello");
  EXPECT_EQ(LastRequest().Field("timeoutMS"), "2000");
  EXPECT_EQ(loop_.Elapsed(), milliseconds(700));
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Account don\xB4t exist");
  EXPECT_EQ(Text(MainControl::kReceiptFrame), "Receipt for sending to: Temporary number");
  EXPECT_THAT(LogResults(), ElementsAre("Account don\xB4t exist"));
}

TEST_F(GatewaySendScenarioTest, EveryGatewayStatusIsAnAnswerWithItsReceipt) {
  for (auto [status, receipt] :
       {std::pair{301, "Unknown status"},
        std::pair{212,
                  "The phone is unreachable or switched off - message will be delivered later"}}) {
    gateway_.SetDefaultAnswer(GatewayAnswer::Status(status));
    Send("Hello");
    EXPECT_EQ(Text(MainControl::kReceiptLine), receipt);
  }
  EXPECT_EQ(dialogs.beeps(), 2);
  EXPECT_EQ(Log().size(), 2u);
}

TEST_F(GatewaySendScenarioTest, NoAnswerGivesUpAfterTheFortyFirstTick) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Silent());
  Send("Hello");
  EXPECT_EQ(Text(MainControl::kReceiptLine), "The operator didn\xB4t send a receipt.");
  EXPECT_EQ(loop_.Elapsed(), milliseconds(2000 + 41 * 2000));
  EXPECT_EQ(client_.CancelCount(), 1);
  EXPECT_FALSE(client_.StillExecuting());
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  EXPECT_THAT(LogResults(), ElementsAre("The operator didn\xB4t send a receipt."));
}

TEST_F(GatewaySendScenarioTest, ConnectionFailureShowsTheErrorAndEndsTheSend) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Close(300));
  Send("Hello");
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Error: 2:Connection closed by the gateway");
  EXPECT_EQ(dialogs.beeps(), 0);
  EXPECT_FALSE(window_.State().sending);
  EXPECT_THAT(LogResults(), ElementsAre("Error: 2:Connection closed by the gateway"));
}

TEST_F(GatewaySendScenarioTest, CancelDuringThePauseSendsNothing) {
  CancelAt(milliseconds(1000));
  Send("Hello");
  loop_.RunFor(milliseconds(10000));
  EXPECT_THAT(gateway_.Requests(), IsEmpty());
  EXPECT_EQ(Text(MainControl::kStatusLine), "");
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  EXPECT_THAT(LogResults(), ElementsAre(kLogCancelledResult));
}

TEST_F(GatewaySendScenarioTest, CancelWhileWaitingForTheAnswerEndsTheSendOnce) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Status(200, 20000));
  CancelAt(milliseconds(5000));
  Send("Hello");
  loop_.RunFor(milliseconds(60000));
  EXPECT_EQ(client_.CancelCount(), 1);
  EXPECT_EQ(dialogs.beeps(), 0);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  EXPECT_THAT(LogResults(), ElementsAre(kLogCancelledResult));
}

TEST_F(GatewaySendScenarioTest, DoubleMessageGoesAs160Then40AndTheBoxGetsItsTextBack) {
  std::string text = std::string(150, 'a') + std::string(20, 'b') + std::string(30, 'c');
  Send(text, true);

  ASSERT_EQ(gateway_.Requests().size(), 2u);
  EXPECT_EQ(gateway_.Requests()[0].Field("message"), text.substr(0, 160));
  EXPECT_EQ(gateway_.Requests()[0].Field("followingMessages"), "1");
  EXPECT_EQ(gateway_.Requests()[1].Field("message"), text.substr(160));
  EXPECT_EQ(gateway_.Requests()[1].Field("followingMessages"), "0");
  EXPECT_THAT(history_.message.Texts(),
              ElementsAre("", text, text.substr(0, 160), text.substr(160), text));
  // Both parts had their pause.
  EXPECT_EQ(loop_.Elapsed(), milliseconds(4000));
  EXPECT_EQ(Text(MainControl::kReceiptLine), kDelivered);
  EXPECT_FALSE(window_.State().sending);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  // The whole text is back, and so is its count.
  EXPECT_EQ(Text(MainControl::kStatusLine), "200 character in message (Max 320).");

  // One log record per part, each with its own text.
  std::vector<LogRecord> log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].message, text.substr(0, 160));
  EXPECT_EQ(log[1].message, text.substr(160));
}

TEST_F(GatewaySendScenarioTest, ATemporaryNumberWithoutDigitsIsRefusedAndNothingIsPosted) {
  window_.OnNumberEdited(" +-- ");
  Send("Hello");
  EXPECT_EQ(Text(MainControl::kReceiptLine), "No recipient!");
  EXPECT_THAT(gateway_.Requests(), IsEmpty());
  EXPECT_FALSE(window_.State().accepted);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  EXPECT_FALSE(window_.Control(MainControl::kCancel).enabled);
  EXPECT_THAT(Log(), IsEmpty());
}

TEST_F(GatewaySendScenarioTest, CancelDuringTheFirstPartNeverSendsTheSecond) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Status(200, 10000));
  CancelAt(milliseconds(5000));
  std::string text(200, 'x');
  Send(text, true);
  loop_.RunFor(milliseconds(60000));

  EXPECT_EQ(gateway_.Requests().size(), 1u);
  EXPECT_EQ(client_.CancelCount(), 1);
  EXPECT_EQ(window_.MessageText(), text);
  EXPECT_EQ(dialogs.beeps(), 0);
  EXPECT_FALSE(window_.State().keep_line);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  EXPECT_FALSE(window_.Control(MainControl::kCancel).enabled);
  EXPECT_THAT(LogResults(), ElementsAre(kLogCancelledResult));
}

TEST_F(GatewaySendScenarioTest, FailedFirstPartSendsNothingMore) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Close());
  std::string text(200, 'x');
  Send(text, true);
  EXPECT_EQ(gateway_.Requests().size(), 1u);
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Error: 2:Connection closed by the gateway");
  EXPECT_EQ(window_.MessageText(), text);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
}

TEST_F(GatewaySendScenarioTest, ProxySettingsReachTheClientAndTheProxySeesTheWholeAddress) {
  settings.TCPProxy = 1;
  settings.TCPProxyAdress = "proxy.lan";
  settings.TCPProxyPort = "3128";
  settings.TCPGateway = "http://gateway.example/";
  window_.Gateway().ConfigureClient();
  EXPECT_EQ(client_.AccessType(), HttpClient::kNamedProxy);
  EXPECT_EQ(client_.ProxyHost(), "proxy.lan");
  EXPECT_EQ(client_.ProxyPort(), 3128);
  Send("Hello");
  EXPECT_EQ(LastRequest().http.target, std::string("http://gateway.example") + kPath);

  // A port that is no number reaches the client as 0, which fails the request.
  for (auto [port, number] : {std::pair{" 8080 ", 8080}, std::pair{"80a", 0}}) {
    settings.TCPProxyPort = port;
    window_.Gateway().ConfigureClient();
    EXPECT_EQ(client_.ProxyPort(), number) << port;
  }
  settings.TCPProxy = 0;
  window_.Gateway().ConfigureClient();
  EXPECT_EQ(client_.AccessType(), HttpClient::kDirect);
}

}  // namespace
}  // namespace tolvane
