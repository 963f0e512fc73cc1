// The webhook's events on virtual time against the simulated HTTP server.
#include "api/webhook_sender.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "api/webhook_signature.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/temp_dir.h"

namespace tolvane::testing {
namespace {

using sim::GatewayAnswer;
using std::chrono::hours;
using std::chrono::seconds;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

TEST(WebhookSignatureTest, HmacSha256KeepsTheVectorsOfRfc4231) {
  const struct {
    std::string key, data, mac;
  } kCases[] = {
      {"Jefe", "what do ya want for nothing?",
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      // A key longer than the hash's block is hashed first.
      {std::string(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
  };
  for (const auto& c : kCases) EXPECT_EQ(HmacSha256Hex(c.key, c.data), c.mac) << c.data;
  EXPECT_EQ(WebhookSignature("Jefe", 1796551200, "{}"),
            "t=1796551200,v1=" + HmacSha256Hex("Jefe", "1796551200.{}"));
}

// A sender on virtual time whose server answers 500 until told otherwise.
struct WebhookRig {
  WebhookRig() { server.SetDefaultAnswer(GatewayAnswer::Status(500)); }

  // A sender over the store on the file, as a program starts one.
  void Begin() {
    store = std::make_unique<MessageStore>(dir.FilePath("messages.db"));
    sender = std::make_unique<WebhookSender>(
        WebhookServices{loop, client, *store, [this] { return key; },
                        [](const std::string& id) -> std::optional<nlohmann::json> {
                          return nlohmann::json{{"id", id}, {"text", "Hej"}};
                        },
                        [this](const std::string& line) { log.push_back(line); }},
        "http://127.0.0.1:8642/hook");
    sender->Start();
  }
  void End() {
    sender.reset();
    store.reset();
  }
  ~WebhookRig() { End(); }
  void Received(std::int64_t id) {
    StoredMessage message;
    message.id = id;
    sender->Arrived(message);
  }
  void Changed(std::int64_t run, MessageState to) {
    sender->MessageStateChanged({.message = run * 10,
                                 .run = run,
                                 .number = "+46701234567",
                                 .from = MessageState::kWriting,
                                 .to = to});
  }
  nlohmann::json Body(size_t i) const {
    return nlohmann::json::parse(server.Requests().at(i).http.body);
  }
  // The seconds from the loop's start at which each request was signed.
  std::vector<long long> Times() const {
    const long long start = Clock::to_time_t(sim::SimEventLoop::DefaultStart());
    std::vector<long long> times;
    for (const sim::GatewayRequest& request : server.Requests()) {
      times.push_back(std::stoll(request.http.Header("Tolvane-Signature").substr(2)) - start);
    }
    return times;
  }
  // The event of each request.
  std::vector<std::string> Ids() const {
    std::vector<std::string> ids;
    for (size_t i = 0; i < server.Requests().size(); ++i) ids.push_back(Body(i)["id"]);
    return ids;
  }

  TempDir dir;
  sim::SimEventLoop loop;
  sim::SimGateway server;
  sim::SimHttpClient client{loop, server};
  std::string key = "geheim";
  std::vector<std::string> log;
  std::unique_ptr<MessageStore> store;
  std::unique_ptr<WebhookSender> sender;
};

class WebhookTest : public ::testing::Test, protected WebhookRig {};

TEST_F(WebhookTest, EachEventIsPostedAsSignedJsonWithTheMessage) {
  server.SetDefaultAnswer(GatewayAnswer::Status(204));
  Begin();
  Received(5);
  // Writing and unknown make no event; refused, failed and expired fail.
  for (MessageState state :
       {MessageState::kWriting, MessageState::kAccepted, MessageState::kUnknown,
        MessageState::kDelivered, MessageState::kRefused, MessageState::kFailed,
        MessageState::kExpired}) {
    Changed(17, state);
  }
  loop.RunFor(seconds(1));
  std::vector<std::string> events;
  for (size_t i = 0; i < server.Requests().size(); ++i) {
    const sim::HttpRequest& request = server.Requests()[i].http;
    EXPECT_EQ(request.Header("Tolvane-Signature"), WebhookSignature(key, 1796551200, request.body));
    EXPECT_EQ(Body(i)["created"], "2026-12-06T10:00:00Z");
    events.push_back(Body(i)["type"].get<std::string>() + " " + Body(i)["id"].get<std::string>());
  }
  EXPECT_THAT(events, ElementsAre("message.received evt-1", "message.accepted evt-2",
                                  "message.delivered evt-3", "message.failed evt-4",
                                  "message.failed evt-5", "message.failed evt-6"));
  EXPECT_EQ(Body(0)["data"], (nlohmann::json{{"id", "in-5"}, {"text", "Hej"}}));
  EXPECT_EQ(Body(1)["data"]["id"], "out-17");  // the run's, not the message's
}

TEST_F(WebhookTest, AnEventIsTriedAgainOnItsScheduleAndDroppedAfter24Hours) {
  Begin();
  Received(1);
  Received(1);  // the same message's next event waits for the first
  loop.RunFor(hours(25));
  std::vector<long long> first = {0, 10, 40, 100, 220, 520, 1120, 2320};
  for (long long t = 2320 + 3600; t <= 24 * 3600; t += 3600) first.push_back(t);
  ASSERT_EQ(first.size(), 31u);
  const std::vector<long long> times = Times();
  const std::vector<std::string> ids = Ids();
  ASSERT_GT(times.size(), 31u);
  EXPECT_THAT(std::vector<long long>(times.begin(), times.begin() + 31), ElementsAreArray(first));
  EXPECT_EQ(ids[30], "evt-1");
  EXPECT_EQ(ids[31], "evt-2");
  EXPECT_EQ(times[31], 85120);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0],
            "Webhook: the message.received event evt-1 of in-1 dropped after 31 attempts in "
            "24 hours, the last: HTTP 500");
  EXPECT_EQ(store->NextWebhookEvent(), std::nullopt);
}

TEST_F(WebhookTest, OnlyA2xxAnswerWithin10SecondsEndsAnEvent) {
  const struct {
    GatewayAnswer answer;
    std::vector<long long> times;
  } kCases[] = {
      {GatewayAnswer::Status(200, 9999), {0}},   {GatewayAnswer::Status(299), {0}},
      {GatewayAnswer::Status(302), {0, 10, 40}}, {GatewayAnswer::Status(200, 10001), {0, 20, 60}},
      {GatewayAnswer::Silent(), {0, 20, 60}},    {GatewayAnswer::Close(), {0, 10, 40}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.answer.status);
    WebhookRig rig;
    rig.server.SetDefaultAnswer(c.answer);
    rig.Begin();
    rig.Received(1);
    rig.loop.RunFor(seconds(60));
    EXPECT_EQ(rig.Times(), c.times);
  }
}

TEST_F(WebhookTest, AMessageWaitsForItsOwnFailingEventButNotForAnothers) {
  Begin();
  Changed(1, MessageState::kAccepted);
  Changed(1, MessageState::kDelivered);
  Changed(2, MessageState::kAccepted);
  loop.After(seconds(5), [this] { server.SetDefaultAnswer(GatewayAnswer::Status(200)); });
  loop.RunFor(seconds(60));
  EXPECT_THAT(Ids(), ElementsAre("evt-1", "evt-3", "evt-1", "evt-2", "evt-3"));
  EXPECT_THAT(Times(), ElementsAre(0, 0, 10, 10, 10));
}

// What is pending goes on after a restart at its time; an event another run
// of the program left goes within a minute.
TEST_F(WebhookTest, WhatIsPendingOrLeftByAnotherRunGoesOnAtItsTime) {
  Begin();
  Received(1);
  loop.RunFor(seconds(15));
  End();
  server.SetDefaultAnswer(GatewayAnswer::Status(200));
  loop.RunFor(seconds(5));
  Begin();
  loop.RunFor(hours(1));
  End();
  Begin();
  loop.RunFor(seconds(30));
  WebhookEvent left{.type = "message.accepted", .message_id = "out-3", .created = loop.Now()};
  left.next_attempt = left.created;
  MessageStore(dir.FilePath("messages.db")).AddWebhookEvent(left);
  loop.RunFor(hours(1));
  EXPECT_THAT(Times(), ElementsAre(0, 10, 40, 3620 + 60));
}

TEST_F(WebhookTest, WithoutASecretEventsWaitAndSayWhy) {
  key.clear();
  server.SetDefaultAnswer(GatewayAnswer::Status(200));
  Begin();
  Received(1);
  Received(2);
  loop.RunFor(seconds(5));
  key = "geheim";
  loop.RunFor(seconds(60));
  EXPECT_THAT(Times(), ElementsAre(10, 10));
  EXPECT_THAT(log, ElementsAre("Webhook: events wait for the secret \"webhook\" "
                               "(tolvane --store-secret webhook)"));
}

}  // namespace
}  // namespace tolvane::testing
