// The webhook's events from what happens over the simulated SMPP provider: a
// message received, a send accepted and then delivered, a send refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "api/webhook_sender.h"
#include "api/webhook_signature.h"
#include "core/listen_keeper.h"
#include "core/secret_store.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_settings.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using std::chrono::seconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class WebhookEventsScenario : public WindowScenario {
 protected:
  WebhookEventsScenario() {
    settings.AccessTyp = "SMPP";
    settings.Avs = "Tolvane";
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
    EXPECT_TRUE(secrets_.WriteSecret(kSmppSecret, "secret"));
    EXPECT_TRUE(secrets_.WriteSecret(kWebhookSecret, "geheim"));
    smpp_connection = &tcp_;
    Open(serial, http, &store_);
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
    server_.SetDefaultAnswer(sim::GatewayAnswer::Status(200));
    sender_ = std::make_unique<WebhookSender>(
        WebhookServices{loop, client_, store_,
                        [this] { return secrets_.ReadSecret(kWebhookSecret); }, nullptr,
                        [this](const std::string& line) { log_.push_back(line); }},
        "http://127.0.0.1:8080/events");
    receiving->Messages().AddListener(sender_.get());
    sender_->Start();
    keeper_.Keep(&window->ActiveTransport());
  }
  ~WebhookEventsScenario() override {
    keeper_.Keep(nullptr);
    sender_.reset();
    receiving.reset();
    window.reset();
  }

  // Each event: its type, recipient and message, once its signature checked.
  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    for (const sim::GatewayRequest& request : server_.Requests()) {
      const std::string signature = request.http.Header("Tolvane-Signature");
      EXPECT_EQ(signature,
                WebhookSignature("geheim", std::stoll(signature.substr(2)), request.http.body));
      const nlohmann::json event = nlohmann::json::parse(request.http.body);
      events.push_back(event["type"].get<std::string>() + " " +
                       event.value("recipient", std::string("-")) + " " +
                       event["data"]["id"].get<std::string>());
    }
    return events;
  }

  SecretStore secrets_{settings.ProgramFolder};
  MessageStore store_{book.Folder() + "messages.db"};
  sim::SimSmppProvider provider_{Schedule(loop)};
  sim::SimTcpConnection tcp_{loop, provider_};
  sim::SimGateway server_;
  sim::SimHttpClient client_{loop, server_};
  std::vector<std::string> log_;
  std::unique_ptr<WebhookSender> sender_;
  ListenKeeper keeper_{loop, [](const std::string&) {}, [this] { return window->State().sending; }};
};

TEST_F(WebhookEventsScenario, ReceivedAcceptedDeliveredAndRefusedMessagesAreTold) {
  std::string refusal;
  ASSERT_TRUE(provider_.Deliver({"+46701234567", "Hej"}, refusal)) << refusal;
  loop.RunFor(seconds(1));
  EXPECT_THAT(Events(), ElementsAre("message.received - in-1"));

  Send("Hej");
  EXPECT_EQ(Receipt(), "Message delivered.");
  provider_.Options().submit_statuses = {0x0B};
  Send("Igen");
  loop.RunFor(seconds(1));
  EXPECT_THAT(
      Events(),
      ElementsAre("message.received - in-1", "message.accepted +46701234567 out-1",
                  "message.delivered +46701234567 out-1", "message.failed +46701234567 out-2"));
  EXPECT_THAT(log_, IsEmpty());
}

}  // namespace
}  // namespace tolvane::testing
