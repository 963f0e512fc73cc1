#include "phonebook/group_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/test_phone_book.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

int CreateError(PhoneBookStore& store, const std::string& name) {
  try {
    store.CreateTable(name);
  } catch (const StoreError& error) {
    return error.number();
  }
  return 0;
}

TEST(GroupTablesTest, GroupsAreTheOtherTablesInCreationOrder) {
  testing::TestPhoneBook book;
  EXPECT_THAT(GroupNames(book.store()), IsEmpty());
  for (const char* name : {"Zeta", "Alfa", "V\xE4nner"}) book.store().CreateTable(name);
  EXPECT_THAT(GroupNames(book.store()), ElementsAre("Zeta", "Alfa", "V\xE4nner"));
  book.store().DeleteTable("Alfa");
  EXPECT_THAT(GroupNames(book.store()), ElementsAre("Zeta", "V\xE4nner"));
}

TEST(GroupTablesTest, NamesAreOneInAnyLetterCaseOfTheCodePage) {
  testing::TestPhoneBook book;
  book.store().CreateTable("V\xE4nner");
  EXPECT_EQ(CreateError(book.store(), "V\xC4NNER"), kStoreErrorTableExists);
  for (const char* name : {"Telelist", "TELELIST", "tElElIsT"}) {
    EXPECT_EQ(CreateError(book.store(), name), kStoreErrorTableExists) << name;
  }
  EXPECT_EQ(FindGroup(book.store(), "v\xC4NNER"), "V\xE4nner");
  EXPECT_EQ(FindGroup(book.store(), "telelist"), std::nullopt);
  EXPECT_EQ(FindGroup(book.store(), "V\xE4nne"), std::nullopt);
}

TEST(GroupTablesTest, MembersAreReadInTableOrder) {
  testing::TestPhoneBook book;
  book.AddToGroup("[x]; \"y\"", "Cecilia", "3");
  book.AddToGroup("[x]; \"y\"", "Anna", "1");
  EXPECT_THAT(MemberNames(book.store(), "[x]; \"y\""), ElementsAre("Cecilia", "Anna"));
}

}  // namespace
}  // namespace tolvane
