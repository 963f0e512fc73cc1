#include "platform/sqlite_statement.h"

#include <sqlite3.h>

#include "text/utf8.h"

namespace tolvane {

SqliteStatement::SqliteStatement(sqlite3* db, const std::string& sql) : db_(db) {
  int result =
      sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr);
  if (result != SQLITE_OK) throw SqliteStoreError(db_, result);
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

void SqliteStatement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

void SqliteStatement::BindText(int index, const std::string& text) {
  int result = sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                                 SQLITE_TRANSIENT);
  if (result != SQLITE_OK) throw SqliteStoreError(db_, result);
}

void SqliteStatement::BindInt64(int index, std::int64_t value) {
  int result = sqlite3_bind_int64(statement_, index, value);
  if (result != SQLITE_OK) throw SqliteStoreError(db_, result);
}

bool SqliteStatement::Step() {
  int result = sqlite3_step(statement_);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  // Leave the statement reusable; the error code stays readable on the
  // connection until the next call.
  StoreError error = SqliteStoreError(db_, result);
  sqlite3_reset(statement_);
  throw error;
}

void SqliteStatement::Run() {
  while (Step()) {
  }
}

int SqliteStatement::ColumnCount() const { return sqlite3_column_count(statement_); }

std::string SqliteStatement::ColumnName(int column) const {
  const char* name = sqlite3_column_name(statement_, column);
  return name == nullptr ? std::string() : SanitiseUtf8(name);
}

std::string SqliteStatement::ColumnText(int column) const {
  const unsigned char* text = sqlite3_column_text(statement_, column);
  if (text == nullptr) return std::string();
  int size = sqlite3_column_bytes(statement_, column);
  // Another program may have stored bytes that are not UTF-8.
  return SanitiseUtf8(std::string_view(reinterpret_cast<const char*>(text), size));
}

std::int64_t SqliteStatement::ColumnInt64(int column) const {
  return sqlite3_column_int64(statement_, column);
}

StoreError SqliteStoreError(sqlite3* db, int result_code) {
  std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(result_code);
  int extended = db != nullptr ? sqlite3_extended_errcode(db) : result_code;
  int number = kStoreErrorOther;
  if (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY) {
    number = kStoreErrorDuplicateKey;
  } else if ((extended & 0xff) == SQLITE_FULL) {
    number = kStoreErrorDiskFull;
  } else if ((extended & 0xff) == SQLITE_NOTADB) {
    number = kStoreErrorUnrecognizedFormat;
  } else if ((extended & 0xff) == SQLITE_ERROR) {
    // SQLite tells these apart only by its message.
    // A table's name may also be taken by another table's index.
    if ((message.starts_with("table ") && message.ends_with(" already exists")) ||
        message.starts_with("there is already a")) {
      number = kStoreErrorTableExists;
    } else if (message.starts_with("no such table")) {
      number = kStoreErrorTableNotFound;
    }
  }
  return StoreError(number, message);
}

std::string QuoteSqlIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace tolvane
