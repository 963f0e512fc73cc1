#include "support/test_phone_book.h"

namespace tolvane::testing {

TestPhoneBook::TestPhoneBook() {
  SqlitePhoneBookStore::CreateEmptyDatabase(dir_.FilePath("teledata.mdb"));
  store_.Open(dir_.FilePath("teledata.mdb"));
  cursor_ = store_.OpenCursor(kPhoneBookTable);
}

void TestPhoneBook::Add(const std::string& name, const std::string& number) {
  cursor_->AddNew();
  cursor_->SetField(kFieldNamn, name);
  cursor_->SetField(kFieldTelenummer, number);
  cursor_->SetField(kFieldOperator, "1");
  cursor_->Update();
}

}  // namespace tolvane::testing
