#ifndef TOLVANE_API_WEBHOOK_SENDER_H_
#define TOLVANE_API_WEBHOOK_SENDER_H_

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "inbox/inbox_listener.h"
#include "platform/event_loop.h"
#include "platform/http_client.h"
#include "store/message_state_listener.h"
#include "store/message_store.h"

namespace tolvane {

// The message as the API shows it, by its API id; nothing when it is gone.
using MessageResource = std::function<std::optional<nlohmann::json>(const std::string& id)>;

struct WebhookServices {
  EventLoop& loop;
  // A client of the webhook's own: one request at a time.
  HttpClient& http;
  MessageStore& store;
  // The signing key, read at each attempt; empty when none is stored.
  std::function<std::string()> key;
  MessageResource resource;
  // A line for the program's journal.
  std::function<void(const std::string&)> log;
};

// Tells the webhook at `url` of every message received and of every
// recipient's message accepted whole, delivered or failed. Each event is kept
// in the store first, then POSTed as JSON, signed, one request at a time and
// in order per message: a 2xx answer within 10 s ends it; otherwise it is
// tried again after 10 s, 30 s, 1, 2, 5, 10 and 20 min, then every hour, and
// dropped with a log line once the next try would come more than 24 h after
// the event. Events left pending by an earlier run go on at Start(), those
// another run of the program adds meanwhile within a minute.
class WebhookSender : public InboxListener, public MessageStateListener {
 public:
  static constexpr int kAnswerTimeoutMs = 10000;

  // Listens to the store's state changes until it goes; the owner adds it to
  // the inbox.
  WebhookSender(WebhookServices services, std::string url);
  ~WebhookSender() override;
  WebhookSender(const WebhookSender&) = delete;
  WebhookSender& operator=(const WebhookSender&) = delete;

  void Start() { WakeIn(0); }

  // InboxListener.
  void Arrived(const StoredMessage& message) override;
  // MessageStateListener.
  void MessageStateChanged(const MessageStateChange& change) override;

 private:
  void Add(const std::string& type, const std::string& message_id, const std::string& recipient);
  void WakeIn(long long milliseconds);
  // Sends the event due first, or waits for it.
  void SendNext();
  void Attempt();
  void Answered(int state);
  void Succeeded();
  void Failed(const std::string& reason);
  // Ends the attempt of the event in flight with its new state.
  void Settle();

  WebhookServices services_;
  std::string url_;
  std::unique_ptr<Timer> wake_;
  std::unique_ptr<Timer> answer_timeout_;
  std::optional<WebhookEvent> in_flight_;
  bool told_no_key_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_API_WEBHOOK_SENDER_H_
