#include "api/message_post.h"

#include <sodium.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "api/message_resource.h"
#include "api/problem.h"
#include "core/message_fields.h"
#include "core/opt_out_check.h"
#include "inbox/conversation_names.h"
#include "phonebook/group_tables.h"
#include "platform/store_error.h"
#include "sms/no_references.h"
#include "sms/sms_address.h"
#include "sms/sms_message.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

using nlohmann::json;

constexpr auto kKeepAnswers = std::chrono::hours(24);
constexpr size_t kMostRecipients = 1000;
constexpr size_t kLongestKey = 255;
constexpr const char* kMembers[] = {"to", "group", "contact", "text", "send_at", "receipt"};

// Why a request is not taken, as its answer.
struct Refused {
  ApiResponse answer;
};

struct Recipient {
  std::string name;
  std::string typed;
};

// application/json, with or without parameters such as charset=utf-8.
bool IsJson(const std::optional<std::string>& content_type) {
  if (!content_type) return false;
  std::string type = TrimBlanks(content_type->substr(0, content_type->find(';')));
  std::transform(type.begin(), type.end(), type.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return type == "application/json";
}

bool IsKey(const std::string& key) {
  return !key.empty() && key.size() <= kLongestKey &&
         std::all_of(key.begin(), key.end(), [](char c) { return c >= 0x20 && c <= 0x7e; });
}

// The same body in any spacing or member order gives the same text.
std::string Fingerprint(const json& body) {
  const std::string text = body.dump();
  unsigned char hash[crypto_generichash_BYTES];
  crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(text.data()),
                     text.size(), nullptr, 0);
  char hex[sizeof hash * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, hash, sizeof hash);
  return hex;
}

TimePoint NextLocalMidnight(TimePoint now) {
  const std::time_t time = Clock::to_time_t(now);
  std::tm local{};
  localtime_r(&time, &local);
  local.tm_mday += 1;
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&local));
}

json ParseBody(const std::string& text) {
  try {
    return json::parse(text);
  } catch (const json::parse_error& error) {
    int line = 1;
    int column = 1;
    const size_t end = std::min<size_t>(error.byte == 0 ? 0 : error.byte - 1, text.size());
    for (size_t i = 0; i < end; ++i) {
      column = text[i] == '\n' ? 1 : column + 1;
      line += text[i] == '\n';
    }
    std::string what = error.what();
    if (const size_t at = what.find(": "); at != std::string::npos) what = what.substr(at + 2);
    throw Refused{Problem(400, "Malformed JSON at line " + std::to_string(line) + ", column " +
                                   std::to_string(column) + ": " + what)};
  } catch (const json::out_of_range& error) {
    // A number too big for a double (1e999).
    std::string what = error.what();
    if (const size_t at = what.find("] "); at != std::string::npos) what = what.substr(at + 2);
    throw Refused{Problem(400, "Malformed JSON: " + what)};
  }
}

void Require(bool condition, const std::string& detail) {
  if (!condition) throw Refused{Problem(400, detail)};
}

void CheckShape(const json& body) {
  Require(body.is_object(), "The body must be a JSON object");
  for (const auto& [member, value] : body.items()) {
    Require(std::find(std::begin(kMembers), std::end(kMembers), member) != std::end(kMembers),
            "Unknown member \"" + member + "\"");
  }
  Require(body.count("to") + body.count("group") + body.count("contact") == 1,
          "Give exactly one of \"to\", \"group\" and \"contact\"");
  Require(
      body.contains("text") && body["text"].is_string() && !body["text"].get<std::string>().empty(),
      "\"text\" must be a text of at least one character");
  if (body.contains("to")) {
    const json& to = body["to"];
    const bool list =
        to.is_array() && !to.empty() && to.size() <= kMostRecipients &&
        std::all_of(to.begin(), to.end(), [](const json& n) { return n.is_string(); });
    Require(to.is_string() || list, "\"to\" must be a number or a list of 1 to " +
                                        std::to_string(kMostRecipients) + " numbers");
  }
  for (const char* name : {"group", "contact"}) {
    Require(!body.contains(name) || (body[name].is_string() && !body[name].empty()),
            std::string("\"") + name + "\" must be a name");
  }
  if (body.contains("send_at")) {
    const json& at = body["send_at"];
    const std::string text = at.is_string() ? at.get<std::string>() : "";
    // RFC 3339 asks for the offset.
    const bool offset =
        !text.empty() && (text.back() == 'Z' || text.back() == 'z' ||
                          (text.size() > 6 && text[text.size() - 3] == ':' &&
                           (text[text.size() - 6] == '+' || text[text.size() - 6] == '-')));
    Require(offset && ReadRfc3339(text).has_value(),
            "\"send_at\" must be an RFC 3339 time such as 2026-12-08T18:40:00Z");
  }
  Require(!body.contains("receipt") || body["receipt"].is_boolean(),
          "\"receipt\" must be true or false");
}

void Unprocessable(const std::string& detail) { throw Refused{Problem(422, detail)}; }

// The records of a phone-book table: all, or the one named `name`.
std::vector<Recipient> TableRecords(PhoneBookStore& store, const std::string& table,
                                    const std::string* name) {
  std::vector<Recipient> records;
  const std::unique_ptr<RecordCursor> cursor = store.OpenCursor(table);
  if (name != nullptr) {
    if (cursor->SeekName(*name)) {
      records.push_back({cursor->Field(kFieldNamn), cursor->Field(kFieldTelenummer)});
    }
    return records;
  }
  for (cursor->MoveFirst(); !cursor->Eof(); cursor->MoveNext()) {
    records.push_back({cursor->Field(kFieldNamn), cursor->Field(kFieldTelenummer)});
  }
  return records;
}

std::vector<Recipient> RecipientsOf(const json& body, ApiServices& services,
                                    ConversationNames& names) {
  std::vector<Recipient> recipients;
  PhoneBookStore* phone_book = services.window.PhoneBookStoreOrNull();
  if (body.contains("to")) {
    const json& to = body["to"];
    names.Update(phone_book);
    for (const json& number : to.is_array() ? to : json::array({to})) {
      const std::string typed = TrimBlanks(number.get<std::string>());
      recipients.push_back({names.NameOf(NormalisedNumber(typed)), typed});
    }
  } else if (body.contains("group")) {
    const std::string name = body["group"];
    const std::optional<std::string> group =
        phone_book != nullptr ? FindGroup(*phone_book, name) : std::nullopt;
    if (!group) Unprocessable("Unknown group \"" + name + "\"");
    recipients = TableRecords(*phone_book, *group, nullptr);
    if (recipients.empty()) Unprocessable("The group \"" + name + "\" has no members");
  } else {
    const std::string name = body["contact"];
    if (phone_book != nullptr) recipients = TableRecords(*phone_book, kPhoneBookTable, &name);
    if (recipients.empty()) Unprocessable("Unknown contact \"" + name + "\"");
  }
  const OptOutCheck opt_outs(services.window.Messages().Store());
  for (const Recipient& recipient : recipients) {
    if (DigitsOf(recipient.typed).empty()) Unprocessable("Not a number: " + recipient.typed);
    if (const std::string listed = opt_outs.Match(recipient.typed); !listed.empty()) {
      Unprocessable("The number " + recipient.typed + " opted out of messages");
    }
  }
  return recipients;
}

// The text as the transport in use sends it: its parts and encoding. A
// refusal begins with `who` (whose own text it is).
StoredMessage Cut(const std::string& text, GroupHost& window, const std::string& who) {
  Transport& transport = window.ActiveTransport();
  if (const std::string refusal = transport.RefusalOf(text); !refusal.empty()) {
    Unprocessable(who + refusal);
  }
  StoredMessage message;
  message.text = text;
  if (!transport.SplitsLongMessages()) {
    if (Utf8Length(text) > 160) Unprocessable(who + "Message exceeds 160 character!");
    return message;
  }
  NoReferences references;
  const SmsMessage cut = PrepareMessage(text, window.Settings().MaxParts, references);
  if (!cut.error.empty()) Unprocessable(who + cut.error);
  message.part_count = static_cast<int>(cut.parts.size());
  message.encoding = cut.encoding == SmsEncoding::kUcs2 ? "UCS-2" : "GSM";
  return message;
}

// Each recipient's own text, its fields filled, as Cut makes it.
std::vector<StoredMessage> CutFor(const std::vector<Recipient>& recipients, const std::string& text,
                                  GroupHost& window) {
  if (const std::string problem = FieldProblem(text); !problem.empty()) Unprocessable(problem);
  std::vector<StoredMessage> messages;
  if (!HasFields(text)) {
    messages.assign(recipients.size(), Cut(text, window, ""));
    return messages;
  }
  for (const Recipient& recipient : recipients) {
    const std::string who = "For " + (recipient.name.empty() ? recipient.typed : recipient.name);
    messages.push_back(
        Cut(FillFields(text, {recipient.name, recipient.typed}), window, who + ": "));
  }
  return messages;
}

void CheckDayLimit(const MessageStore& store, const ProgramSettings& settings, TimePoint now,
                   int parts) {
  if (settings.PerDay <= 0) return;
  const TimePoint midnight = NextLocalMidnight(now);
  const int used = store.PartsSentSince(settings.AccessTyp, midnight - std::chrono::hours(24)) +
                   store.Queued(settings.AccessTyp).parts;
  if (used + parts <= settings.PerDay) return;
  const auto wait = std::chrono::ceil<std::chrono::seconds>(midnight - now).count();
  ApiResponse answer =
      Problem(429, "Over the limit of " + std::to_string(settings.PerDay) +
                       " SMS a day: " + std::to_string(used) +
                       " sent or queued today, this message needs " + std::to_string(parts));
  answer.headers.emplace_back("Retry-After", std::to_string(std::max<long long>(wait, 1)));
  throw Refused{answer};
}

ApiResponse Accepted(const MessageStore& store, std::int64_t run) {
  ApiResponse answer = JsonAnswer(202, *OutgoingResource(store, run));
  answer.headers.emplace_back("Location", "/v1/messages/out-" + std::to_string(run));
  return answer;
}

ApiResponse Queue(const json& body, ApiServices& services, ConversationNames& names,
                  MessageStore& store) {
  GroupHost& window = services.window;
  const TimePoint now = window.Loop().Now();
  const std::vector<Recipient> recipients = RecipientsOf(body, services, names);
  std::vector<StoredMessage> messages = CutFor(recipients, body["text"], window);
  int parts = 0;
  for (const StoredMessage& message : messages) parts += message.part_count;
  CheckDayLimit(store, window.Settings(), now, parts);
  std::optional<TimePoint> send_at;
  if (body.contains("send_at")) send_at = ReadRfc3339(body["send_at"].get<std::string>());
  // A time passed means now.
  if (send_at && *send_at <= now) send_at.reset();
  StoredRun run{.kind = "api",
                .title = "",
                .source = "",
                .transport = window.Settings().AccessTyp,
                .owner = window.Messages().Owner(),
                .created = now,
                .ended = std::nullopt,
                .receipt = body.value("receipt", true)};
  for (size_t i = 0; i < recipients.size(); ++i) {
    const Recipient& recipient = recipients[i];
    StoredMessage& message = messages[i];
    message.number_typed = recipient.typed;
    message.number = NormalisedNumber(recipient.typed);
    message.name = recipient.name;
    message.transport = run.transport;
    message.created = now;
    message.scheduled = send_at;
  }
  try {
    store.AddRun(run, messages);
  } catch (const StoreError& error) {
    return Problem(503, std::string("The message store could not be written: ") + error.what());
  }
  services.queue.Add(run.id, send_at);
  return Accepted(store, run.id);
}

}  // namespace

ApiResponse PostMessage(const ApiRequest& request, ApiServices& services,
                        ConversationNames& names) {
  const ProgramSettings& settings = services.window.Settings();
  if (!IsJson(request.Header("Content-Type"))) {
    return Problem(415, "The body must be JSON (Content-Type: application/json)");
  }
  if (request.body.size() > static_cast<size_t>(settings.api.MaxBody)) {
    return Problem(413,
                   "The body is longer than " + std::to_string(settings.api.MaxBody) + " bytes");
  }
  MessageStore* store = services.window.Messages().Store();
  try {
    const json body = ParseBody(request.body);
    CheckShape(body);
    const std::optional<std::string> key = request.Header("Idempotency-Key");
    Require(!key || IsKey(*key), "Idempotency-Key must be 1 to 255 printable ASCII characters");
    if (store == nullptr) return Problem(503, "The message store is not open");
    const TimePoint now = services.window.Loop().Now();
    const std::string fingerprint = Fingerprint(body);
    if (key) {
      if (const std::optional<KeptAnswer> kept = store->KeptAnswerFor(*key, now - kKeepAnswers)) {
        if (kept->fingerprint != fingerprint) {
          return Problem(409, "The Idempotency-Key was used with another body");
        }
        ApiResponse again = JsonAnswer(kept->status, json::parse(kept->answer));
        const auto id = json::parse(kept->answer).value("id", "");
        again.headers.emplace_back("Location", "/v1/messages/" + id);
        return again;
      }
    }
    ApiResponse answer = Queue(body, services, names, *store);
    if (key && answer.status == 202) {
      store->KeepAnswer(*key, {fingerprint, answer.status, answer.body}, now, now - kKeepAnswers);
    }
    return answer;
  } catch (const Refused& refused) {
    return refused.answer;
  } catch (const StoreError& error) {
    return Problem(503, std::string("The message store could not be used: ") + error.what());
  }
}

}  // namespace tolvane
