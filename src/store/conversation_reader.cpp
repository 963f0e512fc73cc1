#include "store/conversation_reader.h"

#include <sqlite3.h>

#include "platform/sqlite_statement.h"
#include "store/message_rows.h"

namespace tolvane {

namespace {

// The list groups by number in time order and counts the unread without
// reading the table.
constexpr const char* kIndexes =
    "CREATE INDEX IF NOT EXISTS messages_conversation ON messages(number, created, unread)";

// The messages a conversation may lose: received ones and those of ended runs.
constexpr const char* kDeletable =
    "number = ? AND (run_id IS NULL OR run_id IN (SELECT id FROM runs WHERE ended IS NOT NULL))";

std::vector<StoredMessage> MessagesOf(SqliteStatement& query) {
  std::vector<StoredMessage> messages;
  while (query.Step()) messages.push_back(MessageFrom(query));
  return messages;
}

int CountOf(SqliteStatement& query) {
  query.Step();
  return static_cast<int>(query.ColumnInt64(0));
}

// `text` as a LIKE pattern that finds it anywhere, its own % and _ literal.
std::string Containing(const std::string& text) {
  std::string pattern = "%";
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + "%";
}

}  // namespace

ConversationReader::ConversationReader(const std::string& path) : db_(nullptr, sqlite3_close_v2) {
  sqlite3* raw = nullptr;
  const int result = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  db_.reset(raw);
  if (result != SQLITE_OK) throw SqliteStoreError(db_.get(), result);
  sqlite3_extended_result_codes(db_.get(), 1);
  sqlite3_busy_timeout(db_.get(), kStoreBusyTimeoutMs);
  // A read mark or a deletion need not wait for the disk: one lost to a
  // power cut is done again by the user.
  ExecSql(db_.get(), "PRAGMA synchronous=NORMAL");
  ExecSql(db_.get(), kIndexes);
}

ConversationReader::~ConversationReader() = default;

int ConversationReader::ConversationCount() const {
  SqliteStatement query(db_.get(), "SELECT COUNT(DISTINCT number) FROM messages");
  return CountOf(query);
}

std::vector<Conversation> ConversationReader::Conversations(int offset, int limit) const {
  SqliteStatement query(
      db_.get(),
      "SELECT c.number, c.unread, c.last, (SELECT text FROM messages m WHERE m.number = c.number "
      "ORDER BY created DESC, id DESC LIMIT 1), "
      // A send to a number typed in, or to a group's member not in the
      // phone book, keeps the window's word for it, not a person's name.
      "(SELECT name FROM messages m WHERE m.number = c.number "
      "AND name NOT IN ('', 'Temporary number', 'Group') "
      "ORDER BY created DESC, id DESC LIMIT 1) "
      "FROM (SELECT number, MAX(created) AS last, SUM(unread) AS unread FROM messages "
      "GROUP BY number ORDER BY last DESC, number LIMIT ? OFFSET ?) c "
      "ORDER BY c.last DESC, c.number");
  query.BindInt64(1, limit);
  query.BindInt64(2, offset);
  std::vector<Conversation> conversations;
  while (query.Step()) {
    Conversation& conversation = conversations.emplace_back();
    conversation.number = query.ColumnText(0);
    conversation.unread = static_cast<int>(query.ColumnInt64(1));
    conversation.last_time = TimeFrom(query.ColumnText(2)).value_or(TimePoint{});
    const std::string text = query.ColumnText(3);
    conversation.last_line = text.substr(0, text.find_first_of("\r\n"));
    conversation.name = query.ColumnText(4);
  }
  return conversations;
}

int ConversationReader::MessageCount(const std::string& number) const {
  SqliteStatement query(db_.get(), "SELECT COUNT(*) FROM messages WHERE number = ?");
  query.BindText(1, number);
  return CountOf(query);
}

std::vector<StoredMessage> ConversationReader::Messages(const std::string& number, int offset,
                                                        int limit) const {
  SqliteStatement query(db_.get(), std::string("SELECT ") + kMessageColumns +
                                       " FROM messages WHERE number = ? "
                                       "ORDER BY created, id LIMIT ? OFFSET ?");
  query.BindText(1, number);
  query.BindInt64(2, limit);
  query.BindInt64(3, offset);
  return MessagesOf(query);
}

std::vector<StoredMessage> ConversationReader::Search(const std::string& text, int limit) const {
  SqliteStatement query(db_.get(), std::string("SELECT ") + kMessageColumns +
                                       " FROM messages WHERE text LIKE ?1 ESCAPE '\\' "
                                       "OR number LIKE ?1 ESCAPE '\\' OR name LIKE ?1 ESCAPE '\\' "
                                       "ORDER BY created DESC, id DESC LIMIT ?2");
  query.BindText(1, Containing(text));
  query.BindInt64(2, limit);
  return MessagesOf(query);
}

int ConversationReader::UnreadTotal() const {
  SqliteStatement query(db_.get(), "SELECT COUNT(*) FROM messages WHERE unread = 1");
  return CountOf(query);
}

void ConversationReader::MarkRead(const std::string& number) {
  SqliteStatement update(db_.get(),
                         "UPDATE messages SET unread = 0 WHERE number = ? AND unread = 1");
  update.BindText(1, number);
  update.Run();
}

void ConversationReader::Delete(const std::string& number) {
  ExecSql(db_.get(), "BEGIN IMMEDIATE");
  try {
    SqliteStatement parts(db_.get(), std::string("DELETE FROM parts WHERE message_id IN "
                                                 "(SELECT id FROM messages WHERE ") +
                                         kDeletable + ")");
    parts.BindText(1, number);
    parts.Run();
    SqliteStatement messages(db_.get(), std::string("DELETE FROM messages WHERE ") + kDeletable);
    messages.BindText(1, number);
    messages.Run();
    ExecSql(db_.get(), "COMMIT");
  } catch (...) {
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace tolvane
