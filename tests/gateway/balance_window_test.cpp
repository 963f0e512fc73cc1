// The account-balance window against the simulated gateway.
#include "gateway/balance_window.h"

#include <gtest/gtest.h>

#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"

namespace tolvane {
namespace {

using sim::GatewayAnswer;

constexpr char kPath[] = "/servlet/norvoServlet/standardAccount/";

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
            std::string("http://sms.example.net") + kPath +
                "maxCredit?protocolVersion=1.0.1&accountName=konto&accountPassword=p%26w%3D1");
  EXPECT_EQ(gateway_.Requests()[1].http.Path(), std::string(kPath) + "messageBalance");
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
  page.body = "Account closed\r\n";
  sim::SimGateway other;
  other.SetAnswerForPath("/messageBalance", page);
  EXPECT_EQ(Ask(&other), "Account closed\r\n");
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

}  // namespace
}  // namespace tolvane
