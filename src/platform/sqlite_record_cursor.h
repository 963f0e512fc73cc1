#ifndef TOLVANE_PLATFORM_SQLITE_RECORD_CURSOR_H_
#define TOLVANE_PLATFORM_SQLITE_RECORD_CURSOR_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/record_cursor.h"
#include "platform/sqlite_statement.h"

struct sqlite3;

namespace tolvane {

// A cursor on an SQLite table in rowid order. It holds only its place (a
// rowid) and a copy of the current record, and asks the table for the next
// record at every move, so it sees whatever was written meanwhile.
class SqliteRecordCursor : public RecordCursor {
 public:
  // table is 8-bit. Throws kStoreErrorTableNotFound for a missing table.
  SqliteRecordCursor(std::shared_ptr<sqlite3> db, const std::string& table);

  bool Bof() const override { return bof_; }
  bool Eof() const override { return eof_; }
  void MoveFirst() override;
  void MoveNext() override;
  bool SeekName(const std::string& name) override;
  std::string Field(const std::string& name) const override;
  void AddNew() override;
  void Edit() override;
  void SetField(const std::string& name, const std::string& value) override;
  void Update() override;
  void Delete() override;
  void Close() override;

 private:
  using Fields = std::vector<std::pair<std::string, std::string>>;
  enum class Pending { kNone, kAddNew, kEdit };

  sqlite3* Db() const;
  // Runs a query for one row ("rowid, *"): the row becomes current, or the
  // cursor goes to the end when there is none.
  void Load(SqliteStatement& query);
  const Fields& CurrentRecord() const;
  void CheckOpen() const;

  std::shared_ptr<sqlite3> db_;
  std::string quoted_table_;
  std::unique_ptr<SqliteStatement> first_;
  std::unique_ptr<SqliteStatement> next_;
  std::unique_ptr<SqliteStatement> seek_;
  std::unique_ptr<SqliteStatement> reload_;

  bool bof_ = false;
  bool eof_ = false;
  // The place: the current record's rowid, kept after it is deleted so that
  // MoveNext finds the one after it.
  std::optional<std::int64_t> rowid_;
  std::optional<Fields> record_;  // empty after Delete or at either end

  Pending pending_ = Pending::kNone;
  Fields changes_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_SQLITE_RECORD_CURSOR_H_
