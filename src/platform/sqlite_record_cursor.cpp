#include "platform/sqlite_record_cursor.h"

#include <sqlite3.h>
#include <strings.h>

#include <algorithm>

#include "platform/name_key.h"
#include "platform/phone_book_store.h"
#include "platform/sqlite_name_keys.h"

namespace tolvane {

namespace {

// Field names compare as the database compares them: ignoring ASCII case.
bool SameFieldName(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// Records read in one query while walking the table.
constexpr int kReadAhead = 256;

}  // namespace

SqliteRecordCursor::SqliteRecordCursor(std::shared_ptr<sqlite3> db, const std::string& table)
    : db_(std::move(db)), quoted_table_(QuoteSqlIdentifier(table)) {
  const std::string select = "SELECT rowid, * FROM " + quoted_table_;
  const std::string read_ahead = " ORDER BY rowid LIMIT " + std::to_string(kReadAhead);
  first_ = std::make_unique<SqliteStatement>(Db(), select + read_ahead);
  next_ = std::make_unique<SqliteStatement>(Db(), select + " WHERE rowid > ?1" + read_ahead);
  has_key_ = HasField(Db(), table, kFieldNamnKey);
  // Names compare without regard to letter case, through the index on the
  // key; the exact name also finds a record that has no key (yet), and comes
  // first.
  const std::string namn = QuoteSqlIdentifier(kFieldNamn);
  const std::string by_key = has_key_ ? QuoteSqlIdentifier(kFieldNamnKey) + " = ?2 OR " : "";
  seek_ = std::make_unique<SqliteStatement>(
      Db(),
      select + " WHERE " + by_key + namn + " = ?1 ORDER BY " + namn + " = ?1 DESC, rowid LIMIT 1");
  reload_ = std::make_unique<SqliteStatement>(Db(), select + " WHERE rowid = ?1");
  MoveFirst();
}

sqlite3* SqliteRecordCursor::Db() const {
  CheckOpen();
  return db_.get();
}

void SqliteRecordCursor::CheckOpen() const {
  if (db_ == nullptr) throw StoreError(kStoreErrorOther, "the cursor is closed");
}

void SqliteRecordCursor::Load(SqliteStatement& query) {
  pending_ = Pending::kNone;
  ahead_.clear();
  bool found = query.Step();
  if (found) {
    columns_.clear();
    for (int column = 1; column < query.ColumnCount(); ++column) {
      columns_.push_back(query.ColumnName(column));
    }
  }
  for (bool more = found; more; more = query.Step()) {
    Row row{query.ColumnInt64(0), {}};
    for (int column = 1; column < query.ColumnCount(); ++column) {
      row.values.push_back(query.ColumnText(column));
    }
    ahead_.push_back(std::move(row));
  }
  query.Reset();
  changes_when_read_ = sqlite3_total_changes64(Db());
  if (found) {
    Row first = std::move(ahead_.front());
    ahead_.pop_front();
    MakeCurrent(std::move(first));
  } else {
    record_.reset();
    eof_ = true;
  }
  bof_ = false;
}

void SqliteRecordCursor::MakeCurrent(Row row) {
  rowid_ = row.rowid;
  record_ = std::move(row.values);
  eof_ = false;
}

bool SqliteRecordCursor::AheadValid() const {
  return sqlite3_total_changes64(Db()) == changes_when_read_;
}

void SqliteRecordCursor::MoveFirst() {
  CheckOpen();
  rowid_.reset();
  Load(*first_);
  // An empty table: before the first record and past the last at once.
  bof_ = eof_;
}

void SqliteRecordCursor::MoveNext() {
  CheckOpen();
  if (!rowid_) {
    MoveFirst();
    return;
  }
  if (eof_) return;
  if (!ahead_.empty() && AheadValid()) {
    pending_ = Pending::kNone;
    Row row = std::move(ahead_.front());
    ahead_.pop_front();
    MakeCurrent(std::move(row));
    return;
  }
  next_->BindInt64(1, *rowid_);
  Load(*next_);
}

bool SqliteRecordCursor::SeekName(const std::string& name) {
  CheckOpen();
  seek_->BindText(1, name);
  if (has_key_) seek_->BindText(2, NameKey(name));
  Load(*seek_);
  return !eof_;
}

const SqliteRecordCursor::Values& SqliteRecordCursor::CurrentRecord() const {
  CheckOpen();
  if (!record_) throw StoreError(kStoreErrorNoCurrentRecord, "no current record");
  return *record_;
}

std::string SqliteRecordCursor::Field(const std::string& name) const {
  const Values& values = CurrentRecord();
  for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
    if (SameFieldName(columns_[i], name)) return values[i];
  }
  throw StoreError(kStoreErrorFieldNotFound, "no field " + name);
}

void SqliteRecordCursor::AddNew() {
  CheckOpen();
  pending_ = Pending::kAddNew;
  changes_.clear();
}

void SqliteRecordCursor::Edit() {
  CurrentRecord();
  pending_ = Pending::kEdit;
  changes_.clear();
}

void SqliteRecordCursor::SetField(const std::string& name, const std::string& value) {
  CheckOpen();
  if (pending_ == Pending::kNone) {
    throw StoreError(kStoreErrorNoEditInProgress, "SetField without AddNew or Edit");
  }
  auto same = [&name](const auto& change) { return SameFieldName(change.first, name); };
  auto change = std::find_if(changes_.begin(), changes_.end(), same);
  if (change != changes_.end()) {
    change->second = value;
  } else {
    changes_.emplace_back(name, value);
  }
}

void SqliteRecordCursor::Update() {
  CheckOpen();
  if (pending_ == Pending::kNone) {
    throw StoreError(kStoreErrorNoEditInProgress, "Update without AddNew or Edit");
  }
  // Whoever sets the name sets its key with it.
  std::optional<std::string> key;
  if (has_key_) {
    for (const auto& [field, value] : changes_) {
      if (SameFieldName(field, kFieldNamn)) key = NameKey(value);
    }
  }
  const int count = static_cast<int>(changes_.size());
  const std::string key_field = QuoteSqlIdentifier(kFieldNamnKey);
  const std::string key_parameter = "?" + std::to_string(count + 1);
  std::string sql;
  if (pending_ == Pending::kAddNew) {
    std::string names;
    std::string values;
    for (int i = 0; i < count; ++i) {
      names += (i == 0 ? "" : ", ") + QuoteSqlIdentifier(changes_[i].first);
      values += (i == 0 ? "?" : ", ?") + std::to_string(i + 1);
    }
    if (key) {
      names += ", " + key_field;
      values += ", " + key_parameter;
    }
    sql = changes_.empty()
              ? "INSERT INTO " + quoted_table_ + " DEFAULT VALUES"
              : "INSERT INTO " + quoted_table_ + " (" + names + ") VALUES (" + values + ")";
  } else {
    if (changes_.empty()) {
      pending_ = Pending::kNone;
      return;
    }
    std::string assignments;
    for (int i = 0; i < count; ++i) {
      assignments += (i == 0 ? "" : ", ") + QuoteSqlIdentifier(changes_[i].first) + " = ?" +
                     std::to_string(i + 1);
    }
    if (key) assignments += ", " + key_field + " = " + key_parameter;
    sql = "UPDATE " + quoted_table_ + " SET " + assignments + " WHERE rowid = ?" +
          std::to_string(count + 2);
  }
  SqliteStatement statement(Db(), sql);
  for (int i = 0; i < count; ++i) statement.BindText(i + 1, changes_[i].second);
  if (key) statement.BindText(count + 1, *key);
  if (pending_ == Pending::kEdit) statement.BindInt64(count + 2, *rowid_);
  // A failed write leaves the record pending, as the user may correct it.
  statement.Run();
  if (pending_ == Pending::kEdit) {
    if (key) {
      // A new spelling of the same key (a change of letter case) made the
      // table's trigger empty the key as stale: the program knows it is not.
      SqliteStatement restore(Db(), "UPDATE " + quoted_table_ + " SET " + key_field +
                                        " = ?1 WHERE rowid = ?2 AND " + key_field + " IS NULL");
      restore.BindText(1, *key);
      restore.BindInt64(2, *rowid_);
      restore.Run();
    }
    reload_->BindInt64(1, *rowid_);
    Load(*reload_);
  }
  pending_ = Pending::kNone;
  changes_.clear();
}

void SqliteRecordCursor::Delete() {
  CurrentRecord();
  SqliteStatement statement(Db(), "DELETE FROM " + quoted_table_ + " WHERE rowid = ?1");
  statement.BindInt64(1, *rowid_);
  statement.Run();
  record_.reset();
  pending_ = Pending::kNone;
}

void SqliteRecordCursor::Close() {
  first_.reset();
  next_.reset();
  seek_.reset();
  reload_.reset();
  db_.reset();
  record_.reset();
  ahead_.clear();
  pending_ = Pending::kNone;
}

}  // namespace tolvane
