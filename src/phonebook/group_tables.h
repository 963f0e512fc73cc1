#ifndef TOLVANE_PHONEBOOK_GROUP_TABLES_H_
#define TOLVANE_PHONEBOOK_GROUP_TABLES_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/phone_book_store.h"

namespace tolvane {

// A group is a table of its own beside Telelist, holding copies of phone-book
// records. These read the groups of a store; failures throw StoreError.

// At most this many members in a group, and numbers in a list-driven run.
inline constexpr int kMaxGroupMembers = 40;

// Every table that is neither the database's own nor Telelist, in the
// database's order.
std::vector<std::string> GroupNames(PhoneBookStore& store);

// The group whose name is the same name as `name` (NameKey), as the
// database compares names.
std::optional<std::string> FindGroup(PhoneBookStore& store, const std::string& name);

// The members' names in table order.
std::vector<std::string> MemberNames(PhoneBookStore& store, const std::string& group);

}  // namespace tolvane

#endif  // TOLVANE_PHONEBOOK_GROUP_TABLES_H_
