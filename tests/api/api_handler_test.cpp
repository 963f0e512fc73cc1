// The HTTP API's handler on the simulated loop, over the main window's SMPP
// transport against the simulated provider.
#include "api/api_handler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <nlohmann/json.hpp>

#include "api/message_resource.h"
#include "api/webhook_sender.h"
#include "core/listen_keeper.h"
#include "core/secret_store.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_settings.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using nlohmann::json;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char kToken[] = "s3cret-token";
constexpr char kAnna[] = "+46701234567";

class ApiHandlerTest : public WindowScenario {
 protected:
  ApiHandlerTest() {
    settings.AccessTyp = "SMPP";
    settings.Avs = "Tolvane";
    settings.MaxParts = 2;
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
    EXPECT_TRUE(SecretStore(settings.ProgramFolder).WriteSecret(kSmppSecret, "secret"));
    smpp_connection = &tcp_;
    Open(serial, http);
    window->ConfigureTransports();
    window->Messages().SetOwner("this");
    window->SetPhoneBookStore(&book.store());
    book.AddToGroup("Vänner", "Anna Ek", "070-123 45 67");
    book.AddToGroup("Vänner", "Bo Al", "+46 70 222 22 22");
    provider_.SetOnTaken([this](const sim::TakenPart& part) { taken_.push_back(part); });
    queue_ = std::make_unique<ApiRunQueue>(*window, dialogs);
    handler_ = std::make_unique<ApiHandler>(
        ApiServices{*window, *queue_, [this] { return receiving->State(); }}, kToken);
  }
  ~ApiHandlerTest() override {
    handler_.reset();
    queue_.reset();
    window.reset();
  }

  ApiResponse Call(const std::string& method, const std::string& target,
                   const std::string& body = "", ApiRequest request = {}) {
    request.method = method;
    request.target = target;
    request.body = body;
    if (!request.Header("Authorization")) {
      request.headers.emplace_back("Authorization", std::string("Bearer ") + kToken);
    }
    if (!request.Header("Content-Type")) {
      request.headers.emplace_back("Content-Type", "application/json; charset=utf-8");
    }
    return handler_->Handle(request);
  }
  json Post(const json& body, int status = 202) {
    const ApiResponse answer = Call("POST", "/v1/messages", body.dump());
    EXPECT_EQ(answer.status, status) << answer.body;
    return json::parse(answer.body);
  }
  json Get(const std::string& target) {
    const ApiResponse answer = Call("GET", target);
    EXPECT_EQ(answer.status, 200) << answer.body;
    return json::parse(answer.body);
  }

  sim::SimSmppProvider provider_{Schedule(loop)};
  sim::SimTcpConnection tcp_{loop, provider_};
  std::vector<sim::TakenPart> taken_;
  std::unique_ptr<ApiRunQueue> queue_;
  std::unique_ptr<ApiHandler> handler_;
};

TEST_F(ApiHandlerTest, APostIsQueuedBeforeItsAnswerAndFollowedToDelivered) {
  TypeMessage(*window, "Mine");
  const ApiResponse answer =
      Call("POST", "/v1/messages", R"({"group": "vänner", "text": "Hej {first}, på er!"})");
  ASSERT_EQ(answer.status, 202) << answer.body;
  EXPECT_EQ(answer.Header("Location"), "/v1/messages/out-1");
  const json queued = json::parse(answer.body);
  EXPECT_EQ(queued["state"], "queued");
  EXPECT_EQ(queued["encoding"], "GSM");
  EXPECT_EQ(queued["recipients"][0]["name"], "Anna Ek");
  EXPECT_EQ(queued["recipients"][1]["text"], "Hej Bo, på er!");
  EXPECT_EQ(queued["recipients"][0]["number"], "0701234567");
  EXPECT_TRUE(taken_.empty());

  // The run goes with its own text; the message box keeps the user's.
  loop.RunFor(std::chrono::seconds(30));
  EXPECT_EQ(Text(MainControl::kMessageBox), "Mine");
  const json sent = Get("/v1/messages/out-1");
  EXPECT_EQ(sent["state"], "ended");
  for (const json& recipient : sent["recipients"]) {
    EXPECT_EQ(recipient["state"], "delivered");
    EXPECT_EQ(recipient["parts"][0]["state"], "delivered");
    EXPECT_FALSE(recipient["parts"][0]["reference"].get<std::string>().empty());
  }
  ASSERT_EQ(taken_.size(), 2u);
  EXPECT_EQ(taken_[0].text, "Hej Anna, på er!");
  EXPECT_EQ(Get("/v1/status")["sent_today"], 2);
  EXPECT_EQ(Get("/v1/groups/V%C3%A4nner")["members"][1]["name"], "Bo Al");
  EXPECT_EQ(Get("/v1/groups")["groups"][0], json({{"name", "Vänner"}, {"members", 2}}));
}

TEST_F(ApiHandlerTest, EachRefusalAnswersItsStatusWithAProblemBody) {
  settings.api.MaxBody = 60;
  messages.SetOptedOut(kAnna, true, loop.Now());
  struct Case {
    std::string method, target, body;
    int status;
    std::string detail;
  };
  const Case cases[] = {
      {"POST", "/v1/messages", R"({"to": "0701)", 400, "Malformed JSON at line 1, column 13"},
      {"POST", "/v1/messages", R"({"to": "1", "text": "x", "cc": 1})", 400,
       "Unknown member \"cc\""},
      {"POST", "/v1/messages", R"({"to": "1", "group": "a", "text": "x"})", 400, "exactly one of"},
      {"POST", "/v1/messages", R"({"to": "1", "text": "x", "send_at": "2026-12-08T18:40"})", 400,
       "RFC 3339"},
      {"GET", "/v1/messages?limit=201", "", 400, "Bad parameter \"limit\""},
      {"GET", "/v1/messages/out-99", "", 404, "No message out-99"},
      {"DELETE", "/v1/messages/in-1", "", 404, "cannot be cancelled"},
      {"PUT", "/v1/status", "", 405, "answers GET"},
      {"POST", "/v1/messages", std::string(61, ' '), 413, "longer than 60 bytes"},
      {"POST", "/v1/messages", R"({"contact": "Nobody", "text": "x"})", 422,
       "Unknown contact \"Nobody\""},
      {"POST", "/v1/messages", R"({"to": "070-123 45 67", "text": "x"})", 422,
       "070-123 45 67 opted out"},
      {"POST", "/v1/messages", R"({"to": "a-b", "text": "x"})", 422, "Not a number: a-b"},
      {"POST", "/v1/messages", R"({"to": "1", "text": "x", "n": 1e999})", 400,
       "Malformed JSON: number overflow"},
      {"POST", "/v1/messages", R"({"to": "0701", "text": "Hej {nmae}"})", 422,
       "Unknown field {nmae}: use {name}, {first} or {number}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method + " " + c.target + " " + c.body);
    const ApiResponse answer = Call(c.method, c.target, c.body);
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.Header("Content-Type"), "application/problem+json");
    const json problem = json::parse(answer.body);
    EXPECT_EQ(problem["status"], c.status);
    EXPECT_EQ(problem["type"], "about:blank");
    EXPECT_THAT(problem["detail"].get<std::string>(), HasSubstr(c.detail));
  }
  // The largest body taken is MaxBody bytes; the health check needs no token.
  EXPECT_EQ(Call("POST", "/v1/messages",
                 R"({"to": "0709", "text": ")" + std::string(60 - 26, 'x') + "\"}")
                .status,
            202);
  ApiRequest no_token;
  no_token.headers.emplace_back("Authorization", "");
  EXPECT_EQ(Call("GET", "/v1/health", "", no_token).body, R"({"status":"ok"})");

  settings.api.MaxBody = kDefaultMaxBody;
  // Two parts are taken, three are not.
  Post({{"to", "0709"}, {"text", std::string(2 * 153, 'x')}});
  EXPECT_THAT(Post({{"to", "0709"}, {"text", std::string(2 * 153 + 1, 'x')}}, 422)["detail"],
              "Message too long: 3 parts, at most 2");
}

TEST_F(ApiHandlerTest, OverTodaysLimitIsRefusedUntilMidnightAndAStoreMissingIs503) {
  settings.PerDay = 3;
  // Queued ones count as well as sent ones; the last one that fits is taken.
  Post({{"to", {"0701", "0702"}}, {"text", "x"}});
  Post({{"to", "0703"}, {"text", "x"}});
  const ApiResponse refused = Call("POST", "/v1/messages", R"({"to": "0704", "text": "x"})");
  EXPECT_EQ(refused.status, 429);
  const std::time_t now = Clock::to_time_t(loop.Now());
  std::tm local{};
  localtime_r(&now, &local);
  const int to_midnight = 24 * 3600 - (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
  EXPECT_EQ(refused.Header("Retry-After"), std::to_string(to_midnight));

  window->Messages().Use(nullptr);
  EXPECT_EQ(Call("POST", "/v1/messages", R"({"to": "0704", "text": "x"})").status, 503);
}

TEST_F(ApiHandlerTest, TheSameKeyAnswersAgainWithoutSendingAndAnotherBodyIsAConflict) {
  ApiRequest keyed;
  keyed.headers.emplace_back("Idempotency-Key", "order-4711");
  const ApiResponse first =
      Call("POST", "/v1/messages", R"({"to": "0701234567", "text": "Hej"})", keyed);
  loop.RunFor(std::chrono::seconds(10));
  const ApiResponse again =
      Call("POST", "/v1/messages", R"({"text": "Hej",   "to": "0701234567"})", keyed);
  EXPECT_EQ(again.body, first.body);
  EXPECT_EQ(Call("POST", "/v1/messages", R"({"to": "0701234567", "text": "Hej!"})", keyed).status,
            409);
  loop.RunFor(std::chrono::seconds(10));
  EXPECT_EQ(taken_.size(), 1u);
  // A day later the key is free again.
  loop.RunFor(std::chrono::hours(24));
  EXPECT_EQ(Call("POST", "/v1/messages", R"({"to": "0701234567", "text": "Hej!"})", keyed).status,
            202);
}

TEST_F(ApiHandlerTest, ARunWaitsForItsTimeAndIsCancelledWhileItWaits) {
  const TimePoint at = loop.Now() + std::chrono::minutes(10);
  Post({{"to", kAnna}, {"text", "Later"}, {"send_at", Rfc3339(at)}});
  Post({{"to", "0709"}, {"text", "At ten"}, {"send_at", Rfc3339(at)}});
  const json cancelled = json::parse(Call("DELETE", "/v1/messages/out-1").body);
  EXPECT_EQ(cancelled["state"], "cancelled");
  EXPECT_EQ(Call("DELETE", "/v1/messages/out-1").status, 409);

  loop.RunFor(std::chrono::minutes(10) - std::chrono::milliseconds(1));
  EXPECT_TRUE(taken_.empty());
  loop.RunFor(std::chrono::seconds(10));
  ASSERT_EQ(taken_.size(), 1u);
  EXPECT_EQ(taken_[0].text, "At ten");
  // It goes at its time, once the provider has taken the login.
  EXPECT_GE(messages.Message(2)->sent, at);
  EXPECT_LT(messages.Message(2)->sent, at + std::chrono::milliseconds(100));
}

TEST_F(ApiHandlerTest, TheListPagesNewestFirstWithItsCursorAndFilters) {
  for (const char* number : {"0701234567", "0709", "0708"}) {
    Post({{"to", number}, {"text", "x"}});
    loop.RunFor(std::chrono::seconds(1));
  }
  StoredMessage reply{.incoming = true, .number_typed = kAnna, .number = kAnna, .text = "Ja"};
  reply.created = loop.Now();
  messages.AddReceived(reply);

  std::vector<std::string> ids;
  std::string target = "/v1/messages?limit=3";
  for (;;) {
    const json page = Get(target);
    for (const json& message : page["messages"]) ids.push_back(message["id"]);
    if (page["next_cursor"].is_null()) break;
    target = "/v1/messages?limit=3&cursor=" + page["next_cursor"].get<std::string>();
  }
  EXPECT_THAT(ids, ::testing::ElementsAre("in-4", "out-3", "out-2", "out-1"));
  EXPECT_EQ(Get("/v1/messages?direction=in")["messages"][0]["from"], kAnna);
  const json anna = Get("/v1/messages?peer=%2B46701234567&direction=out");
  ASSERT_EQ(anna["messages"].size(), 1u);
  EXPECT_EQ(anna["messages"][0]["id"], "out-1");
  EXPECT_EQ(Get("/v1/messages?since=" + Rfc3339(loop.Now()))["messages"].size(), 1u);
}

TEST_F(ApiHandlerTest, TheWebhookIsToldOfMessagesReceivedAcceptedDeliveredAndRefused) {
  sim::SimGateway server;
  sim::SimHttpClient client{loop, server};
  server.SetDefaultAnswer(sim::GatewayAnswer::Status(200));
  std::vector<std::string> log;
  WebhookSender sender(
      WebhookServices{loop, client, messages, [] { return std::string("geheim"); }, nullptr,
                      [&log](const std::string& line) { log.push_back(line); }},
      "http://127.0.0.1:8080/events");
  receiving->Messages().AddListener(&sender);
  sender.Start();
  ListenKeeper keeper{loop, [](const std::string&) {}, [this] { return window->State().sending; }};
  keeper.Keep(&window->ActiveTransport());

  std::string refusal;
  EXPECT_TRUE(provider_.Deliver({kAnna, "Hej"}, refusal)) << refusal;
  loop.RunFor(std::chrono::seconds(1));
  Post({{"to", kAnna}, {"text", "Hej"}});
  loop.RunFor(std::chrono::seconds(30));
  provider_.Options().submit_statuses = {0x0B};
  Post({{"to", kAnna}, {"text", "Igen"}});
  loop.RunFor(std::chrono::seconds(30));
  keeper.Keep(nullptr);
  receiving.reset();  // before the sender it tells

  // Each event: its type, recipient and message.
  std::vector<std::string> events;
  for (const sim::GatewayRequest& request : server.Requests()) {
    const json event = json::parse(request.http.body);
    events.push_back(event["type"].get<std::string>() + " " +
                     event.value("recipient", std::string("-")) + " " +
                     event["data"]["id"].get<std::string>());
  }
  EXPECT_THAT(events, ElementsAre("message.received - in-1", "message.accepted +46701234567 out-1",
                                  "message.delivered +46701234567 out-1",
                                  "message.failed +46701234567 out-2"));
  EXPECT_THAT(log, ::testing::IsEmpty());
}

}  // namespace
}  // namespace tolvane::testing
