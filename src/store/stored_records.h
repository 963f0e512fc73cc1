#ifndef TOLVANE_STORE_STORED_RECORDS_H_
#define TOLVANE_STORE_STORED_RECORDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/event_loop.h"
#include "store/message_state.h"

namespace tolvane {

// One part of an outgoing message: the transport's reference for it (an SMPP
// message id, a UCP/EMI "AdC:SCTS", a GSM message reference, a gateway
// status) and what the far end made of it.
struct StoredPart {
  int index = 0;
  MessageState state = MessageState::kQueued;
  std::string ref;
  std::string detail;
};

// A message in or out. An outgoing one belongs to a run (a single send is a
// run of one).
struct StoredMessage {
  std::int64_t id = 0;
  std::int64_t run = 0;
  bool incoming = false;
  // The other party's number as typed and in international form when the
  // number allows it.
  std::string number_typed;
  std::string number;
  // The phone-book name at the time.
  std::string name;
  std::string text;
  std::string encoding;
  int part_count = 1;
  // The reference that links the parts of a long message; -1 before the
  // transport cut it.
  int reference = -1;
  std::string transport;
  TimePoint created;
  std::optional<TimePoint> scheduled;
  std::optional<TimePoint> sent;
  std::optional<TimePoint> final;
  MessageState state = MessageState::kQueued;
  // The receipt line's last text for it, or why it was refused.
  std::string detail;
  std::vector<StoredPart> parts;
  // A received message: the centre's time stamp (empty when none came) and
  // whether the user has not read it yet.
  std::string centre_time;
  bool unread = false;
  // A class 0 message, which a phone shows at once (not kept in the store).
  bool flash = false;
};

// A part of a linked received message, kept until the rest has come.
struct InboundPart {
  std::string transport;
  // The sender as the network gave it, and in international form.
  std::string sender;
  std::string number;
  int reference = 0;
  int total = 1;
  int reference_bits = 8;
  // 1-based.
  int index = 1;
  std::string text;
  std::string encoding;
  std::string centre_time;
  TimePoint received;
};

// One send to one or more recipients.
struct StoredRun {
  std::int64_t id = 0;
  // "single", "group", "list" (an order's numbers), "autosend", "mail".
  std::string kind;
  // The group's name for a group run.
  std::string title;
  // The autosend file a run came from.
  std::string source;
  std::string transport;
  // The program that sends it (its ownership lock's name).
  std::string owner;
  TimePoint created;
  std::optional<TimePoint> ended;
  // Whether its messages ask for receipts (the HTTP API may say no).
  bool receipt = true;
};

// A message or a run in a list newest first: a run by the time it was
// made, a received message by the time it came; the numbers it went to or
// came from.
struct ListedEntry {
  bool incoming = false;
  std::int64_t id = 0;
  TimePoint time;
  std::vector<std::string> numbers;
  auto operator<=>(const ListedEntry& other) const {
    return std::tie(time, incoming, id) <=> std::tie(other.time, other.incoming, other.id);
  }
  bool operator==(const ListedEntry& other) const { return (*this <=> other) == 0; }
};

struct QueuedTally {
  int messages = 0;
  int parts = 0;
};

// The answer kept for a request with an idempotency key.
struct KeptAnswer {
  std::string fingerprint;
  int status = 0;
  std::string answer;
};

// A part by its message and index.
struct PartKey {
  std::int64_t message = 0;
  int index = 0;
  auto operator<=>(const PartKey&) const = default;
};

}  // namespace tolvane

#endif  // TOLVANE_STORE_STORED_RECORDS_H_
