#ifndef TOLVANE_STORE_CONVERSATION_READER_H_
#define TOLVANE_STORE_CONVERSATION_READER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/stored_records.h"

struct sqlite3;

namespace tolvane {

// One other party: every message to or from one number.
struct Conversation {
  std::string number;
  // The phone-book name the newest message that had one was stored with.
  std::string name;
  // The first line of the newest message, and when it was stored.
  std::string last_line;
  TimePoint last_time;
  int unread = 0;
};

// The messages of the store as conversations, read through a connection of
// its own (the WAL journal lets it read while MessageStore writes). Besides
// reading it only marks messages read and deletes conversations. Failures
// throw StoreError.
class ConversationReader {
 public:
  // Opens the store MessageStore created at `path`.
  explicit ConversationReader(const std::string& path);
  ~ConversationReader();
  ConversationReader(const ConversationReader&) = delete;
  ConversationReader& operator=(const ConversationReader&) = delete;

  int ConversationCount() const;
  // Newest first, `limit` of them from `offset`.
  std::vector<Conversation> Conversations(int offset, int limit) const;
  int MessageCount(const std::string& number) const;
  // The conversation's messages in the order they were stored, without parts.
  std::vector<StoredMessage> Messages(const std::string& number, int offset, int limit) const;
  // Messages whose text, number or name holds `text` (letter case ignored
  // for A-Z), newest first.
  std::vector<StoredMessage> Search(const std::string& text, int limit) const;
  // Unread messages, in all conversations.
  int UnreadTotal() const;
  void MarkRead(const std::string& number);
  // Deletes the conversation's messages with their parts, except those of a
  // run still open, which may yet be sent or continued.
  void Delete(const std::string& number);

 private:
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> db_;
};

}  // namespace tolvane

#endif  // TOLVANE_STORE_CONVERSATION_READER_H_
