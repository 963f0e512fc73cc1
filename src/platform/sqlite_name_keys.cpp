#include "platform/sqlite_name_keys.h"

#include <strings.h>

#include <cstdint>
#include <map>

#include "platform/name_key.h"
#include "platform/sqlite_statement.h"

namespace tolvane {
namespace {

// Index and trigger names are database-wide, hence the table's name in them.
std::string KeyIndexName(const std::string& table) { return table + ":NamnKeyIdx"; }
std::string StaleTriggerName(const std::string& table) { return table + ":NamnKeyStale"; }

bool InSchema(sqlite3* db, const std::string& name) {
  SqliteStatement query(db, "SELECT 1 FROM sqlite_schema WHERE name = ?1");
  query.BindText(1, name);
  return query.Step();
}

// Earlier versions kept names unique through an index on their own SQL
// function, which other tools do not know.
void DropFunctionIndexes(sqlite3* db, const std::string& table) {
  std::vector<std::string> indexes;
  {
    SqliteStatement query(db,
                          "SELECT name FROM sqlite_schema WHERE type = 'index' AND tbl_name = ?1 "
                          "AND sql LIKE '%tolvane_upper(%'");
    query.BindText(1, table);
    while (query.Step()) indexes.push_back(query.ColumnText(0));
  }
  for (const std::string& index : indexes) {
    SqliteStatement(db, "DROP INDEX " + QuoteSqlIdentifier(index)).Run();
  }
}

struct Keyless {
  std::int64_t rowid;
  std::string name;  // UTF-8
  bool clashes = false;
};

// Gives each record without a key its key, in one read and one write per
// such record (after a migration that is every record, once).
void FillKeys(sqlite3* db, const std::string& table, std::vector<NameClash>& clashes) {
  const std::string quoted = QuoteSqlIdentifier(table);
  const std::string key = QuoteSqlIdentifier(kFieldNamnKey);
  std::vector<Keyless> keyless;
  std::map<std::string, size_t> first_of_key;
  std::vector<std::string> keys;
  auto clash = [&](const std::string& name, const std::string& other) {
    clashes.push_back({table, name, other});
  };
  {
    SqliteStatement query(db, "SELECT rowid, " + QuoteSqlIdentifier(kFieldNamn) + " FROM " +
                                  quoted + " WHERE " + key + " IS NULL AND " +
                                  QuoteSqlIdentifier(kFieldNamn) + " IS NOT NULL ORDER BY rowid");
    while (query.Step()) {
      keyless.push_back({query.ColumnInt64(0), query.ColumnText(1)});
      keys.push_back(NameKey(keyless.back().name));
      auto [first, added] = first_of_key.emplace(keys.back(), keyless.size() - 1);
      if (!added) {
        // Neither of two new records is preferred to the other.
        keyless[first->second].clashes = true;
        keyless.back().clashes = true;
        clash(keyless[first->second].name, keyless.back().name);
      }
    }
  }
  if (keyless.empty()) return;
  SqliteStatement fill(db, "UPDATE " + quoted + " SET " + key + " = ?1 WHERE rowid = ?2");
  SqliteStatement holder(db, "SELECT " + QuoteSqlIdentifier(kFieldNamn) + " FROM " + quoted +
                                 " WHERE " + key + " = ?1");
  for (size_t i = 0; i < keyless.size(); ++i) {
    if (keyless[i].clashes) continue;
    fill.BindText(1, keys[i]);
    fill.BindInt64(2, keyless[i].rowid);
    try {
      fill.Run();
    } catch (const StoreError& error) {
      if (error.number() != kStoreErrorDuplicateKey) throw;
      holder.BindText(1, keys[i]);
      if (holder.Step()) clash(holder.ColumnText(0), keyless[i].name);
      holder.Reset();
    }
    fill.Reset();
  }
}

}  // namespace

std::string NameKeyColumnSql() { return QuoteSqlIdentifier(kFieldNamnKey) + " TEXT"; }

void AddNameKeyRules(sqlite3* db, const std::string& table) {
  const std::string quoted = QuoteSqlIdentifier(table);
  const std::string key = QuoteSqlIdentifier(kFieldNamnKey);
  const std::string namn = QuoteSqlIdentifier(kFieldNamn);
  SqliteStatement(db, "CREATE UNIQUE INDEX IF NOT EXISTS " +
                          QuoteSqlIdentifier(KeyIndexName(table)) + " ON " + quoted + " (" + key +
                          ")")
      .Run();
  // A rename that leaves the key as it was makes it stale; emptied, the key
  // is filled anew when the program next opens the database.
  SqliteStatement(db, "CREATE TRIGGER IF NOT EXISTS " +
                          QuoteSqlIdentifier(StaleTriggerName(table)) + " AFTER UPDATE OF " + namn +
                          " ON " + quoted + " WHEN NEW." + key + " IS OLD." + key + " AND NEW." +
                          namn + " IS NOT OLD." + namn + " BEGIN UPDATE " + quoted + " SET " + key +
                          " = NULL WHERE rowid = NEW.rowid; END")
      .Run();
}

bool HasField(sqlite3* db, const std::string& table, const char* field) {
  SqliteStatement columns(db, "SELECT name FROM pragma_table_info(?1)");
  columns.BindText(1, table);
  while (columns.Step()) {
    if (strcasecmp(columns.ColumnText(0).c_str(), field) == 0) return true;
  }
  return false;
}

void KeepNameKeys(sqlite3* db, const std::string& table, std::vector<NameClash>& clashes) {
  if (!HasField(db, table, kFieldNamn)) return;
  DropFunctionIndexes(db, table);
  if (!HasField(db, table, kFieldNamnKey)) {
    SqliteStatement(
        db, "ALTER TABLE " + QuoteSqlIdentifier(table) + " ADD COLUMN " + NameKeyColumnSql())
        .Run();
  }
  if (!InSchema(db, KeyIndexName(table)) || !InSchema(db, StaleTriggerName(table))) {
    AddNameKeyRules(db, table);
  }
  FillKeys(db, table, clashes);
}

}  // namespace tolvane
