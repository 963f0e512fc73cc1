#include "sim/sim_gateway.h"

#include <gtest/gtest.h>

namespace tolvane::sim {
namespace {

TEST(HttpRequestParserTest, CollectsARequestArrivingInPieces) {
  HttpRequestParser parser;
  parser.Feed("POST http://gw.example:8080/a/b?x=1 HTTP/1.1\r\nHost: gw\r\nContent-Le");
  parser.Feed("ngth: 7\r\n\r\nabc");
  EXPECT_FALSE(parser.Complete());
  parser.Feed("defg");
  ASSERT_TRUE(parser.Complete());
  const HttpRequest& request = parser.Request();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.Path(), "/a/b");
  EXPECT_EQ(request.Query(), "x=1");
  EXPECT_EQ(request.Header("content-length"), "7");
  EXPECT_EQ(request.body, "abcdefg");

  HttpRequestParser broken;
  broken.Feed("nonsense\r\n\r\n");
  EXPECT_TRUE(broken.Failed());
}

TEST(SimGatewayTest, DecodesTheFormAndAnswersPerNumber) {
  EXPECT_EQ(DecodeForm("a=1+2%2B3&&b=%26%3d&c&d=100%"),
            (FormFields{{"a", "1 2+3"}, {"b", "&="}, {"c", ""}, {"d", "100%"}}));

  SimGateway gateway;
  gateway.SetAnswer("46701", GatewayAnswer::Status(433, 250));
  HttpRequest request;
  request.method = "POST";
  request.target = "/any";
  request.body = "toPhoneNumber=46701&message=hi";
  GatewayReply reply = gateway.Handle(request);
  EXPECT_EQ(reply.status, 433);
  EXPECT_EQ(reply.delay_ms, 250);
  EXPECT_EQ(reply.body, "POST /any\ntoPhoneNumber=46701\nmessage=hi\n");
  EXPECT_TRUE(reply.Wire().starts_with("HTTP/1.1 433 Gateway Status\r\n"));

  request.body = "toPhoneNumber=46702";
  EXPECT_EQ(gateway.Handle(request).status, 200);
  ASSERT_EQ(gateway.Requests().size(), 2u);
  EXPECT_EQ(gateway.Requests()[0].Field("message"), "hi");
}

TEST(SimGatewayTest, TheAccountAnswersTheBalanceQuestionsAndPaysForMessages) {
  SimGateway gateway;
  gateway.SetAccount({100, 3});
  HttpRequest question;
  question.method = "GET";
  question.target = "/servlet/norvoServlet/standardAccount/messageBalance?accountName=a";
  EXPECT_EQ(gateway.Handle(question).body, "3\r\n");
  question.target = "/servlet/norvoServlet/standardAccount/maxCredit?accountName=a";
  EXPECT_EQ(gateway.Handle(question).body, "100\r\n");

  HttpRequest send;
  send.method = "POST";
  send.target = "/servlet/norvoServlet/standardAccount/sendSingleSMS";
  send.body = "toPhoneNumber=46701";
  gateway.Handle(send);
  gateway.SetAnswer("46701", GatewayAnswer::Status(450));
  gateway.Handle(send);
  EXPECT_EQ(gateway.Account().balance, 2);
}

}  // namespace
}  // namespace tolvane::sim
