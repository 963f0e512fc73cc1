#ifndef TOLVANE_PLATFORM_SQLITE_NAME_KEYS_H_
#define TOLVANE_PLATFORM_SQLITE_NAME_KEYS_H_

#include <string>
#include <vector>

#include "platform/phone_book_store.h"

struct sqlite3;

namespace tolvane {

// Names are unique without regard to letter case through plain SQL, so that
// any SQLite tool can write the phone book: each table has the column NamnKey
// holding NameKey(Namn), with a unique index on it, and a trigger that
// empties the key when a writer renames a record without setting it. The
// program fills every empty key when it opens the database.

// The column definition for a new table's CREATE TABLE.
std::string NameKeyColumnSql();

// Adds the index and the trigger to a table that has the column.
void AddNameKeyRules(sqlite3* db, const std::string& table);

// Whether `table` has the field `field` (letter case of ASCII ignored).
bool HasField(sqlite3* db, const std::string& table, const char* field);

// Brings a table with a Namn field up to date: drops the name index of
// earlier versions, which needed the program's own SQL function; adds the
// column, index and trigger where missing; and gives every record without a
// key its key. A record whose key another one holds stays without; the pair
// is appended to `clashes`. Failures throw StoreError.
void KeepNameKeys(sqlite3* db, const std::string& table, std::vector<NameClash>& clashes);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_SQLITE_NAME_KEYS_H_
