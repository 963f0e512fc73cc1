#include "platform/sqlite_phone_book_store.h"

#include <sqlite3.h>
#include <strings.h>

#include <filesystem>

#include "platform/name_key.h"
#include "platform/sqlite_name_keys.h"
#include "platform/sqlite_record_cursor.h"
#include "platform/sqlite_statement.h"

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
              text_field(kFieldOperator, kOperatorSize) + ", " + NameKeyColumnSql() +
              ", CONSTRAINT \"NamnIdx\" UNIQUE (" + QuoteSqlIdentifier(kFieldNamn) + "))")
      .Run();
  AddNameKeyRules(db, table);
}

// Runs `change` as one transaction: all of it or nothing.
template <typename Change>
void RunAllOrNothing(sqlite3* db, Change change) {
  SqliteStatement(db, "SAVEPOINT whole").Run();
  try {
    change();
    SqliteStatement(db, "RELEASE whole").Run();
  } catch (...) {
    // A full disk at the commit may have made SQLite end the transaction
    // itself; the first error is the one to report.
    if (!sqlite3_get_autocommit(db)) {
      try {
        SqliteStatement(db, "ROLLBACK TO whole").Run();
        SqliteStatement(db, "RELEASE whole").Run();
      } catch (const StoreError&) {
      }
    }
    throw;
  }
}

}  // namespace

void SqlitePhoneBookStore::Open(const std::string& path) {
  db_ = OpenConnection(path, SQLITE_OPEN_READWRITE);
  ++opened_;
  clashes_.clear();
  // A table that cannot be brought up to date (a file that cannot be written)
  // keeps working as it is.
  for (const TableInfo& table : Tables()) {
    if (table.attributes & kSystemTableAttributes) continue;
    std::vector<NameClash> clashes;
    try {
      RunAllOrNothing(db_.get(), [&] { KeepNameKeys(db_.get(), table.name, clashes); });
      clashes_.insert(clashes_.end(), clashes.begin(), clashes.end());
    } catch (const StoreError&) {
    }
  }
}

PhoneBookRevision SqlitePhoneBookStore::Revision() {
  // data_version moves with every commit of another connection; this one's
  // own writes (cursors included) are counted by total_changes.
  SqliteStatement version(Db(), "PRAGMA data_version");
  version.Step();
  return {opened_, version.ColumnInt64(0), sqlite3_total_changes64(Db())};
}

std::string SqlitePhoneBookStore::StoredName(const std::string& table) {
  const std::string key = NameKey(table);
  for (const TableInfo& info : Tables()) {
    if (NameKey(info.name) == key) return info.name;
  }
  return table;
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
  return std::make_unique<SqliteRecordCursor>(db_, StoredName(table));
}

void SqlitePhoneBookStore::CreateTable(const std::string& table) {
  // SQLite folds only ASCII letters in table names; a group's name is the
  // same name in any letter case, as a person's is.
  if (StoredName(table) != table) {
    throw StoreError(kStoreErrorTableExists, "table " + table + " already exists");
  }
  RunAllOrNothing(Db(), [&] { CreatePhoneBookTable(db_.get(), table); });
}

void SqlitePhoneBookStore::DeleteTable(const std::string& table) {
  SqliteStatement(Db(), "DROP TABLE " + QuoteSqlIdentifier(StoredName(table))).Run();
}

void SqlitePhoneBookStore::AllOrNothing(const std::function<void()>& change) {
  RunAllOrNothing(Db(), change);
}

void SqlitePhoneBookStore::CreateEmptyDatabase(const std::string& path) {
  if (std::filesystem::exists(path)) {
    throw StoreError(kStoreErrorOther, path + " already exists");
  }
  std::shared_ptr<sqlite3> db = OpenConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  CreatePhoneBookTable(db.get(), kPhoneBookTable);
}

}  // namespace tolvane
