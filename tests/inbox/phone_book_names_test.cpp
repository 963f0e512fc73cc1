#include "sms/number_forms.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <tuple>

#include "inbox/conversation_names.h"
#include "sms/sms_address.h"
#include "support/test_phone_book.h"

namespace tolvane::testing {
namespace {

TEST(SameNumberTest, NationalAndInternationalFormsOfOneNumber) {
  const std::tuple<const char*, const char*, bool> kCases[] = {
      {"0701234567", "+46701234567", true},
      {"0701234568", "+46701234567", false},
      {"0034567", "+46701234567", false},  // an international prefix is no trunk zero
      {"034567", "+4634567", false},       // too short to match on its end
      {"0345678", "+46345678", true},      // the shortest that does
      {"Telia", "Telia", true},
      {"", "", false},
  };
  for (const auto& [a, b, same] : kCases) {
    EXPECT_EQ(SameNumber(NormalisedNumber(a), NormalisedNumber(b)), same) << a << " " << b;
  }
  EXPECT_EQ(NormalisedNumber("0046 70-123 45 67"), "+46701234567");
  EXPECT_EQ(NormalisedNumber(" Telia "), "Telia");
  EXPECT_EQ(NationalForms("+46701234567"), (std::vector<std::string>{"06701234567", "0701234567"}));
  EXPECT_TRUE(NationalForms("0701234567").empty());
}

// Names are read again after a write through the store or by another program.
TEST(ConversationNamesTest, FollowEveryWriteToThePhoneBook) {
  TestPhoneBook book;
  ConversationNames names;
  const auto name = [&] { return names.Update(&book.store()).NameOf("+46701234567"); };
  EXPECT_EQ(name(), "");
  book.Add("Anna", "070-123 45 67");
  EXPECT_EQ(name(), "Anna");
  sqlite3* other = nullptr;
  sqlite3_open(book.dir().FilePath("teledata.mdb").c_str(), &other);
  EXPECT_EQ(sqlite3_exec(other, "UPDATE Telelist SET Namn = 'Bo'", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(other);
  EXPECT_EQ(name(), "Bo");
}

}  // namespace
}  // namespace tolvane::testing
