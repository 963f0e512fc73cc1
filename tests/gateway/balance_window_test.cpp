// The account-balance window against the simulated gateway.
#include "gateway/balance_window.h"

#include <gtest/gtest.h>

#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"

namespace tolvane {
namespace {

using sim::GatewayAnswer;
using std::chrono::milliseconds;

constexpr char kPath[] = "/servlet/norvoServlet/standardAccount/";

class BalanceWindowTest : public ::testing::Test {
 protected:
  std::string Ask(const BalanceQuery& query = {"http://sms.example.net/", " konto ", "p&w=1"}) {
    BalanceWindow window(client_, settings_, query);
    window.Load([&] { progress_.push_back(window.ResultText()); });
    return window.ResultText();
  }

  sim::SimEventLoop loop_;
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop_, gateway_};
  ProgramSettings settings_;
  std::vector<std::string> progress_;
};

TEST_F(BalanceWindowTest, AsksForCreditThenBalanceWithTheTypedAccount) {
  gateway_.SetAccount({0, 25});
  EXPECT_EQ(Ask(), "You have 25 messages left to send.");
  EXPECT_EQ(progress_, std::vector<std::string>{"Kollar saldot..."});

  ASSERT_EQ(gateway_.Requests().size(), 2u);
  const sim::GatewayRequest& credit = gateway_.Requests()[0];
  EXPECT_EQ(credit.http.method, "GET");
  EXPECT_EQ(credit.http.target,
            std::string(kPath) +
                "maxCredit?protocolVersion=1.0.1&accountName=konto&accountPassword=p%26w%3D1");
  // Name and password arrive as typed, without the blanks around them.
  EXPECT_EQ(credit.fields.size(), 3u);
  EXPECT_EQ(credit.Field("accountName"), "konto");
  EXPECT_EQ(credit.Field("accountPassword"), "p&w=1");
  EXPECT_EQ(gateway_.Requests()[1].http.Path(), std::string(kPath) + "messageBalance");
}

TEST_F(BalanceWindowTest, OneSentencePerCase) {
  gateway_.SetAccount({100, -12});
  EXPECT_EQ(Ask(), "You have sent 12 message this period.");
  gateway_.SetAccount({100, 0});
  EXPECT_EQ(Ask(), "You have sent 0 message this period.");
  gateway_.SetAccount({100, 7});
  EXPECT_EQ(Ask(), "You have 7 messages left to send.");
  gateway_.SetAccount({0, -4});
  EXPECT_EQ(Ask(), "You have -4 messages left to send.");
}

TEST_F(BalanceWindowTest, SilenceEndsAtTheTimeOutWithItsSentence) {
  gateway_.SetAnswerForPath("/maxCredit", GatewayAnswer::Silent());
  EXPECT_EQ(Ask(), "Remote host could not be found.");
  EXPECT_EQ(loop_.Elapsed(), milliseconds(BalanceWindow::kRequestTimeoutMs));
  EXPECT_EQ(gateway_.Requests().size(), 1u);

  // The credit comes; the balance does not.
  sim::SimGateway answering;
  answering.SetAnswerForPath("/messageBalance", GatewayAnswer::Silent());
  sim::SimHttpClient client(loop_, answering);
  BalanceWindow window(client, settings_, {"http://sms.example.net", "konto", "pw"});
  window.Load();
  EXPECT_EQ(window.ResultText(), "Could\xB4n!");
}

TEST_F(BalanceWindowTest, TheGatewaysOwnWordsAreShownAsTheyCame) {
  GatewayAnswer page = GatewayAnswer::Status(200);
  page.body = "<b>x</b>";
  gateway_.SetAnswerForPath("/maxCredit", page);
  EXPECT_EQ(Ask(), "<b>x</b>");

  page.body = "Account closed\r\n";
  sim::SimGateway other;
  other.SetAnswerForPath("/messageBalance", page);
  sim::SimHttpClient client(loop_, other);
  BalanceWindow window(client, settings_, {"http://sms.example.net", "konto", "pw"});
  window.Load();
  EXPECT_EQ(window.ResultText(), "Account closed\r\n");
}

TEST_F(BalanceWindowTest, TheProxyOfTheSettingsIsUsed) {
  settings_.TCPProxy = 1;
  settings_.TCPProxyAdress = "proxy.lan";
  settings_.TCPProxyPort = "3128";
  Ask();
  EXPECT_EQ(client_.AccessType(), HttpClient::kNamedProxy);
  EXPECT_EQ(client_.ProxyHost(), "proxy.lan");
  EXPECT_EQ(client_.ProxyPort(), 3128);
  EXPECT_EQ(gateway_.Requests()[0].http.target.rfind("http://sms.example.net/servlet/", 0), 0u);
}

}  // namespace
}  // namespace tolvane
