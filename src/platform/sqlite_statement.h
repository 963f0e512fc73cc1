#ifndef TOLVANE_PLATFORM_SQLITE_STATEMENT_H_
#define TOLVANE_PLATFORM_SQLITE_STATEMENT_H_

#include <cstdint>
#include <string>

#include "platform/store_error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tolvane {

// One prepared SQLite statement. Texts going in and coming out are UTF-8, as
// the database holds them. Failures throw StoreError.
class SqliteStatement {
 public:
  // sql is UTF-8 (names in it quoted with QuoteSqlIdentifier).
  SqliteStatement(sqlite3* db, const std::string& sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Makes the statement ready to run again, with no values bound.
  void Reset();
  // Parameters count from 1; text is UTF-8, as SQLite keeps it.
  void BindText(int index, const std::string& text);
  void BindInt64(int index, std::int64_t value);
  // Runs to the next row: false when there is none.
  bool Step();
  // Runs to the end, for statements without rows.
  void Run();

  int ColumnCount() const;
  std::string ColumnName(int column) const;
  // NULL reads as "".
  std::string ColumnText(int column) const;
  std::int64_t ColumnInt64(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

// The engine's error number for a failed SQLite call.
StoreError SqliteStoreError(sqlite3* db, int result_code);

// A table or field name as an SQL identifier: in double quotes,
// its own double quotes doubled, so a name can never end the identifier.
std::string QuoteSqlIdentifier(const std::string& name);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_SQLITE_STATEMENT_H_
