#ifndef TOLVANE_PLATFORM_SQLITE_RECORD_CURSOR_H_
#define TOLVANE_PLATFORM_SQLITE_RECORD_CURSOR_H_

#include <cstdint>
#include <deque>
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
// rowid), a copy of the current record and the records after it read in the
// same go, and asks the table again whenever this connection has written
// since, so it sees whatever was written meanwhile. Reading ahead keeps a walk
// over a big table from costing one query (and one lock of the file) a record.
// A write by another process shows from the cursor's next read of the table.
class SqliteRecordCursor : public RecordCursor {
 public:
  // Throws kStoreErrorTableNotFound for a missing table.
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
  using Values = std::vector<std::string>;
  struct Row {
    std::int64_t rowid = 0;
    Values values;
  };
  enum class Pending { kNone, kAddNew, kEdit };

  sqlite3* Db() const;
  // Runs a query for rows of "rowid, *": the first becomes current, or the
  // cursor goes to the end when there is none; the others are kept for the
  // following moves.
  void Load(SqliteStatement& query);
  void MakeCurrent(Row row);
  // The rows read ahead are still what the table holds.
  bool AheadValid() const;
  const Values& CurrentRecord() const;
  void CheckOpen() const;

  std::shared_ptr<sqlite3> db_;
  std::string quoted_table_;
  std::unique_ptr<SqliteStatement> first_;
  std::unique_ptr<SqliteStatement> next_;
  std::unique_ptr<SqliteStatement> seek_;
  std::unique_ptr<SqliteStatement> reload_;

  bool has_key_ = false;  // the table has the NamnKey column
  bool bof_ = false;
  bool eof_ = false;
  // The place: the current record's rowid, kept after it is deleted so that
  // MoveNext finds the one after it.
  std::optional<std::int64_t> rowid_;
  std::optional<Values> record_;      // empty after Delete or at either end
  std::vector<std::string> columns_;  // the field names of record_'s values
  std::deque<Row> ahead_;
  std::int64_t changes_when_read_ = 0;  // the connection's write count then

  Pending pending_ = Pending::kNone;
  std::vector<std::pair<std::string, std::string>> changes_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_SQLITE_RECORD_CURSOR_H_
