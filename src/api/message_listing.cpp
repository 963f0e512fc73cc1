#include "api/message_listing.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "api/message_resource.h"
#include "api/problem.h"
#include "api/query_parameters.h"
#include "sms/number_forms.h"
#include "sms/sms_address.h"

namespace tolvane {
namespace {

using nlohmann::json;

// Entries read at a time while a peer is looked for.
constexpr int kBatch = 200;

// "<milliseconds>.<0 out, 1 in>.<id>": where the next page starts.
std::string CursorText(const ListedEntry& entry) {
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(entry.time.time_since_epoch()).count();
  return std::to_string(ms) + "." + (entry.incoming ? "1" : "0") + "." + std::to_string(entry.id);
}

// Reads a whole number and the character after it, which must be `next`
// ('\0' at the end).
template <typename Number>
bool ReadPart(const char*& at, const char* end, char next, Number& value) {
  const auto [stop, error] = std::from_chars(at, end, value);
  if (error != std::errc() || (stop == end ? '\0' : *stop) != next) return false;
  at = stop == end ? end : stop + 1;
  return true;
}

std::optional<ListedEntry> ReadCursor(std::string_view text) {
  long long ms = 0;
  int incoming = 0;
  ListedEntry entry;
  const char* at = text.data();
  const char* end = text.data() + text.size();
  if (!ReadPart(at, end, '.', ms) || !ReadPart(at, end, '.', incoming) ||
      !ReadPart(at, end, '\0', entry.id) || incoming < 0 || incoming > 1) {
    return std::nullopt;
  }
  entry.incoming = incoming == 1;
  entry.time = TimePoint(std::chrono::milliseconds(ms));
  return entry;
}

ApiResponse BadParameter(const std::string& name, const std::string& why) {
  return Problem(400, "Bad parameter \"" + name + "\": " + why);
}

}  // namespace

ApiResponse ListMessages(const MessageStore& store, std::string_view query) {
  std::string bad;
  const auto parameters = ReadQuery(query, {"direction", "since", "peer", "limit", "cursor"}, bad);
  if (!parameters) return BadParameter(bad, "unknown, repeated or badly encoded");
  auto value = [&](const char* name) -> std::optional<std::string> {
    const auto found = parameters->find(name);
    return found == parameters->end() ? std::nullopt : std::optional(found->second);
  };
  const std::string direction = value("direction").value_or("");
  if (value("direction") && direction != "in" && direction != "out") {
    return BadParameter("direction", "in or out");
  }
  std::optional<TimePoint> since;
  if (value("since")) {
    since = ReadRfc3339(*value("since"));
    if (!since) return BadParameter("since", "an RFC 3339 time such as 2026-12-08T18:40:00Z");
  }
  const std::optional<int> limit = ReadLimit(*parameters);
  if (!limit) return BadParameter("limit", "a whole number from 1 to 200");
  std::optional<ListedEntry> after;
  if (value("cursor")) {
    after = ReadCursor(*value("cursor"));
    if (!after) return BadParameter("cursor", "not one this server gave");
  }
  const std::optional<std::string> peer =
      value("peer") ? std::optional(NormalisedNumber(*value("peer"))) : std::nullopt;
  if (peer && peer->empty()) return BadParameter("peer", "a number");

  std::vector<ListedEntry> page;
  bool more = false;
  const int batch = peer ? kBatch : *limit + 1;
  for (;;) {
    const std::vector<ListedEntry> entries =
        store.Newest(direction != "in", direction != "out", since, after, batch);
    for (const ListedEntry& entry : entries) {
      if (peer && std::none_of(entry.numbers.begin(), entry.numbers.end(),
                               [&](const std::string& n) { return SameNumber(*peer, n); })) {
        continue;
      }
      if (static_cast<int>(page.size()) == *limit) {
        more = true;
        break;
      }
      page.push_back(entry);
    }
    if (more || static_cast<int>(entries.size()) < batch) break;
    after = entries.back();
  }
  json messages = json::array();
  for (const ListedEntry& entry : page) {
    std::optional<json> resource =
        entry.incoming ? IncomingResource(store, entry.id) : OutgoingResource(store, entry.id);
    if (resource) messages.push_back(std::move(*resource));
  }
  return JsonAnswer(200, {{"messages", messages},
                          {"next_cursor", more ? json(CursorText(page.back())) : json(nullptr)}});
}

}  // namespace tolvane
