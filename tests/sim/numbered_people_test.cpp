#include "sim/numbered_people.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/test_phone_book.h"

namespace tolvane::sim {
namespace {

TEST(NumberedPeopleTest, AddsPeopleWithUniqueNamesAfterThoseThere) {
  testing::TestPhoneBook book;
  book.Add("Olle", "070");
  AddNumberedPeople(book.dir().FilePath("teledata.mdb"), 20);
  AddNumberedPeople(book.dir().FilePath("teledata.mdb"), 5);

  RecordCursor& cursor = book.cursor();
  std::set<std::string> names;
  int count = 0;
  for (cursor.MoveFirst(); !cursor.Eof(); cursor.MoveNext(), ++count) {
    names.insert(cursor.Field(kFieldNamn));
    EXPECT_FALSE(cursor.Field(kFieldTelenummer).empty());
  }
  EXPECT_EQ(count, 26);
  EXPECT_EQ(names.size(), 26u);
  EXPECT_TRUE(names.count(NumberedPersonName(26)));
}

}  // namespace
}  // namespace tolvane::sim
