#include "platform/sqlite_phone_book_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sqlite_statement.h"
#include "sim/numbered_people.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;

class SqlitePhoneBookStoreTest : public ::testing::Test {
 protected:
  SqlitePhoneBookStoreTest() : path_(dir_.FilePath("teledata.mdb")) {
    SqlitePhoneBookStore::CreateEmptyDatabase(path_);
    store_.Open(path_);
  }

  // A second connection, as another SQLite tool would see the file.
  std::shared_ptr<sqlite3> RawDatabase() {
    sqlite3* raw = nullptr;
    sqlite3_open(path_.c_str(), &raw);
    return std::shared_ptr<sqlite3>(raw, sqlite3_close_v2);
  }
  void Exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK) << message;
    sqlite3_free(message);
  }

  static void Append(RecordCursor& cursor, const std::string& name, const std::string& number) {
    cursor.AddNew();
    cursor.SetField("Namn", name);
    cursor.SetField("Telenummer", number);
    cursor.SetField("Operator", "1");
    cursor.Update();
  }
  // The store's error number of appending each name in turn, or 0.
  static std::vector<int> Adding(RecordCursor& cursor, const std::vector<std::string>& names) {
    std::vector<int> numbers;
    for (const std::string& name : names)
      numbers.push_back(ErrorNumber([&] { Append(cursor, name, "9"); }));
    return numbers;
  }

  static std::vector<std::string> Names(RecordCursor& cursor) {
    std::vector<std::string> names;
    for (cursor.MoveFirst(); !cursor.Eof(); cursor.MoveNext())
      names.push_back(cursor.Field("Namn"));
    return names;
  }

  static int ErrorNumber(const std::function<void()>& operation) {
    try {
      operation();
    } catch (const StoreError& error) {
      return error.number();
    }
    return 0;
  }

  testing::TempDir dir_;
  std::string path_;
  SqlitePhoneBookStore store_;
};

TEST_F(SqlitePhoneBookStoreTest, TheWrongFileFailsAndACursorOutlivesItsStore) {
  SqlitePhoneBookStore store;
  std::string missing = dir_.FilePath("missing.mdb");
  EXPECT_EQ(ErrorNumber([&] { store.Open(missing); }), kStoreErrorFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(missing));
  dir_.WriteFile("junk.mdb", std::string(4096, 'x'));
  EXPECT_EQ(ErrorNumber([&] { store.Open(dir_.FilePath("junk.mdb")); }),
            kStoreErrorUnrecognizedFormat);

  std::unique_ptr<RecordCursor> cursor;
  {
    SqlitePhoneBookStore gone;
    gone.Open(path_);
    cursor = gone.OpenCursor("Telelist");
  }
  Append(*cursor, "Anna", "1");
  EXPECT_THAT(Names(*cursor), ElementsAre("Anna"));
}

TEST_F(SqlitePhoneBookStoreTest, GroupsInAnyLetterCaseBesideSqliteOwnTablesAsSystemTables) {
  Exec(RawDatabase().get(),
       "CREATE TABLE counter (id INTEGER PRIMARY KEY AUTOINCREMENT); ANALYZE;");
  store_.CreateTable("ångby");
  std::vector<std::string> groups;
  for (const TableInfo& table : store_.Tables()) {
    if ((table.attributes & kSystemTableAttributes) == 0) groups.push_back(table.name);
  }
  EXPECT_THAT(groups, ElementsAre("Telelist", "counter", "ångby"));

  Append(*store_.OpenCursor("ÅNGBY"), "Anna", "1");
  EXPECT_THAT(Names(*store_.OpenCursor("ångby")), ElementsAre("Anna"));
  store_.DeleteTable("ÅNGBY");
  EXPECT_EQ(ErrorNumber([&] { store_.OpenCursor("ångby"); }), kStoreErrorTableNotFound);
}

TEST_F(SqlitePhoneBookStoreTest,
       CursorWalksInTableOrderEditsDeletesAndErrorsCarryTheEngineNumbers) {
  auto cursor = store_.OpenCursor("Telelist");
  EXPECT_TRUE(cursor->Bof());
  EXPECT_TRUE(cursor->Eof());
  Append(*cursor, "Olle", "1");
  Append(*cursor, "Anna", "2");
  // Appending keeps the place: the cursor still stands on Anna.
  cursor->MoveFirst();
  cursor->MoveNext();
  Append(*cursor, "Bertil", "3");
  EXPECT_EQ(cursor->Field("namn"), "Anna");
  cursor->MoveNext();
  EXPECT_EQ(cursor->Field("Namn"), "Bertil");
  cursor->MoveNext();
  EXPECT_TRUE(cursor->Eof());
  EXPECT_EQ(ErrorNumber([&] { cursor->Field("Address"); }), kStoreErrorNoCurrentRecord);
  cursor->MoveFirst();
  EXPECT_EQ(ErrorNumber([&] { cursor->Field("Address"); }), kStoreErrorFieldNotFound);

  ASSERT_TRUE(cursor->SeekName("Anna"));
  cursor->Delete();
  EXPECT_EQ(ErrorNumber([&] { cursor->Edit(); }), kStoreErrorNoCurrentRecord);
  cursor->MoveNext();
  EXPECT_EQ(cursor->Field("Namn"), "Bertil");
  EXPECT_THAT(Names(*store_.OpenCursor("Telelist")), ElementsAre("Olle", "Bertil"));
  EXPECT_EQ(ErrorNumber([&] { cursor->Update(); }), kStoreErrorNoEditInProgress);

  // A name longer than its field is some other error; the field counts letters.
  std::string longest;
  for (int i = 0; i < 40; ++i) longest += "å";
  EXPECT_EQ(Adding(*cursor, {std::string(41, 'x'), longest}),
            (std::vector<int>{kStoreErrorOther, 0}));
}

// A walk reads records in batches; writes made meanwhile must still show.
TEST_F(SqlitePhoneBookStoreTest, AWalkSeesWritesMadeWhileItStandsMidway) {
  const int people = 1000;
  sim::AddNumberedPeople(path_, people);
  auto walker = store_.OpenCursor("Telelist");
  auto other = store_.OpenCursor("Telelist");

  walker->MoveFirst();
  for (int i = 1; i < 10; ++i) walker->MoveNext();
  ASSERT_EQ(walker->Field("Namn"), sim::NumberedPersonName(10));
  ASSERT_TRUE(other->SeekName(sim::NumberedPersonName(11)));
  other->Delete();
  ASSERT_TRUE(other->SeekName(sim::NumberedPersonName(12)));
  other->Edit();
  other->SetField("Telenummer", "changed");
  other->Update();
  Append(*other, "Appended", "1");

  walker->MoveNext();
  EXPECT_EQ(walker->Field("Namn"), sim::NumberedPersonName(12));
  EXPECT_EQ(walker->Field("Telenummer"), "changed");
  std::string last;
  for (; !walker->Eof(); walker->MoveNext()) last = walker->Field("Namn");
  EXPECT_EQ(last, "Appended");
}

// Stored as UTF-8; a change of letter case keeps the key, and so the rule.
TEST_F(SqlitePhoneBookStoreTest, NamesAreUniqueWithoutRegardToLetterCase) {
  auto cursor = store_.OpenCursor("Telelist");
  Append(*cursor, "Anna", "1");
  Append(*cursor, "åsa", "2");
  ASSERT_TRUE(cursor->SeekName("ANNA"));
  cursor->Edit();
  cursor->SetField("Namn", "ANNA");
  cursor->Update();
  EXPECT_EQ(Adding(*cursor, {"anna"}), std::vector<int>{kStoreErrorDuplicateKey});

  EXPECT_TRUE(cursor->SeekName("ÅSA"));
  EXPECT_EQ(cursor->Field("Telenummer"), "2");
  EXPECT_FALSE(cursor->SeekName("Ann"));
  EXPECT_TRUE(cursor->Eof());
  SqliteStatement names(RawDatabase().get(), "SELECT Namn FROM Telelist");
  ASSERT_TRUE(names.Step() && names.Step());
  EXPECT_EQ(names.ColumnText(0), "\xC3\xA5sa");
}

// Other tools write plain SQL and leave the key to the program. Opening fills
// it and reports (but keeps) a pair differing only in letter case.
TEST_F(SqlitePhoneBookStoreTest, OpeningGivesRecordsOfOtherToolsTheirKeys) {
  Append(*store_.OpenCursor("Telelist"), "Anna", "1");
  Append(*store_.OpenCursor("Telelist"), "Bo", "2");
  store_.CreateTable("Vänner");
  Exec(RawDatabase().get(),
       "INSERT INTO Telelist (Namn, Telenummer, Operator) VALUES ('\xC3\x85SA', '3', '1');"
       "UPDATE Telelist SET Namn = 'Bosse' WHERE Namn = 'Bo';"
       "INSERT INTO \"V\xC3\xA4nner\" (Namn, Telenummer, Operator) VALUES ('Olle', '7', '1');"
       "CREATE TABLE Pairs (Namn TEXT, Telenummer TEXT, Operator TEXT);"
       "INSERT INTO Pairs VALUES ('anna', '1', '1'), ('Anna', '2', '1');");

  SqlitePhoneBookStore store;
  store.Open(path_);
  EXPECT_THAT(store.NameClashes(), ElementsAre(NameClash{"Pairs", "anna", "Anna"}));
  auto cursor = store.OpenCursor("Telelist");
  ASSERT_TRUE(cursor->SeekName("åsa"));
  EXPECT_EQ(cursor->Field("Telenummer"), "3");
  constexpr int kTaken = kStoreErrorDuplicateKey;
  EXPECT_EQ(Adding(*cursor, {"åSa", "bOSSE", "BO"}), (std::vector<int>{kTaken, kTaken, 0}));
  EXPECT_EQ(Adding(*store.OpenCursor("vÄNNER"), {"OLLE"}), std::vector<int>{kTaken});
  // The pair keeps working by its exact names.
  auto pairs = store.OpenCursor("Pairs");
  EXPECT_THAT(Names(*pairs), ElementsAre("anna", "Anna"));
  EXPECT_TRUE(pairs->SeekName("Anna"));
  EXPECT_EQ(pairs->Field("Telenummer"), "2");
}

}  // namespace
}  // namespace tolvane
