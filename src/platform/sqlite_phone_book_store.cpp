#include "platform/sqlite_phone_book_store.h"

#include <sqlite3.h>
#include <strings.h>

#include <filesystem>

#include "platform/sqlite_record_cursor.h"
#include "platform/sqlite_statement.h"
#include "platform/text_codec.h"

namespace tolvane {

namespace {

// Another copy of the program (a command-line run) may be writing for a moment.
constexpr int kBusyTimeoutMs = 5000;

std::shared_ptr<sqlite3> OpenConnection(const std::string& path, int flags) {
  sqlite3* raw = nullptr;
  int result = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  // close_v2 waits for the statements of cursors that outlive the store.
  std::shared_ptr<sqlite3> db(raw, sqlite3_close_v2);
  if (result != SQLITE_OK) {
    if (!std::filesystem::exists(path)) {
      throw StoreError(kStoreErrorFileNotFound, "cannot find " + path);
    }
    throw SqliteStoreError(db.get(), result);
  }
  sqlite3_extended_result_codes(db.get(), 1);
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  // SQLite reads the file lazily; find a file that is no database now.
  SqliteStatement(db.get(), "SELECT count(*) FROM sqlite_schema").Run();
  return db;
}

void CreatePhoneBookTable(sqlite3* db, const std::string& table) {
  auto text_field = [](const char* name, int size) {
    std::string quoted = QuoteSqlIdentifier(name);
    return quoted + " TEXT CHECK (length(" + quoted + ") <= " + std::to_string(size) + ")";
  };
  // SQLite index names are database-wide, so the per-table NamnIdx is the
  // table's own unique constraint (backed by an index).
  SqliteStatement(
      db, "CREATE TABLE " + QuoteSqlIdentifier(table) + " (" + text_field(kFieldNamn, kNamnSize) +
              ", " + text_field(kFieldTelenummer, kTelenummerSize) + ", " +
              text_field(kFieldOperator, kOperatorSize) + ", CONSTRAINT \"NamnIdx\" UNIQUE (" +
              QuoteSqlIdentifier(kFieldNamn) + "))")
      .Run();
}

}  // namespace

void SqlitePhoneBookStore::Open(const std::string& path) {
  db_ = OpenConnection(path, SQLITE_OPEN_READWRITE);
}

sqlite3* SqlitePhoneBookStore::Db() const {
  if (db_ == nullptr) throw StoreError(kStoreErrorOther, "the phone-book database is not open");
  return db_.get();
}

std::vector<TableInfo> SqlitePhoneBookStore::Tables() {
  SqliteStatement query(Db(), "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY rowid");
  std::vector<TableInfo> tables;
  while (query.Step()) {
    TableInfo table{query.ColumnText(0), 0};
    // SQLite keeps its own tables under this prefix, in any case.
    if (strncasecmp(table.name.c_str(), "sqlite_", 7) == 0) {
      table.attributes = kSystemTableAttributes;
    }
    tables.push_back(std::move(table));
  }
  return tables;
}

std::unique_ptr<RecordCursor> SqlitePhoneBookStore::OpenCursor(const std::string& table) {
  Db();
  return std::make_unique<SqliteRecordCursor>(db_, table);
}

void SqlitePhoneBookStore::CreateTable(const std::string& table) {
  // SQLite folds only ASCII letters in names; the phone book's names are the
  // same table in any letter case of the code page ("V\xC4NNER", "V\xE4nner").
  const std::string upper = Cp1252Upper(table);
  for (const TableInfo& existing : Tables()) {
    if (Cp1252Upper(existing.name) == upper) {
      throw StoreError(kStoreErrorTableExists, "table " + existing.name + " already exists");
    }
  }
  CreatePhoneBookTable(Db(), table);
}

void SqlitePhoneBookStore::DeleteTable(const std::string& table) {
  SqliteStatement(Db(), "DROP TABLE " + QuoteSqlIdentifier(table)).Run();
}

void SqlitePhoneBookStore::CreateEmptyDatabase(const std::string& path) {
  if (std::filesystem::exists(path)) {
    throw StoreError(kStoreErrorOther, path + " already exists");
  }
  std::shared_ptr<sqlite3> db = OpenConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  CreatePhoneBookTable(db.get(), kPhoneBookTable);
}

}  // namespace tolvane
