#include "support/test_phone_book.h"

#include "phonebook/group_tables.h"

namespace tolvane::testing {

TestPhoneBook::TestPhoneBook() {
  SqlitePhoneBookStore::CreateEmptyDatabase(dir_.FilePath("teledata.mdb"));
  store_.Open(dir_.FilePath("teledata.mdb"));
  cursor_ = store_.OpenCursor(kPhoneBookTable);
}

namespace {

void Append(RecordCursor& cursor, const std::string& name, const std::string& number) {
  cursor.AddNew();
  cursor.SetField(kFieldNamn, name);
  cursor.SetField(kFieldTelenummer, number);
  cursor.SetField(kFieldOperator, "1");
  cursor.Update();
}

}  // namespace

void TestPhoneBook::Add(const std::string& name, const std::string& number) {
  Append(*cursor_, name, number);
}

void TestPhoneBook::AddToGroup(const std::string& group, const std::string& name,
                               const std::string& number) {
  if (!FindGroup(store_, group)) store_.CreateTable(group);
  Append(*store_.OpenCursor(group), name, number);
}

}  // namespace tolvane::testing
