#include "store/message_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <map>
#include <utility>

#include "platform/sqlite_statement.h"
#include "sms/number_forms.h"
#include "store/message_rows.h"

namespace tolvane {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE runs (
  id INTEGER PRIMARY KEY,
  kind TEXT NOT NULL,
  title TEXT NOT NULL DEFAULT '',
  source TEXT NOT NULL DEFAULT '',
  transport TEXT NOT NULL,
  owner TEXT NOT NULL,
  created TEXT NOT NULL,
  ended TEXT
);
CREATE INDEX runs_open ON runs(id) WHERE ended IS NULL;
CREATE TABLE messages (
  id INTEGER PRIMARY KEY,
  run_id INTEGER REFERENCES runs(id),
  direction TEXT NOT NULL CHECK (direction IN ('out', 'in')),
  number_typed TEXT NOT NULL,
  number TEXT NOT NULL,
  name TEXT NOT NULL DEFAULT '',
  text TEXT NOT NULL,
  encoding TEXT NOT NULL DEFAULT '',
  part_count INTEGER NOT NULL DEFAULT 1,
  reference INTEGER NOT NULL DEFAULT -1,
  transport TEXT NOT NULL,
  created TEXT NOT NULL,
  scheduled TEXT,
  sent TEXT,
  final TEXT,
  state TEXT NOT NULL,
  detail TEXT NOT NULL DEFAULT ''
);
CREATE INDEX messages_run ON messages(run_id);
CREATE INDEX messages_sent ON messages(transport, sent, part_count) WHERE sent IS NOT NULL;
CREATE INDEX messages_number ON messages(number, created);
CREATE TABLE parts (
  message_id INTEGER NOT NULL REFERENCES messages(id),
  idx INTEGER NOT NULL,
  state TEXT NOT NULL,
  ref TEXT NOT NULL DEFAULT '',
  detail TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (message_id, idx)
) WITHOUT ROWID;
CREATE INDEX parts_ref ON parts(ref) WHERE ref <> '';
)sql";

// Received messages: the centre's time stamp (to know a message delivered
// twice), whether it was read, the parts of linked messages still waiting
// for the rest (kept a while after, to know a part delivered again) and the
// numbers that asked for no more messages.
constexpr const char* kReceiving = R"sql(
ALTER TABLE messages ADD COLUMN centre_time TEXT;
ALTER TABLE messages ADD COLUMN unread INTEGER NOT NULL DEFAULT 0;
CREATE INDEX messages_unread ON messages(number) WHERE unread = 1;
CREATE TABLE inbound_parts (
  transport TEXT NOT NULL,
  sender TEXT NOT NULL,
  number TEXT NOT NULL,
  reference INTEGER NOT NULL,
  total INTEGER NOT NULL,
  reference_bits INTEGER NOT NULL,
  idx INTEGER NOT NULL,
  text TEXT NOT NULL,
  encoding TEXT NOT NULL,
  centre_time TEXT NOT NULL,
  received TEXT NOT NULL,
  message_id INTEGER REFERENCES messages(id)
);
CREATE INDEX inbound_parts_key ON inbound_parts(number, reference, total, reference_bits);
CREATE INDEX inbound_parts_waiting ON inbound_parts(received) WHERE message_id IS NULL;
CREATE TABLE opt_outs (
  number TEXT PRIMARY KEY,
  since TEXT NOT NULL
) WITHOUT ROWID;
)sql";

// The events for the program's webhook, each message's sent in order.
constexpr const char* kWebhooks = R"sql(
CREATE TABLE webhook_events (
  id INTEGER PRIMARY KEY,
  type TEXT NOT NULL,
  message_id TEXT NOT NULL,
  recipient TEXT NOT NULL DEFAULT '',
  created TEXT NOT NULL,
  attempts INTEGER NOT NULL DEFAULT 0,
  next_attempt TEXT NOT NULL,
  state TEXT NOT NULL CHECK (state IN ('pending', 'sent', 'dropped'))
);
CREATE INDEX webhook_events_pending ON webhook_events(message_id, id) WHERE state = 'pending';
)sql";

// The HTTP API: whether a run asks for receipts, the answers kept for a
// request repeated with the same idempotency key, and an index that lists
// received messages newest first.
constexpr const char* kApi = R"sql(
ALTER TABLE runs ADD COLUMN receipt INTEGER NOT NULL DEFAULT 1;
CREATE INDEX runs_created ON runs(created);
CREATE INDEX messages_received ON messages(created) WHERE direction = 'in';
CREATE TABLE api_requests (
  key TEXT PRIMARY KEY,
  fingerprint TEXT NOT NULL,
  status INTEGER NOT NULL,
  answer TEXT NOT NULL,
  created TEXT NOT NULL
) WITHOUT ROWID;
)sql";

// kUpgrades[v] brings a store of schema version v to v + 1.
constexpr std::array<const char*, MessageStore::kSchemaVersion> kUpgrades = {kSchema, kReceiving,
                                                                             kWebhooks, kApi};

constexpr char kReadOnly[] = "the file or its folder is read-only";
constexpr char kCannotOpen[] = "the file or its folder cannot be written";

// What the user is told when the store cannot be opened: SQLite's own words
// where they are clear.
std::string OpenFailure(const StoreError& error) {
  const std::string text = error.what();
  if (error.number() == kStoreErrorUnrecognizedFormat && text == "file is not a database") {
    return "it is not a database";
  }
  if (text == "unable to open database file") return kCannotOpen;
  if (text == "attempt to write a readonly database") return kReadOnly;
  return text;
}

constexpr std::array<std::pair<WebhookEvent::State, const char*>, 3> kWebhookStates = {{
    {WebhookEvent::State::kPending, "pending"},
    {WebhookEvent::State::kSent, "sent"},
    {WebhookEvent::State::kDropped, "dropped"},
}};

const char* WebhookStateName(WebhookEvent::State state) {
  for (const auto& [value, name] : kWebhookStates) {
    if (value == state) return name;
  }
  return "pending";
}

void BindTime(SqliteStatement& statement, int index, const std::optional<TimePoint>& time) {
  if (time) statement.BindText(index, TimeText(*time));
}

// The columns of runs in the order RunFrom reads them.
constexpr const char* kRunColumns =
    "id, kind, title, source, transport, owner, created, ended, receipt";

StoredRun RunFrom(const SqliteStatement& row) {
  return {.id = row.ColumnInt64(0),
          .kind = row.ColumnText(1),
          .title = row.ColumnText(2),
          .source = row.ColumnText(3),
          .transport = row.ColumnText(4),
          .owner = row.ColumnText(5),
          .created = TimeFrom(row.ColumnText(6)).value_or(TimePoint{}),
          .ended = TimeFrom(row.ColumnText(7)),
          .receipt = row.ColumnInt64(8) != 0};
}

// The columns of inbound_parts in the order InboundPartFrom reads them.
constexpr const char* kInboundColumns =
    "transport, sender, number, reference, total, reference_bits, idx, text, encoding, "
    "centre_time, received";

InboundPart InboundPartFrom(const SqliteStatement& row) {
  return {.transport = row.ColumnText(0),
          .sender = row.ColumnText(1),
          .number = row.ColumnText(2),
          .reference = static_cast<int>(row.ColumnInt64(3)),
          .total = static_cast<int>(row.ColumnInt64(4)),
          .reference_bits = static_cast<int>(row.ColumnInt64(5)),
          .index = static_cast<int>(row.ColumnInt64(6)),
          .text = row.ColumnText(7),
          .encoding = row.ColumnText(8),
          .centre_time = row.ColumnText(9),
          .received = TimeFrom(row.ColumnText(10)).value_or(TimePoint{})};
}

// The condition that picks the parts of one linked message, bound from 1.
constexpr const char* kInboundKey =
    "number = ?1 AND reference = ?2 AND total = ?3 AND reference_bits = ?4";

void BindInboundKey(SqliteStatement& statement, const InboundPart& part) {
  statement.BindText(1, part.number);
  statement.BindInt64(2, part.reference);
  statement.BindInt64(3, part.total);
  statement.BindInt64(4, part.reference_bits);
}

}  // namespace

MessageStore::MessageStore(const std::string& path) : db_(nullptr, sqlite3_close_v2) {
  try {
    Open(path);
  } catch (const StoreError& error) {
    throw StoreError(error.number(), OpenFailure(error));
  }
}

void MessageStore::Open(const std::string& path) {
  sqlite3* raw = nullptr;
  const int result =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  db_.reset(raw);
  if (result != SQLITE_OK) throw SqliteStoreError(db_.get(), result);
  sqlite3_extended_result_codes(db_.get(), 1);
  sqlite3_busy_timeout(db_.get(), kStoreBusyTimeoutMs);
  // SQLite falls back to reading a file it may not write; a store that
  // cannot record what is sent is no store.
  if (sqlite3_db_readonly(db_.get(), "main") == 1) {
    throw StoreError(kStoreErrorOther, kReadOnly);
  }
  ExecSql(db_.get(), "PRAGMA journal_mode=WAL");
  // Read and raised under the write lock, so that two programs starting at
  // once do not both create the tables.
  Transaction(true, [&] {
    SqliteStatement version(db_.get(), "PRAGMA user_version");
    version.Step();
    const std::int64_t found = version.ColumnInt64(0);
    if (found > kSchemaVersion) {
      throw StoreError(kStoreErrorUnrecognizedFormat,
                       "it was written by a newer version of the program (schema " +
                           std::to_string(found) + ", this one knows " +
                           std::to_string(kSchemaVersion) + ")");
    }
    for (std::int64_t step = found; step < kSchemaVersion; ++step)
      ExecSql(db_.get(), kUpgrades[step]);
    if (found < kSchemaVersion) {
      ExecSql(db_.get(), ("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
    }
  });
}

MessageStore::~MessageStore() = default;

void MessageStore::Transaction(bool durable, const std::function<void()>& change) {
  if (durable != durable_) {
    ExecSql(db_.get(), durable ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
    durable_ = durable;
  }
  ExecSql(db_.get(), "BEGIN IMMEDIATE");
  try {
    change();
    ExecSql(db_.get(), "COMMIT");
  } catch (...) {
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    changes_.clear();
    throw;
  }
  TellChanges();
}

void MessageStore::TellChanges() {
  // A listener may change the store, or the listeners, in turn.
  const std::vector<MessageStateChange> changes = std::exchange(changes_, {});
  const std::vector<MessageStateListener*> listeners = listeners_;
  for (const MessageStateChange& change : changes) {
    for (MessageStateListener* listener : listeners) listener->MessageStateChanged(change);
  }
}

void MessageStore::RemoveListener(MessageStateListener* listener) {
  std::erase(listeners_, listener);
}

void MessageStore::JoinConversations(std::vector<StoredMessage>& messages) const {
  // The international numbers kept are read once a run, and only for a run
  // with a national number in it.
  std::optional<std::multimap<std::string, std::string>> international;
  for (StoredMessage& message : messages) {
    if (NationalDigits(message.number).empty()) continue;
    if (!international) {
      international.emplace();
      SqliteStatement numbers(db_.get(),
                              "SELECT DISTINCT number FROM messages WHERE number GLOB '+*'");
      while (numbers.Step()) {
        const std::string number = numbers.ColumnText(0);
        for (std::string& form : NationalForms(number)) international->emplace(form, number);
      }
    }
    std::vector<std::string> forms{message.number};
    const auto [first, last] = international->equal_range(message.number);
    if (first == last) continue;
    for (auto it = first; it != last; ++it) forms.push_back(it->second);
    message.number = LatestNumber(forms).value_or(message.number);
  }
}

void MessageStore::AddRun(StoredRun& run, std::vector<StoredMessage>& messages) {
  Transaction(true, [&] {
    JoinConversations(messages);
    SqliteStatement add_run(db_.get(),
                            "INSERT INTO runs (kind, title, source, transport, owner, created, "
                            "receipt) VALUES (?, ?, ?, ?, ?, ?, ?)");
    add_run.BindText(1, run.kind);
    add_run.BindText(2, run.title);
    add_run.BindText(3, run.source);
    add_run.BindText(4, run.transport);
    add_run.BindText(5, run.owner);
    add_run.BindText(6, TimeText(run.created));
    add_run.BindInt64(7, run.receipt ? 1 : 0);
    add_run.Run();
    run.id = sqlite3_last_insert_rowid(db_.get());
    SqliteStatement add(db_.get(),
                        "INSERT INTO messages (run_id, direction, number_typed, number, name, "
                        "text, encoding, part_count, reference, transport, created, scheduled, "
                        "state, detail) VALUES (?, 'out', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    SqliteStatement add_part(db_.get(),
                             "INSERT INTO parts (message_id, idx, state) VALUES (?, ?, 'queued')");
    for (StoredMessage& message : messages) {
      add.Reset();
      add.BindInt64(1, run.id);
      add.BindText(2, message.number_typed);
      add.BindText(3, message.number);
      add.BindText(4, message.name);
      add.BindText(5, message.text);
      add.BindText(6, message.encoding);
      add.BindInt64(7, message.part_count);
      add.BindInt64(8, message.reference);
      add.BindText(9, message.transport);
      add.BindText(10, TimeText(message.created));
      BindTime(add, 11, message.scheduled);
      add.BindText(12, std::string(StateName(message.state)));
      add.BindText(13, message.detail);
      add.Run();
      message.run = run.id;
      message.id = sqlite3_last_insert_rowid(db_.get());
      if (message.state != MessageState::kQueued) {
        // A recipient skipped (opted out) is refused from the start.
        if (!listeners_.empty()) {
          changes_.push_back(
              {message.id, run.id, message.number, MessageState::kQueued, message.state});
        }
        continue;
      }
      for (int i = 0; i < message.part_count; ++i) {
        add_part.Reset();
        add_part.BindInt64(1, message.id);
        add_part.BindInt64(2, i);
        add_part.Run();
      }
    }
  });
}

void MessageStore::AddReceived(StoredMessage& message) {
  Transaction(true, [&] { InsertReceived(message); });
}

void MessageStore::InsertReceived(StoredMessage& message) {
  SqliteStatement add(db_.get(),
                      "INSERT INTO messages (direction, number_typed, number, name, text, "
                      "encoding, part_count, reference, transport, created, final, state, "
                      "detail, centre_time, unread) "
                      "VALUES ('in', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'received', ?, ?, 1)");
  add.BindText(1, message.number_typed);
  add.BindText(2, message.number);
  add.BindText(3, message.name);
  add.BindText(4, message.text);
  add.BindText(5, message.encoding);
  add.BindInt64(6, message.part_count);
  add.BindInt64(7, message.reference);
  add.BindText(8, message.transport);
  add.BindText(9, TimeText(message.created));
  add.BindText(10, TimeText(message.created));
  add.BindText(11, message.detail);
  add.BindText(12, message.centre_time);
  add.Run();
  message.id = sqlite3_last_insert_rowid(db_.get());
  message.incoming = true;
  message.unread = true;
  message.state = MessageState::kReceived;
}

bool MessageStore::HasReceived(const std::string& number, const std::string& centre_time,
                               const std::string& text, TimePoint since) const {
  SqliteStatement find(db_.get(),
                       "SELECT 1 FROM messages WHERE number = ? AND direction = 'in' "
                       "AND text = ? AND CASE WHEN ?3 = '' THEN created >= ?4 "
                       "ELSE centre_time = ?3 END LIMIT 1");
  find.BindText(1, number);
  find.BindText(2, text);
  find.BindText(3, centre_time);
  find.BindText(4, TimeText(since));
  return find.Step();
}

std::optional<std::string> MessageStore::LatestNumber(
    const std::vector<std::string>& numbers) const {
  std::optional<std::string> latest;
  std::string latest_created;
  // One lookup a number, each served by the index on (number, created).
  SqliteStatement find(
      db_.get(), "SELECT created FROM messages WHERE number = ? ORDER BY created DESC LIMIT 1");
  for (const std::string& number : numbers) {
    find.Reset();
    find.BindText(1, number);
    if (!find.Step()) continue;
    const std::string created = find.ColumnText(0);
    if (!latest || created > latest_created) {
      latest = number;
      latest_created = created;
    }
  }
  return latest;
}

bool MessageStore::AddInboundPart(const InboundPart& part, TimePoint since) {
  bool added = false;
  Transaction(true, [&] {
    SqliteStatement find(db_.get(), std::string("SELECT 1 FROM inbound_parts WHERE ") +
                                        kInboundKey +
                                        " AND idx = ?5 AND (message_id IS NULL "
                                        "OR (?6 <> '' AND centre_time = ?6) "
                                        "OR (?6 = '' AND text = ?7 AND received >= ?8)) LIMIT 1");
    BindInboundKey(find, part);
    find.BindInt64(5, part.index);
    find.BindText(6, part.centre_time);
    find.BindText(7, part.text);
    find.BindText(8, TimeText(since));
    if (find.Step()) return;
    SqliteStatement add(db_.get(), std::string("INSERT INTO inbound_parts (") + kInboundColumns +
                                       ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    add.BindText(1, part.transport);
    add.BindText(2, part.sender);
    add.BindText(3, part.number);
    add.BindInt64(4, part.reference);
    add.BindInt64(5, part.total);
    add.BindInt64(6, part.reference_bits);
    add.BindInt64(7, part.index);
    add.BindText(8, part.text);
    add.BindText(9, part.encoding);
    add.BindText(10, part.centre_time);
    add.BindText(11, TimeText(part.received));
    add.Run();
    added = true;
  });
  return added;
}

std::vector<InboundPart> MessageStore::InboundParts(const InboundPart& part) const {
  SqliteStatement read(db_.get(), std::string("SELECT ") + kInboundColumns +
                                      " FROM inbound_parts WHERE " + kInboundKey +
                                      " AND message_id IS NULL ORDER BY idx, received");
  BindInboundKey(read, part);
  std::vector<InboundPart> parts;
  while (read.Step()) parts.push_back(InboundPartFrom(read));
  return parts;
}

void MessageStore::CompleteInbound(StoredMessage& message, const InboundPart& part) {
  Transaction(true, [&] {
    InsertReceived(message);
    SqliteStatement done(db_.get(), std::string("UPDATE inbound_parts SET message_id = ?5 WHERE ") +
                                        kInboundKey + " AND message_id IS NULL");
    BindInboundKey(done, part);
    done.BindInt64(5, message.id);
    done.Run();
  });
}

std::vector<InboundPart> MessageStore::WaitingSince(TimePoint before) const {
  SqliteStatement read(db_.get(), std::string("SELECT ") + kInboundColumns +
                                      " FROM inbound_parts WHERE message_id IS NULL "
                                      "GROUP BY number, reference, total, reference_bits "
                                      "HAVING min(received) <= ? ORDER BY min(received)");
  read.BindText(1, TimeText(before));
  std::vector<InboundPart> parts;
  while (read.Step()) parts.push_back(InboundPartFrom(read));
  return parts;
}

std::optional<TimePoint> MessageStore::OldestWaiting() const {
  SqliteStatement read(db_.get(),
                       "SELECT min(received) FROM inbound_parts WHERE message_id IS NULL");
  if (!read.Step()) return std::nullopt;
  return TimeFrom(read.ColumnText(0));
}

void MessageStore::ForgetInboundBefore(TimePoint before) {
  Transaction(false, [&] {
    SqliteStatement forget(
        db_.get(), "DELETE FROM inbound_parts WHERE message_id IS NOT NULL AND received < ?");
    forget.BindText(1, TimeText(before));
    forget.Run();
  });
}

void MessageStore::SetOptedOut(const std::string& number, bool opted_out, TimePoint now) {
  Transaction(true, [&] {
    SqliteStatement change(db_.get(), opted_out ? "INSERT OR IGNORE INTO opt_outs (number, since) "
                                                  "VALUES (?, ?)"
                                                : "DELETE FROM opt_outs WHERE number = ?");
    change.BindText(1, number);
    if (opted_out) change.BindText(2, TimeText(now));
    change.Run();
  });
}

bool MessageStore::OptedOut(const std::string& number) const {
  SqliteStatement find(db_.get(), "SELECT 1 FROM opt_outs WHERE number = ?");
  find.BindText(1, number);
  return find.Step();
}

std::vector<std::string> MessageStore::OptOuts() const {
  SqliteStatement read(db_.get(), "SELECT number FROM opt_outs ORDER BY number");
  std::vector<std::string> numbers;
  while (read.Step()) numbers.push_back(read.ColumnText(0));
  return numbers;
}

void MessageStore::SetCut(std::int64_t message, int part_count, int reference,
                          const std::string& encoding) {
  Transaction(false, [&] {
    SqliteStatement update(db_.get(),
                           "UPDATE messages SET part_count = ?, reference = ?, encoding = ? "
                           "WHERE id = ?");
    update.BindInt64(1, part_count);
    update.BindInt64(2, reference);
    update.BindText(3, encoding);
    update.BindInt64(4, message);
    update.Run();
    // Only parts never written are added or taken away.
    SqliteStatement drop(
        db_.get(), "DELETE FROM parts WHERE message_id = ? AND idx >= ? AND state = 'queued'");
    drop.BindInt64(1, message);
    drop.BindInt64(2, part_count);
    drop.Run();
    SqliteStatement add(db_.get(),
                        "INSERT OR IGNORE INTO parts (message_id, idx, state) "
                        "VALUES (?, ?, 'queued')");
    for (int i = 0; i < part_count; ++i) {
      add.Reset();
      add.BindInt64(1, message);
      add.BindInt64(2, i);
      add.Run();
    }
  });
}

void MessageStore::MarkWriting(const std::vector<PartKey>& parts, TimePoint now) {
  if (parts.empty()) return;
  Transaction(true, [&] {
    SqliteStatement part(db_.get(),
                         "UPDATE parts SET state = 'writing' WHERE message_id = ? AND idx = ?");
    SqliteStatement message(db_.get(),
                            "UPDATE messages SET state = 'writing', sent = coalesce(sent, ?) "
                            "WHERE id = ? AND state IN ('queued', 'writing', 'accepted')");
    for (const PartKey& key : parts) {
      part.Reset();
      part.BindInt64(1, key.message);
      part.BindInt64(2, key.index);
      part.Run();
      message.Reset();
      message.BindText(1, TimeText(now));
      message.BindInt64(2, key.message);
      message.Run();
    }
  });
}

void MessageStore::SetPart(const PartKey& key, MessageState state, const std::string& ref,
                           const std::string& detail, TimePoint now) {
  Transaction(false, [&] {
    SqliteStatement part(db_.get(),
                         "UPDATE parts SET state = ?, ref = CASE WHEN ? = '' THEN ref ELSE ? END, "
                         "detail = ? WHERE message_id = ? AND idx = ?");
    part.BindText(1, std::string(StateName(state)));
    part.BindText(2, ref);
    part.BindText(3, ref);
    part.BindText(4, detail);
    part.BindInt64(5, key.message);
    part.BindInt64(6, key.index);
    part.Run();
    UpdateMessageState(key.message, now, false);
  });
}

void MessageStore::MarkSent(std::int64_t message, TimePoint now) {
  Transaction(false, [&] {
    SqliteStatement update(db_.get(), "UPDATE messages SET sent = ? WHERE id = ? AND sent IS NULL");
    update.BindText(1, TimeText(now));
    update.BindInt64(2, message);
    update.Run();
  });
}

void MessageStore::EndMessage(std::int64_t message, const std::string& detail, TimePoint now) {
  Transaction(false, [&] {
    SqliteStatement parts(db_.get(),
                          "UPDATE parts SET state = CASE state WHEN 'queued' THEN 'refused' "
                          "ELSE 'unknown' END, detail = ? "
                          "WHERE message_id = ? AND state IN ('queued', 'writing')");
    parts.BindText(1, detail);
    parts.BindInt64(2, message);
    parts.Run();
    SqliteStatement update(db_.get(), "UPDATE messages SET detail = ? WHERE id = ?");
    update.BindText(1, detail);
    update.BindInt64(2, message);
    update.Run();
    UpdateMessageState(message, now, true);
  });
}

void MessageStore::RefuseQueued(std::int64_t message, const std::string& detail, TimePoint now) {
  Transaction(false, [&] {
    SqliteStatement parts(db_.get(),
                          "UPDATE parts SET state = 'refused', detail = ? "
                          "WHERE message_id = ? AND state = 'queued'");
    parts.BindText(1, detail);
    parts.BindInt64(2, message);
    parts.Run();
    // A message that had ended keeps its state and time.
    if (sqlite3_changes(db_.get()) > 0) UpdateMessageState(message, now, true);
  });
}

void MessageStore::UpdateMessageState(std::int64_t message, TimePoint now, bool ended) {
  std::vector<MessageState> states;
  for (const StoredPart& part : Parts(message)) states.push_back(part.state);
  const MessageState state = MessageStateOf(states);
  const bool final = ended || (state != MessageState::kQueued && state != MessageState::kWriting);
  if (!listeners_.empty() && !states.empty()) {
    SqliteStatement before(db_.get(),
                           "SELECT state, coalesce(run_id, 0), number FROM messages "
                           "WHERE id = ? AND direction = 'out'");
    before.BindInt64(1, message);
    if (before.Step() && StateColumn(before, 0) != state) {
      changes_.push_back(
          {message, before.ColumnInt64(1), before.ColumnText(2), StateColumn(before, 0), state});
    }
  }
  // One without parts (a recipient skipped) keeps the state it was added with.
  SqliteStatement update(db_.get(),
                         "UPDATE messages SET state = coalesce(?, state), "
                         "final = CASE WHEN ? THEN ? ELSE final END WHERE id = ?");
  if (!states.empty()) update.BindText(1, std::string(StateName(state)));
  update.BindInt64(2, final ? 1 : 0);
  update.BindText(3, TimeText(now));
  update.BindInt64(4, message);
  update.Run();
}

void MessageStore::EndRun(std::int64_t run, TimePoint now) {
  Transaction(false, [&] {
    SqliteStatement update(db_.get(), "UPDATE runs SET ended = ? WHERE id = ? AND ended IS NULL");
    update.BindText(1, TimeText(now));
    update.BindInt64(2, run);
    update.Run();
  });
}

bool MessageStore::ClaimRun(std::int64_t run, const std::string& from, const std::string& to) {
  bool claimed = false;
  Transaction(true, [&] {
    SqliteStatement update(
        db_.get(), "UPDATE runs SET owner = ? WHERE id = ? AND owner = ? AND ended IS NULL");
    update.BindText(1, to);
    update.BindInt64(2, run);
    update.BindText(3, from);
    update.Run();
    claimed = sqlite3_changes(db_.get()) == 1;
  });
  return claimed;
}

std::optional<PartKey> MessageStore::FindPart(const std::string& transport,
                                              const std::string& ref) const {
  if (ref.empty()) return std::nullopt;
  SqliteStatement find(db_.get(),
                       "SELECT parts.message_id, parts.idx FROM parts "
                       "JOIN messages ON messages.id = parts.message_id "
                       "WHERE parts.ref = ? AND parts.ref <> '' AND messages.transport = ? "
                       "ORDER BY parts.message_id DESC LIMIT 1");
  find.BindText(1, ref);
  find.BindText(2, transport);
  if (!find.Step()) return std::nullopt;
  return PartKey{find.ColumnInt64(0), static_cast<int>(find.ColumnInt64(1))};
}

std::vector<StoredPart> MessageStore::Parts(std::int64_t message) const {
  SqliteStatement read(db_.get(),
                       "SELECT idx, state, ref, detail FROM parts WHERE message_id = ? "
                       "ORDER BY idx");
  read.BindInt64(1, message);
  std::vector<StoredPart> parts;
  while (read.Step()) {
    parts.push_back({static_cast<int>(read.ColumnInt64(0)), StateColumn(read, 1),
                     read.ColumnText(2), read.ColumnText(3)});
  }
  return parts;
}

std::optional<StoredMessage> MessageStore::Message(std::int64_t id) const {
  SqliteStatement read(db_.get(),
                       std::string("SELECT ") + kMessageColumns + " FROM messages WHERE id = ?");
  read.BindInt64(1, id);
  if (!read.Step()) return std::nullopt;
  StoredMessage message = MessageFrom(read);
  message.parts = Parts(id);
  return message;
}

std::vector<StoredRun> MessageStore::OpenRuns() const {
  SqliteStatement read(db_.get(), std::string("SELECT ") + kRunColumns +
                                      " FROM runs WHERE ended IS NULL ORDER BY id");
  std::vector<StoredRun> runs;
  while (read.Step()) runs.push_back(RunFrom(read));
  return runs;
}

std::optional<StoredRun> MessageStore::Run(std::int64_t id) const {
  SqliteStatement read(db_.get(), std::string("SELECT ") + kRunColumns + " FROM runs WHERE id = ?");
  read.BindInt64(1, id);
  if (!read.Step()) return std::nullopt;
  return RunFrom(read);
}

std::vector<StoredMessage> MessageStore::RunMessages(std::int64_t run) const {
  SqliteStatement read(db_.get(), std::string("SELECT ") + kMessageColumns +
                                      " FROM messages WHERE run_id = ? ORDER BY id");
  read.BindInt64(1, run);
  std::vector<StoredMessage> messages;
  while (read.Step()) messages.push_back(MessageFrom(read));
  for (StoredMessage& message : messages) message.parts = Parts(message.id);
  return messages;
}

std::vector<ListedEntry> MessageStore::Newest(bool out, bool in, std::optional<TimePoint> since,
                                              const std::optional<ListedEntry>& after,
                                              int count) const {
  SqliteStatement read(
      db_.get(),
      "SELECT * FROM (SELECT 0 AS incoming, id, created, "
      "(SELECT group_concat(number, char(10)) FROM messages WHERE run_id = runs.id) "
      "FROM runs WHERE ?1 AND created >= ?3 AND (created, 0, id) < (?4, ?5, ?6) "
      "UNION ALL SELECT 1, id, created, number FROM messages "
      "WHERE direction = 'in' AND ?2 AND created >= ?3 AND (created, 1, id) < (?4, ?5, ?6)) "
      "ORDER BY created DESC, incoming DESC, id DESC LIMIT ?7");
  read.BindInt64(1, out ? 1 : 0);
  read.BindInt64(2, in ? 1 : 0);
  read.BindText(3, since ? TimeText(*since) : "");
  // Past every entry when there is no cursor.
  read.BindText(4, after ? TimeText(after->time) : "~");
  read.BindInt64(5, after ? (after->incoming ? 1 : 0) : 2);
  read.BindInt64(6, after ? after->id : 0);
  read.BindInt64(7, count);
  std::vector<ListedEntry> entries;
  while (read.Step()) {
    ListedEntry& entry = entries.emplace_back();
    entry.incoming = read.ColumnInt64(0) != 0;
    entry.id = read.ColumnInt64(1);
    entry.time = TimeFrom(read.ColumnText(2)).value_or(TimePoint{});
    const std::string numbers = read.ColumnText(3);
    for (size_t start = 0; start <= numbers.size();) {
      const size_t end = std::min(numbers.find('\n', start), numbers.size());
      entry.numbers.push_back(numbers.substr(start, end - start));
      start = end + 1;
    }
  }
  return entries;
}

QueuedTally MessageStore::Queued(const std::string& transport) const {
  SqliteStatement count(db_.get(),
                        "SELECT count(*), coalesce(sum(part_count), 0) FROM messages "
                        "WHERE run_id IN (SELECT id FROM runs WHERE ended IS NULL) "
                        "AND transport = ? AND sent IS NULL AND state = 'queued'");
  count.BindText(1, transport);
  count.Step();
  return {static_cast<int>(count.ColumnInt64(0)), static_cast<int>(count.ColumnInt64(1))};
}

std::optional<KeptAnswer> MessageStore::KeptAnswerFor(const std::string& key,
                                                      TimePoint since) const {
  SqliteStatement read(db_.get(),
                       "SELECT fingerprint, status, answer FROM api_requests "
                       "WHERE key = ? AND created >= ?");
  read.BindText(1, key);
  read.BindText(2, TimeText(since));
  if (!read.Step()) return std::nullopt;
  return KeptAnswer{read.ColumnText(0), static_cast<int>(read.ColumnInt64(1)), read.ColumnText(2)};
}

void MessageStore::KeepAnswer(const std::string& key, const KeptAnswer& answer, TimePoint now,
                              TimePoint forget_before) {
  Transaction(true, [&] {
    SqliteStatement forget(db_.get(), "DELETE FROM api_requests WHERE created < ?");
    forget.BindText(1, TimeText(forget_before));
    forget.Run();
    SqliteStatement keep(db_.get(),
                         "INSERT OR REPLACE INTO api_requests (key, fingerprint, status, answer, "
                         "created) VALUES (?, ?, ?, ?, ?)");
    keep.BindText(1, key);
    keep.BindText(2, answer.fingerprint);
    keep.BindInt64(3, answer.status);
    keep.BindText(4, answer.answer);
    keep.BindText(5, TimeText(now));
    keep.Run();
  });
}

int MessageStore::PartsSentSince(const std::string& transport, TimePoint since) const {
  SqliteStatement count(db_.get(),
                        "SELECT coalesce(sum(part_count), 0) FROM messages "
                        "WHERE transport = ? AND sent IS NOT NULL AND sent >= ?");
  count.BindText(1, transport);
  count.BindText(2, TimeText(since));
  count.Step();
  return static_cast<int>(count.ColumnInt64(0));
}

void MessageStore::AddWebhookEvent(WebhookEvent& event) {
  Transaction(false, [&] {
    SqliteStatement add(db_.get(),
                        "INSERT INTO webhook_events (type, message_id, recipient, created, "
                        "attempts, next_attempt, state) VALUES (?, ?, ?, ?, ?, ?, ?)");
    add.BindText(1, event.type);
    add.BindText(2, event.message_id);
    add.BindText(3, event.recipient);
    add.BindText(4, TimeText(event.created));
    add.BindInt64(5, event.attempts);
    add.BindText(6, TimeText(event.next_attempt));
    add.BindText(7, WebhookStateName(event.state));
    add.Run();
    event.id = sqlite3_last_insert_rowid(db_.get());
  });
}

std::optional<WebhookEvent> MessageStore::NextWebhookEvent() const {
  SqliteStatement read(db_.get(),
                       "SELECT id, type, message_id, recipient, created, attempts, next_attempt "
                       "FROM webhook_events AS e WHERE state = 'pending' AND NOT EXISTS ("
                       "SELECT 1 FROM webhook_events AS o WHERE o.state = 'pending' "
                       "AND o.message_id = e.message_id AND o.id < e.id) "
                       "ORDER BY next_attempt, id LIMIT 1");
  if (!read.Step()) return std::nullopt;
  return WebhookEvent{.id = read.ColumnInt64(0),
                      .type = read.ColumnText(1),
                      .message_id = read.ColumnText(2),
                      .recipient = read.ColumnText(3),
                      .created = TimeFrom(read.ColumnText(4)).value_or(TimePoint{}),
                      .attempts = static_cast<int>(read.ColumnInt64(5)),
                      .next_attempt = TimeFrom(read.ColumnText(6)).value_or(TimePoint{})};
}

void MessageStore::UpdateWebhookEvent(const WebhookEvent& event) {
  Transaction(false, [&] {
    SqliteStatement update(db_.get(),
                           "UPDATE webhook_events SET attempts = ?, next_attempt = ?, state = ? "
                           "WHERE id = ?");
    update.BindInt64(1, event.attempts);
    update.BindText(2, TimeText(event.next_attempt));
    update.BindText(3, WebhookStateName(event.state));
    update.BindInt64(4, event.id);
    update.Run();
  });
}

std::int64_t MessageStore::MessageCount() const {
  SqliteStatement count(db_.get(), "SELECT count(*) FROM messages");
  count.Step();
  return count.ColumnInt64(0);
}

}  // namespace tolvane
