#ifndef TOLVANE_TESTS_SUPPORT_TEST_PHONE_BOOK_H_
#define TOLVANE_TESTS_SUPPORT_TEST_PHONE_BOOK_H_

#include <memory>
#include <string>

#include "phonebook/group_tables.h"
#include "platform/sqlite_phone_book_store.h"
#include "support/temp_dir.h"

namespace tolvane::testing {

// A program folder holding an empty teledata.mdb, opened, with a cursor on
// its people.
class TestPhoneBook {
 public:
  TestPhoneBook() {
    SqlitePhoneBookStore::CreateEmptyDatabase(dir_.FilePath("teledata.mdb"));
    store_.Open(dir_.FilePath("teledata.mdb"));
    cursor_ = store_.OpenCursor(kPhoneBookTable);
  }

  const TempDir& dir() const { return dir_; }
  std::string Folder() const { return dir_.Folder(); }
  SqlitePhoneBookStore& store() { return store_; }
  RecordCursor& cursor() { return *cursor_; }
  void Add(const std::string& name, const std::string& number) { Append(*cursor_, name, number); }
  // A member of the group, which is created when it does not exist yet.
  void AddToGroup(const std::string& group, const std::string& name, const std::string& number) {
    if (!FindGroup(store_, group)) store_.CreateTable(group);
    Append(*store_.OpenCursor(group), name, number);
  }

 private:
  static void Append(RecordCursor& cursor, const std::string& name, const std::string& number) {
    cursor.AddNew();
    cursor.SetField(kFieldNamn, name);
    cursor.SetField(kFieldTelenummer, number);
    cursor.SetField(kFieldOperator, "1");
    cursor.Update();
  }

  TempDir dir_;
  SqlitePhoneBookStore store_;
  std::unique_ptr<RecordCursor> cursor_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_TEST_PHONE_BOOK_H_
