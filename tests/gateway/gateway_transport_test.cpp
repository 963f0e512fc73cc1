#include "gateway/gateway_transport.h"

#include <gtest/gtest.h>

#include "gateway/kolla_header.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/fake_send_context.h"

namespace tolvane {
namespace {

using sim::GatewayAnswer;
using std::chrono::milliseconds;

constexpr char kNumber[] = "4670123456";
constexpr char kPath[] = "/servlet/norvoServlet/standardAccount/sendSingleSMS";

class GatewayTransportTest : public ::testing::Test {
 protected:
  GatewayTransportTest() {
    context_.settings.AccessTyp = "TCP";
    context_.settings.TCPAnvNamn = "konto";
    context_.settings.GatewayPassword = "hemligt";
    context_.settings.TCPGateway = "http://gateway.example";
  }

  // The main window's single send: post, wait, and the closing step unless
  // the exchange ended itself.
  void SendSingle(const std::string& text, const std::string& number = kNumber) {
    context_.BeginSend(text, number, "Anna");
    transport_.SandSingelTCP();
    SendState& state = context_.state;
    WaitUntil(loop_, [&] { return state.ended || state.cancelled || state.finished; });
    if (state.cancelled || state.finished) {
      transport_.CancelRequest();
      context_.EndSend();
    }
  }

  void SendDouble(const std::string& text) {
    context_.BeginSend(text, kNumber, "Anna");
    transport_.SandDubbelTCP();
  }

  // The main window's Cancel button, pressed `at` from now.
  void CancelAt(milliseconds at) {
    loop_.After(at, [this] {
      context_.state.cancelled = true;
      transport_.CancelRequest();
      context_.EndSend();
    });
  }

  const sim::GatewayRequest& LastRequest() const { return gateway_.Requests().back(); }

  sim::SimEventLoop loop_;
  testing::FakeSendContext context_{loop_};
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop_, gateway_};
  GatewayTransport transport_{context_, client_};
};

TEST_F(GatewayTransportTest, SingleMessageWithReceiptsPausesThenPostsTheFormInOrder) {
  SendSingle("Hello");

  ASSERT_EQ(gateway_.Requests().size(), 1u);
  const sim::HttpRequest& http = LastRequest().http;
  EXPECT_EQ(http.method, "POST");
  EXPECT_EQ(http.target, kPath);
  EXPECT_EQ(http.Header("Content-type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(http.body,
            "protocolVersion=1.0&accountName=konto&accountPassword=hemligt"
            "&toPhoneNumber=4670123456&message=Hello&followingMessages=0&timeoutMS=40000");
  // The 2-second pause comes before the post; the gateway answers at once.
  EXPECT_EQ(loop_.Elapsed(), milliseconds(2000));
  EXPECT_EQ(context_.receipt_line, "Message delivered to recipients phone");
  EXPECT_EQ(context_.receipt_caption, "Receipt for sending to: Anna");
  EXPECT_EQ(context_.status_history,
            (std::vector<std::string>{"Connecting...", "Waiting for receipt...", ""}));
  EXPECT_EQ(context_.beeps, 1);
  EXPECT_FALSE(context_.ReceiptTimerRunning());
  ASSERT_EQ(context_.log.size(), 1u);
  EXPECT_EQ(context_.log[0].result, "Message delivered to recipients phone");
}

TEST_F(GatewayTransportTest, WithoutReceiptsThereIsNoPauseAndTheTimeoutIsShort) {
  context_.settings.EjKvitto = "1";
  SendSingle("Hello");
  EXPECT_EQ(loop_.Elapsed(), milliseconds(0));
  EXPECT_TRUE(LastRequest().http.body.ends_with("&followingMessages=0&timeoutMS=2000"));
  EXPECT_EQ(context_.receipt_caption, "Receipt for sending to: Anna");
}

TEST_F(GatewayTransportTest, MessageTextIsEscapedSoThatItArrivesAsTyped) {
  SendSingle("50% off & more");
  EXPECT_NE(LastRequest().http.body.find("&message=50/+off+%26+more&"), std::string::npos);
  EXPECT_EQ(LastRequest().Field("message"), "50/ off & more");

  SendSingle("Line one\r\nLine two");
  EXPECT_NE(LastRequest().http.body.find("&message=Line+one%0D%0ALine+two&"), std::string::npos);

  // A bare "+" would reach the recipient as a space.
  SendSingle("C++ 1+1=2 #?");
  EXPECT_EQ(LastRequest().Field("message"), "C++ 1+1=2 #?");

  SendSingle("K\xF6p \xE4pplen");
  EXPECT_EQ(LastRequest().Field("message"), "K\xF6p \xE4pplen");
}

TEST_F(GatewayTransportTest, AccountNameAndPasswordArriveWhole) {
  context_.settings.TCPAnvNamn = "Kalle Anka+1";
  context_.settings.GatewayPassword = "a&b=c%d";
  SendSingle("Hello");
  const sim::GatewayRequest& request = LastRequest();
  EXPECT_EQ(request.Field("accountName"), "Kalle Anka+1");
  EXPECT_EQ(request.Field("accountPassword"), "a&b=c%d");
  EXPECT_EQ(request.Field("toPhoneNumber"), kNumber);
  EXPECT_EQ(request.fields.size(), 7u);
}

TEST_F(GatewayTransportTest, GatewayStatusBecomesTheReceipt) {
  gateway_.SetAnswer("1", GatewayAnswer::Status(433, 500));
  gateway_.SetAnswer("2", GatewayAnswer::Status(301));
  gateway_.SetAnswer("3", GatewayAnswer::Status(212));

  SendSingle("Hello", "1");
  EXPECT_EQ(context_.receipt_line, "Account don\xB4t exist");
  SendSingle("Hello", "2");
  EXPECT_EQ(context_.receipt_line, "Unknown status");
  SendSingle("Hello", "3");
  EXPECT_EQ(context_.receipt_line,
            "The phone is unreachable or switched off - message will be delivered later");
  EXPECT_EQ(context_.beeps, 3);
  EXPECT_EQ(context_.log.size(), 3u);
}

TEST(KollaHeaderTest, FirstCodeOfTheTableFoundAnywhereWins) {
  EXPECT_EQ(KollaHeader("HTTP/1.1 560 Gateway"), "Unknown error");
  EXPECT_EQ(KollaHeader("HTTP/1.1 452 Gateway"), "Phone don\xB4t support SMS");
  // A substring test, in table order, not a parse of the code.
  EXPECT_EQ(KollaHeader("HTTP/1.1 434 code 200"), "Message delivered to recipients phone");
  EXPECT_EQ(KollaHeader(""), "Unknown status");
}

TEST(KollaHeaderTest, OnlyTheTwoHundredsMeanTheGatewayTookTheMessage) {
  EXPECT_TRUE(GatewayAccepted("HTTP/1.1 200 OK"));
  EXPECT_TRUE(GatewayAccepted("HTTP/1.1 213 Unknown"));
  EXPECT_FALSE(GatewayAccepted("HTTP/1.1 433 No account"));
  EXPECT_FALSE(GatewayAccepted("HTTP/1.1 301 Moved"));
}

TEST_F(GatewayTransportTest, HttpErrorShowsTheClientsErrorAndEndsTheSend) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Close(1000));
  SendSingle("Hello");
  EXPECT_EQ(context_.receipt_line, "Error: 2:Connection closed by the gateway");
  EXPECT_TRUE(context_.state.finished);
  EXPECT_FALSE(context_.state.sending);
  EXPECT_EQ(context_.beeps, 0);
  ASSERT_EQ(context_.log.size(), 1u);
  EXPECT_EQ(context_.log[0].result, "Error: 2:Connection closed by the gateway");
}

TEST_F(GatewayTransportTest, NoAnswerTimesOutAfterTheFortyFirstTick) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Silent());
  SendSingle("Hello");
  EXPECT_EQ(context_.receipt_line, "The operator didn\xB4t send a receipt.");
  EXPECT_EQ(loop_.Elapsed(), milliseconds(2000 + 41 * 2000));
  EXPECT_EQ(client_.CancelCount(), 1);
  EXPECT_FALSE(client_.StillExecuting());
  EXPECT_FALSE(context_.ReceiptTimerRunning());
}

TEST_F(GatewayTransportTest, CancelDuringThePauseSendsNothing) {
  CancelAt(milliseconds(1000));
  SendSingle("Hello");
  EXPECT_TRUE(gateway_.Requests().empty());
  EXPECT_EQ(context_.status_line, "");
  EXPECT_FALSE(context_.ReceiptTimerRunning());
}

TEST_F(GatewayTransportTest, TwoPartMessageGoesAs160Then40AndTheBoxGetsTheWholeTextBack) {
  std::string text = std::string(150, 'a') + std::string(20, 'b') + std::string(30, 'c');
  SendDouble(text);

  ASSERT_EQ(gateway_.Requests().size(), 2u);
  EXPECT_EQ(gateway_.Requests()[0].Field("message"), text.substr(0, 160));
  EXPECT_EQ(gateway_.Requests()[0].Field("followingMessages"), "1");
  EXPECT_EQ(gateway_.Requests()[1].Field("message"), text.substr(160));
  EXPECT_EQ(gateway_.Requests()[1].Field("followingMessages"), "0");
  EXPECT_EQ(context_.message_box_history,
            (std::vector<std::string>{text.substr(0, 160), text.substr(160), text}));
  EXPECT_FALSE(context_.state.keep_line);
  EXPECT_FALSE(context_.state.sending);
  // One log record per part, each with its own text.
  ASSERT_EQ(context_.log.size(), 2u);
  EXPECT_EQ(context_.log[0].message, text.substr(0, 160));
  EXPECT_EQ(context_.log[1].message, text.substr(160));
  // Both parts had their pause: 2 s each.
  EXPECT_EQ(loop_.Elapsed(), milliseconds(4000));
}

TEST_F(GatewayTransportTest, CancelDuringTheFirstPartSendsNothingMore) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Status(200, 10000));
  CancelAt(milliseconds(5000));
  std::string text(200, 'x');
  SendDouble(text);

  loop_.RunFor(milliseconds(60000));
  EXPECT_EQ(gateway_.Requests().size(), 1u);
  EXPECT_EQ(client_.CancelCount(), 1);
  EXPECT_EQ(context_.message_box, text);
  EXPECT_FALSE(context_.state.keep_line);
  EXPECT_FALSE(context_.state.sending);
  EXPECT_EQ(context_.beeps, 0);
}

TEST_F(GatewayTransportTest, FailedFirstPartSendsNothingMore) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Close());
  std::string text(200, 'x');
  SendDouble(text);
  EXPECT_EQ(gateway_.Requests().size(), 1u);
  EXPECT_EQ(context_.receipt_line, "Error: 2:Connection closed by the gateway");
  EXPECT_EQ(context_.message_box, text);
  EXPECT_FALSE(context_.state.sending);
}

TEST_F(GatewayTransportTest, ClientConfigurationFollowsTheProxySettings) {
  context_.settings.TCPProxy = 1;
  context_.settings.TCPProxyAdress = "proxy.lan";
  context_.settings.TCPProxyPort = "3128";
  transport_.ConfigureClient();
  EXPECT_EQ(client_.AccessType(), HttpClient::kNamedProxy);
  EXPECT_EQ(client_.ProxyHost(), "proxy.lan");
  EXPECT_EQ(client_.ProxyPort(), 3128);

  // The proxy sees the whole address.
  context_.settings.TCPGateway = "http://gateway.example/";
  SendSingle("Hello");
  EXPECT_EQ(LastRequest().http.target, std::string("http://gateway.example") + kPath);

  context_.settings.TCPProxyPort = " 8080 ";
  transport_.ConfigureClient();
  EXPECT_EQ(client_.ProxyPort(), 8080);

  context_.settings.TCPProxyPort = "80a";
  transport_.ConfigureClient();
  EXPECT_EQ(client_.ProxyPort(), 0);

  context_.settings.TCPProxy = 0;
  transport_.ConfigureClient();
  EXPECT_EQ(client_.AccessType(), HttpClient::kDirect);
}

}  // namespace
}  // namespace tolvane
