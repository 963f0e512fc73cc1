#include "api/webhook_sender.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <utility>

#include "api/webhook_signature.h"
#include "platform/store_error.h"

namespace tolvane {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

// The pause after the n-th failed attempt, then every hour.
constexpr std::array<seconds, 7> kPauses = {seconds(10), seconds(30), minutes(1), minutes(2),
                                            minutes(5),  minutes(10), minutes(20)};
constexpr hours kLaterPause{1};
constexpr hours kGiveUpAfter{24};
// A store that could not be read is tried again after this.
constexpr seconds kStoreRetry{10};
// With nothing pending the store is looked at again after this: another run
// of the program on the same folder (an order) may have left events.
constexpr minutes kLookAgain{1};

seconds PauseAfter(int attempts) {
  return attempts <= static_cast<int>(kPauses.size()) ? kPauses[attempts - 1] : kLaterPause;
}

// RFC 3339 in UTC, whole seconds.
std::string Rfc3339(TimePoint time) {
  const std::time_t seconds = Clock::to_time_t(time);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

const char* EventType(MessageState state) {
  switch (state) {
    case MessageState::kAccepted:
      return "message.accepted";
    case MessageState::kDelivered:
      return "message.delivered";
    case MessageState::kRefused:
    case MessageState::kFailed:
    case MessageState::kExpired:
      return "message.failed";
    default:
      return nullptr;
  }
}

// The status code of an answer's status line ("HTTP/1.1 204 No Content"); 0
// when there is none.
int StatusCode(const std::string& header) {
  int code = 0;
  return std::sscanf(header.c_str(), "HTTP/%*s %d", &code) == 1 ? code : 0;
}

}  // namespace

WebhookSender::WebhookSender(WebhookServices services, std::string url)
    : services_(std::move(services)),
      url_(std::move(url)),
      wake_(services_.loop.CreateTimer()),
      answer_timeout_(services_.loop.CreateTimer()) {
  wake_->SetSingleShot(true);
  wake_->SetCallback([this] { SendNext(); });
  answer_timeout_->SetSingleShot(true);
  answer_timeout_->SetInterval(kAnswerTimeoutMs);
  answer_timeout_->SetCallback([this] {
    services_.http.Cancel();
    Failed("no answer within " + std::to_string(kAnswerTimeoutMs / 1000) + " s");
  });
  services_.http.SetOnStateChanged([this](int state) { Answered(state); });
  services_.store.AddListener(this);
}

WebhookSender::~WebhookSender() {
  services_.store.RemoveListener(this);
  services_.http.SetOnStateChanged(nullptr);
  if (in_flight_) services_.http.Cancel();
}

void WebhookSender::Arrived(const StoredMessage& message) {
  Add("message.received", "in-" + std::to_string(message.id), "");
}

void WebhookSender::MessageStateChanged(const MessageStateChange& change) {
  if (const char* type = EventType(change.to)) {
    Add(type, "out-" + std::to_string(change.run), change.number);
  }
}

void WebhookSender::Add(const std::string& type, const std::string& message_id,
                        const std::string& recipient) {
  const TimePoint now = services_.loop.Now();
  WebhookEvent event{.type = type,
                     .message_id = message_id,
                     .recipient = recipient,
                     .created = now,
                     .next_attempt = now};
  try {
    services_.store.AddWebhookEvent(event);
  } catch (const StoreError& error) {
    services_.log("Webhook: the " + type + " event of " + message_id +
                  " could not be kept: " + error.what());
    return;
  }
  // From the loop, not from inside the change that caused it.
  if (!in_flight_) WakeIn(0);
}

void WebhookSender::WakeIn(long long milliseconds) {
  wake_->SetInterval(static_cast<int>(milliseconds));
  wake_->Start();
}

void WebhookSender::SendNext() {
  if (in_flight_) return;
  std::optional<WebhookEvent> next;
  try {
    next = services_.store.NextWebhookEvent();
  } catch (const StoreError&) {
    WakeIn(std::chrono::milliseconds(kStoreRetry).count());
    return;
  }
  if (!next) {
    WakeIn(std::chrono::milliseconds(kLookAgain).count());
    return;
  }
  const auto wait =
      std::chrono::ceil<std::chrono::milliseconds>(next->next_attempt - services_.loop.Now());
  if (wait.count() > 0) {
    WakeIn(wait.count());
    return;
  }
  in_flight_ = std::move(next);
  Attempt();
}

void WebhookSender::Attempt() {
  const std::string key = services_.key();
  if (key.empty()) {
    if (!std::exchange(told_no_key_, true)) {
      services_.log("Webhook: events wait for the secret \"" + std::string(kWebhookSecret) +
                    "\" (tolvane --store-secret " + std::string(kWebhookSecret) + ")");
    }
    Failed("no secret to sign with");
    return;
  }
  const WebhookEvent& event = *in_flight_;
  nlohmann::ordered_json body = {{"id", "evt-" + std::to_string(event.id)},
                                 {"type", event.type},
                                 {"created", Rfc3339(event.created)}};
  if (!event.recipient.empty()) body["recipient"] = event.recipient;
  try {
    std::optional<nlohmann::json> data;
    if (services_.resource) data = services_.resource(event.message_id);
    // A message the store no longer holds is named only.
    body["data"] = data.value_or(nlohmann::json{{"id", event.message_id}});
  } catch (const StoreError& error) {
    Failed(error.what());
    return;
  }
  const std::string text = body.dump();
  const auto now = std::chrono::duration_cast<seconds>(services_.loop.Now().time_since_epoch());
  services_.http.Execute(url_, "POST", text,
                         "Content-Type: application/json\r\nTolvane-Signature: " +
                             WebhookSignature(key, now.count(), text) + "\r\n");
  answer_timeout_->Start();
}

void WebhookSender::Answered(int state) {
  if (!in_flight_) return;
  answer_timeout_->Stop();
  if (state == HttpClient::kStateError) {
    Failed(services_.http.ResponseInfo());
    return;
  }
  const int code = StatusCode(services_.http.GetHeader());
  if (code >= 200 && code < 300) {
    Succeeded();
  } else {
    Failed("HTTP " + std::to_string(code));
  }
}

void WebhookSender::Succeeded() {
  ++in_flight_->attempts;
  in_flight_->state = WebhookEvent::State::kSent;
  Settle();
}

void WebhookSender::Failed(const std::string& reason) {
  WebhookEvent& event = *in_flight_;
  ++event.attempts;
  event.next_attempt = services_.loop.Now() + PauseAfter(event.attempts);
  if (event.next_attempt > event.created + kGiveUpAfter) {
    event.state = WebhookEvent::State::kDropped;
    services_.log("Webhook: the " + event.type + " event evt-" + std::to_string(event.id) + " of " +
                  event.message_id + " dropped after " + std::to_string(event.attempts) +
                  " attempts in 24 hours, the last: " + reason);
  }
  Settle();
}

void WebhookSender::Settle() {
  long long next_ms = 0;
  try {
    services_.store.UpdateWebhookEvent(*in_flight_);
  } catch (const StoreError& error) {
    // It stays pending as it was, and goes once more.
    services_.log("Webhook: the store could not record an attempt: " + std::string(error.what()));
    next_ms = std::chrono::milliseconds(kStoreRetry).count();
  }
  in_flight_.reset();
  WakeIn(next_ms);
}

}  // namespace tolvane
