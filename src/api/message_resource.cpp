#include "api/message_resource.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "core/receipt_texts.h"

namespace tolvane {
namespace {

using nlohmann::json;

json TimeOrNull(const std::optional<TimePoint>& time) {
  return time ? json(Rfc3339(*time)) : json(nullptr);
}

bool Cancelled(const StoredMessage& message) {
  return message.state == MessageState::kRefused && message.detail == kReceiptCancelled;
}

json Recipient(const StoredMessage& message) {
  json parts = json::array();
  for (const StoredPart& part : message.parts) {
    parts.push_back({{"index", part.index + 1},
                     {"state", StateName(part.state)},
                     {"reference", part.ref},
                     {"detail", part.detail}});
  }
  return {{"number", message.number},
          {"number_typed", message.number_typed},
          {"name", message.name},
          {"text", message.text},
          {"state", Cancelled(message) ? "cancelled" : std::string(StateName(message.state))},
          {"detail", message.detail},
          {"sent", TimeOrNull(message.sent)},
          {"final", TimeOrNull(message.final)},
          {"parts", parts}};
}

template <typename Number>
bool ReadDigits(std::string_view text, size_t at, size_t count, Number& value) {
  if (at + count > text.size()) return false;
  const char* first = text.data() + at;
  if (!std::all_of(first, first + count, [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  return std::from_chars(first, first + count, value).ec == std::errc();
}

}  // namespace

std::string Rfc3339(TimePoint time) {
  const std::time_t seconds =
      Clock::to_time_t(std::chrono::time_point_cast<std::chrono::seconds>(time));
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::optional<TimePoint> ReadRfc3339(std::string_view text) {
  std::tm utc{};
  if (!ReadDigits(text, 0, 4, utc.tm_year) || text.size() < 19 || text[4] != '-' ||
      !ReadDigits(text, 5, 2, utc.tm_mon) || text[7] != '-' ||
      !ReadDigits(text, 8, 2, utc.tm_mday) ||
      (text[10] != 'T' && text[10] != 't' && text[10] != ' ') ||
      !ReadDigits(text, 11, 2, utc.tm_hour) || text[13] != ':' ||
      !ReadDigits(text, 14, 2, utc.tm_min) || text[16] != ':' ||
      !ReadDigits(text, 17, 2, utc.tm_sec)) {
    return std::nullopt;
  }
  if (utc.tm_mon < 1 || utc.tm_mon > 12 || utc.tm_mday < 1 || utc.tm_mday > 31 ||
      utc.tm_hour > 23 || utc.tm_min > 59 || utc.tm_sec > 60) {
    return std::nullopt;
  }
  size_t at = 19;
  std::chrono::milliseconds fraction{0};
  if (at < text.size() && text[at] == '.') {
    size_t digits = 0;
    int value = 0;
    for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
      if (digits < 3) value = value * 10 + (text[at] - '0');
    }
    if (digits == 0) return std::nullopt;
    for (size_t i = digits; i < 3; ++i) value *= 10;
    fraction = std::chrono::milliseconds(value);
  }
  if (at < text.size() && text[at] == ' ') ++at;
  int offset_minutes = 0;
  if (at + 1 == text.size() && (text[at] == 'Z' || text[at] == 'z')) {
    ++at;
  } else if (at + 6 == text.size() && (text[at] == '+' || text[at] == '-') && text[at + 3] == ':') {
    int hours = 0;
    int minutes = 0;
    if (!ReadDigits(text, at + 1, 2, hours) || !ReadDigits(text, at + 4, 2, minutes) ||
        hours > 23 || minutes > 59) {
      return std::nullopt;
    }
    offset_minutes = (text[at] == '-' ? -1 : 1) * (hours * 60 + minutes);
    at += 6;
  }
  if (at != text.size()) return std::nullopt;
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  const std::time_t seconds = timegm(&utc);
  return Clock::from_time_t(seconds) + fraction - std::chrono::minutes(offset_minutes);
}

std::optional<MessageId> ReadMessageId(std::string_view text) {
  MessageId id;
  if (text.starts_with("out-")) {
    text.remove_prefix(4);
  } else if (text.starts_with("in-")) {
    text.remove_prefix(3);
    id.incoming = true;
  } else {
    return std::nullopt;
  }
  if (text.empty() || text.size() > 18 || text.front() == '0' ||
      !ReadDigits(text, 0, text.size(), id.id)) {
    return std::nullopt;
  }
  return id;
}

std::string RunStateName(const StoredRun& run, const std::vector<StoredMessage>& messages) {
  if (run.ended) {
    const bool all_cancelled =
        !messages.empty() && std::all_of(messages.begin(), messages.end(), Cancelled);
    return all_cancelled ? "cancelled" : "ended";
  }
  const bool untouched = std::all_of(messages.begin(), messages.end(), [](const auto& message) {
    return message.state == MessageState::kQueued && !message.sent;
  });
  return untouched ? "queued" : "sending";
}

std::optional<json> OutgoingResource(const MessageStore& store, std::int64_t run_id) {
  const std::optional<StoredRun> run = store.Run(run_id);
  if (!run) return std::nullopt;
  const std::vector<StoredMessage> messages = store.RunMessages(run_id);
  json recipients = json::array();
  int parts = 0;
  for (const StoredMessage& message : messages) {
    recipients.push_back(Recipient(message));
    parts = std::max(parts, message.part_count);
  }
  const StoredMessage first = messages.empty() ? StoredMessage() : messages.front();
  return json{{"id", "out-" + std::to_string(run->id)},
              {"direction", "out"},
              {"text", first.text},
              {"created", Rfc3339(run->created)},
              {"send_at", TimeOrNull(first.scheduled)},
              {"receipt", run->receipt},
              {"encoding", first.encoding},
              {"parts", parts},
              {"state", RunStateName(*run, messages)},
              {"recipients", recipients}};
}

std::optional<json> IncomingResource(const MessageStore& store, std::int64_t id) {
  const std::optional<StoredMessage> message = store.Message(id);
  if (!message || !message->incoming) return std::nullopt;
  return json{{"id", "in-" + std::to_string(message->id)},
              {"direction", "in"},
              {"from", message->number},
              {"name", message->name},
              {"text", message->text},
              {"encoding", message->encoding},
              {"parts", message->part_count},
              {"received", Rfc3339(message->created)},
              {"centre_time", TimeOrNull(ReadRfc3339(message->centre_time))},
              {"unread", message->unread},
              {"flash", message->flash}};
}

std::optional<json> ResourceById(const MessageStore& store, std::string_view id) {
  const std::optional<MessageId> message = ReadMessageId(id);
  if (!message) return std::nullopt;
  return message->incoming ? IncomingResource(store, message->id)
                           : OutgoingResource(store, message->id);
}

}  // namespace tolvane
