#ifndef TOLVANE_INBOX_CONVERSATION_NAMES_H_
#define TOLVANE_INBOX_CONVERSATION_NAMES_H_

#include <optional>
#include <string>
#include <unordered_map>

#include "platform/phone_book_store.h"

namespace tolvane {

// The phone book's names by number, for numbers as the store keeps them
// ("+46701234567" for a received message). A number written in the phone
// book without its country ("070-123 45 67") is found by the digits after its
// leading zeros at the end of an international one.
class ConversationNames {
 public:
  // Reads every person of the phone book again when it changed since the
  // last read or is another store; none without one, or when it cannot be
  // read.
  const ConversationNames& Update(PhoneBookStore* store);
  // The name for `number`, or "" when nobody has it.
  std::string NameOf(const std::string& number) const;

 private:
  std::unordered_map<std::string, std::string> by_number_;
  // By the national digits (without leading zeros) of numbers written
  // without their country.
  std::unordered_map<std::string, std::string> by_national_;
  // What the names were read from; nothing read yet when empty.
  PhoneBookStore* source_ = nullptr;
  std::optional<PhoneBookRevision> revision_;
};

}  // namespace tolvane

#endif  // TOLVANE_INBOX_CONVERSATION_NAMES_H_
