#include "api/api_handler.h"

#include <sodium.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <optional>

#include <ctime>
#include "api/message_listing.h"
#include "api/message_post.h"
#include "api/message_resource.h"
#include "api/openapi_document.h"
#include "api/phone_book_resources.h"
#include "api/problem.h"
#include "api/query_parameters.h"
#include "core/receipt_texts.h"
#include "platform/store_error.h"

namespace tolvane {
namespace {

using nlohmann::json;

constexpr std::string_view kPrefix = "/v1/";

// Both sides hashed first, so that the comparison takes the same time
// whatever the lengths.
bool SameSecret(std::string_view a, std::string_view b) {
  unsigned char hash_a[crypto_generichash_BYTES];
  unsigned char hash_b[crypto_generichash_BYTES];
  crypto_generichash(hash_a, sizeof hash_a, reinterpret_cast<const unsigned char*>(a.data()),
                     a.size(), nullptr, 0);
  crypto_generichash(hash_b, sizeof hash_b, reinterpret_cast<const unsigned char*>(b.data()),
                     b.size(), nullptr, 0);
  return sodium_memcmp(hash_a, hash_b, sizeof hash_a) == 0;
}

ApiResponse NotAllowed(const std::string& allow) {
  ApiResponse answer = Problem(405, "This resource answers " + allow);
  answer.headers.emplace_back("Allow", allow);
  return answer;
}

TimePoint LocalMidnight(TimePoint now) {
  const std::time_t time = Clock::to_time_t(now);
  std::tm local{};
  localtime_r(&time, &local);
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&local));
}

json LimitOrNull(int limit) { return limit > 0 ? json(limit) : json(nullptr); }

}  // namespace

ApiHandler::ApiHandler(const ApiServices& services, std::string token)
    : services_(services), token_(std::move(token)) {
  // Read at the start, so that the first clients do not wait for a big
  // phone book.
  names_.Update(services_.window.PhoneBookStoreOrNull());
}

ApiResponse ApiHandler::Handle(const ApiRequest& request) {
  try {
    return Route(request);
  } catch (const StoreError& error) {
    return Problem(503, std::string("The store cannot be read: ") + error.what());
  } catch (const std::exception& error) {
    return Problem(500, error.what());
  }
}

bool ApiHandler::Authorised(const ApiRequest& request) const {
  const std::optional<std::string> field = request.Header("Authorization");
  if (token_.empty() || !field || field->size() < 7) return false;
  std::string scheme = field->substr(0, 7);
  for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return scheme == "bearer " && SameSecret(std::string_view(*field).substr(7), token_);
}

ApiResponse ApiHandler::Route(const ApiRequest& request) {
  const std::string_view target = request.target;
  const size_t question = target.find('?');
  const std::string_view path = target.substr(0, question);
  const std::string_view query =
      question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
  const std::string& method = request.method;
  if (path == "/v1/health") {
    return method == "GET" ? JsonAnswer(200, {{"status", "ok"}}) : NotAllowed("GET");
  }
  if (!Authorised(request)) {
    ApiResponse answer =
        Problem(401, token_.empty() ? "No API token is stored: tolvane --new-api-token makes one"
                                    : "Missing or wrong bearer token");
    answer.headers.emplace_back("WWW-Authenticate", "Bearer");
    return answer;
  }
  if (!path.starts_with(kPrefix)) return Problem(404, "No such resource");
  const std::string_view rest = path.substr(kPrefix.size());
  const size_t slash = rest.find('/');
  const std::string_view collection = rest.substr(0, slash);
  const std::optional<std::string_view> item =
      slash == std::string_view::npos ? std::nullopt : std::optional(rest.substr(slash + 1));
  MessageStore* store = services_.window.Messages().Store();
  PhoneBookStore* phone_book = services_.window.PhoneBookStoreOrNull();
  if (collection == "messages" && !item) {
    if (method == "POST") return PostMessage(request, services_, names_);
    if (method != "GET") return NotAllowed("GET, POST");
    if (store == nullptr) return Problem(503, "The message store is not open");
    return ListMessages(*store, query);
  }
  if (collection == "messages" && item->find('/') == std::string_view::npos) {
    return Message(method, *item);
  }
  if (method != "GET") {
    const bool known = (collection == "contacts" || collection == "groups" ||
                        collection == "status" || collection == "openapi.json");
    if (known) return NotAllowed("GET");
    return Problem(404, "No such resource");
  }
  if (collection == "contacts" && !item) return ListContacts(phone_book, query);
  if (collection == "groups" && !item) return ListGroups(phone_book);
  if (collection == "groups" && item->find('/') == std::string_view::npos) {
    const std::optional<std::string> name = PercentDecoded(*item);
    if (!name) return Problem(404, "No such group");
    return ShowGroup(phone_book, *name);
  }
  if (collection == "status" && !item) return Status();
  if (collection == "openapi.json" && !item) {
    return {200, {{"Content-Type", "application/json"}}, std::string(OpenApiDocument())};
  }
  return Problem(404, "No such resource");
}

ApiResponse ApiHandler::Message(const std::string& method, std::string_view id_text) {
  if (method != "GET" && method != "DELETE") return NotAllowed("GET, DELETE");
  MessageStore* store = services_.window.Messages().Store();
  if (store == nullptr) return Problem(503, "The message store is not open");
  const std::optional<MessageId> id = ReadMessageId(id_text);
  const std::string name(id_text);
  if (!id) return Problem(404, "No message " + name);
  if (method == "DELETE") {
    if (id->incoming) return Problem(404, "A received message cannot be cancelled");
    return Cancel(id->id);
  }
  const std::optional<json> resource = ResourceById(*store, id_text);
  if (!resource) return Problem(404, "No message " + name);
  return JsonAnswer(200, *resource);
}

ApiResponse ApiHandler::Cancel(std::int64_t run) {
  MessageStore& store = *services_.window.Messages().Store();
  const std::string name = "out-" + std::to_string(run);
  const std::optional<StoredRun> stored = store.Run(run);
  if (!stored) return Problem(404, "No message " + name);
  if (!services_.queue.Withdraw(run)) {
    return Problem(409, stored->ended ? "Nothing of " + name + " is still queued"
                                      : name + " is being sent: nothing of it waits any more");
  }
  const TimePoint now = services_.window.Loop().Now();
  for (const StoredMessage& message : store.RunMessages(run)) {
    store.EndMessage(message.id, kReceiptCancelled, now);
  }
  store.EndRun(run, now);
  return JsonAnswer(200, *OutgoingResource(store, run));
}

ApiResponse ApiHandler::Status() {
  const ProgramSettings& settings = services_.window.Settings();
  const MessageStore* store = services_.window.Messages().Store();
  const TimePoint now = services_.window.Loop().Now();
  const std::string& transport = settings.AccessTyp;
  const int queue = store != nullptr ? store->Queued(transport).messages : 0;
  const int today = store != nullptr ? store->PartsSentSince(transport, LocalMidnight(now)) : 0;
  const int minute =
      store != nullptr ? store->PartsSentSince(transport, now - std::chrono::minutes(1)) : 0;
  return JsonAnswer(200, {{"transport", transport},
                          {"receiving", services_.receiving_state()},
                          {"queue", queue},
                          {"sent_today", today},
                          {"per_day", LimitOrNull(settings.PerDay)},
                          {"sent_last_minute", minute},
                          {"per_minute", LimitOrNull(settings.PerMinute)}});
}

}  // namespace tolvane
