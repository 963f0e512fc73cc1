#ifndef TOLVANE_PLATFORM_SQLITE_PHONE_BOOK_STORE_H_
#define TOLVANE_PLATFORM_SQLITE_PHONE_BOOK_STORE_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/phone_book_store.h"

struct sqlite3;

namespace tolvane {

// The phone-book database as an SQLite file. Paths are the system's own file
// names; every other text is UTF-8.
class SqlitePhoneBookStore : public PhoneBookStore {
 public:
  void Open(const std::string& path) override;
  const std::vector<NameClash>& NameClashes() const override { return clashes_; }
  std::vector<TableInfo> Tables() override;
  std::unique_ptr<RecordCursor> OpenCursor(const std::string& table) override;
  void CreateTable(const std::string& table) override;
  void DeleteTable(const std::string& table) override;
  void AllOrNothing(const std::function<void()>& change) override;
  PhoneBookRevision Revision() override;

  // Makes a new database file holding an empty Telelist, as installed with the
  // program (which itself never creates one). An existing file is an error.
  static void CreateEmptyDatabase(const std::string& path);

 private:
  sqlite3* Db() const;
  // The name a table is stored under, found without regard to letter case;
  // `table` itself when there is none.
  std::string StoredName(const std::string& table);

  std::shared_ptr<sqlite3> db_;
  std::vector<NameClash> clashes_;
  std::int64_t opened_ = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_SQLITE_PHONE_BOOK_STORE_H_
