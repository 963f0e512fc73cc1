#include "platform/sqlite_phone_book_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sqlite_statement.h"
#include "platform/text_codec.h"
#include "sim/numbered_people.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class SqlitePhoneBookStoreTest : public ::testing::Test {
 protected:
  SqlitePhoneBookStoreTest() : path_(dir_.FilePath("teledata.mdb")) {
    SqlitePhoneBookStore::CreateEmptyDatabase(path_);
    store_.Open(path_);
  }

  // A second connection, as another program would see the file.
  // A connection of another copy of the program, or (`program` false) of
  // another SQLite tool.
  std::shared_ptr<sqlite3> RawDatabase(bool program = true) {
    sqlite3* raw = nullptr;
    sqlite3_open(path_.c_str(), &raw);
    if (program) RegisterCp1252Upper(raw);
    return std::shared_ptr<sqlite3>(raw, sqlite3_close_v2);
  }

  static void Append(RecordCursor& cursor, const std::string& name, const std::string& number) {
    cursor.AddNew();
    cursor.SetField("Namn", name);
    cursor.SetField("Telenummer", number);
    cursor.SetField("Operator", "1");
    cursor.Update();
  }

  static std::vector<std::string> Names(RecordCursor& cursor) {
    std::vector<std::string> names;
    for (cursor.MoveFirst(); !cursor.Eof(); cursor.MoveNext())
      names.push_back(cursor.Field("Namn"));
    return names;
  }

  std::vector<std::string> TableNames() {
    std::vector<std::string> names;
    for (const TableInfo& table : store_.Tables()) names.push_back(table.name);
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

TEST_F(SqlitePhoneBookStoreTest, OpeningOrCreatingTheWrongFileFails) {
  SqlitePhoneBookStore store;
  std::string missing = dir_.FilePath("missing.mdb");
  EXPECT_EQ(ErrorNumber([&] { store.Open(missing); }), kStoreErrorFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(missing));
  dir_.WriteFile("junk.mdb", std::string(4096, 'x'));
  EXPECT_EQ(ErrorNumber([&] { store.Open(dir_.FilePath("junk.mdb")); }),
            kStoreErrorUnrecognizedFormat);
  EXPECT_NE(ErrorNumber([&] { SqlitePhoneBookStore::CreateEmptyDatabase(path_); }), 0);
}

TEST_F(SqlitePhoneBookStoreTest, ListsSqliteOwnTablesAsSystemTables) {
  auto raw = RawDatabase();
  sqlite3_exec(raw.get(), "CREATE TABLE counter (id INTEGER PRIMARY KEY AUTOINCREMENT); ANALYZE;",
               nullptr, nullptr, nullptr);
  store_.CreateTable("Friends");

  std::vector<std::string> groups;
  int system_tables = 0;
  for (const TableInfo& table : store_.Tables()) {
    if ((table.attributes & kSystemTableAttributes) != 0) {
      EXPECT_THAT(table.name, ::testing::StartsWith("sqlite_"));
      ++system_tables;
    } else {
      groups.push_back(table.name);
    }
  }
  EXPECT_THAT(groups, ElementsAre("Telelist", "counter", "Friends"));
  EXPECT_GE(system_tables, 2);  // sqlite_sequence, sqlite_stat1
}

TEST_F(SqlitePhoneBookStoreTest, CursorWalksInTableOrderAndSeesWhatIsAppended) {
  auto cursor = store_.OpenCursor("Telelist");
  EXPECT_TRUE(cursor->Bof());
  EXPECT_TRUE(cursor->Eof());
  EXPECT_EQ(ErrorNumber([&] { cursor->Field("Namn"); }), kStoreErrorNoCurrentRecord);

  Append(*cursor, "Olle", "1");
  Append(*cursor, "Anna", "2");
  EXPECT_THAT(Names(*cursor), ElementsAre("Olle", "Anna"));

  // Appending keeps the place: the cursor still stands on Anna.
  cursor->MoveFirst();
  cursor->MoveNext();
  Append(*cursor, "Bertil", "3");
  EXPECT_EQ(cursor->Field("namn"), "Anna");
  cursor->MoveNext();
  EXPECT_EQ(cursor->Field("Namn"), "Bertil");
  cursor->MoveNext();
  EXPECT_TRUE(cursor->Eof());
  EXPECT_FALSE(cursor->Bof());
  EXPECT_EQ(ErrorNumber([&] { cursor->Field("Address"); }), kStoreErrorNoCurrentRecord);
  cursor->MoveFirst();
  EXPECT_EQ(ErrorNumber([&] { cursor->Field("Address"); }), kStoreErrorFieldNotFound);
}

// A walk reads many records in one go; what is written meanwhile, through any
// cursor of the program or by another process, must still show.
TEST_F(SqlitePhoneBookStoreTest, AWalkSeesWritesMadeWhileItStandsMidway) {
  const int people = 1000;
  sim::AddNumberedPeople(path_, people);
  auto walker = store_.OpenCursor("Telelist");
  auto other = store_.OpenCursor("Telelist");
  EXPECT_EQ(Names(*walker).size(), static_cast<size_t>(people));

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

  // On the last record, a record another process appends is the next one.
  walker->MoveFirst();
  while (walker->Field("Namn") != "Appended") walker->MoveNext();
  SqliteStatement(RawDatabase().get(),
                  "INSERT INTO Telelist (Namn, Telenummer, Operator) VALUES ('Late', '2', '1')")
      .Run();
  walker->MoveNext();
  ASSERT_FALSE(walker->Eof());
  EXPECT_EQ(walker->Field("Namn"), "Late");
}

TEST_F(SqlitePhoneBookStoreTest, EditChangesAndDeleteRemovesTheCurrentRecord) {
  auto cursor = store_.OpenCursor("Telelist");
  Append(*cursor, "Anna", "1");
  Append(*cursor, "Bertil", "2");
  Append(*cursor, "Cecilia", "3");

  ASSERT_TRUE(cursor->SeekName("Bertil"));
  cursor->Edit();
  cursor->SetField("Telenummer", "22");
  cursor->Update();
  EXPECT_EQ(cursor->Field("Telenummer"), "22");

  cursor->Delete();
  EXPECT_EQ(ErrorNumber([&] { cursor->Edit(); }), kStoreErrorNoCurrentRecord);
  cursor->MoveNext();
  EXPECT_EQ(cursor->Field("Namn"), "Cecilia");
  EXPECT_THAT(Names(*store_.OpenCursor("Telelist")), ElementsAre("Anna", "Cecilia"));
  EXPECT_EQ(ErrorNumber([&] { cursor->Update(); }), kStoreErrorNoEditInProgress);
}

TEST_F(SqlitePhoneBookStoreTest, NamesAreUniqueWithoutRegardToLetterCase) {
  auto cursor = store_.OpenCursor("Telelist");
  Append(*cursor, "Anna", "1");
  Append(*cursor, "\xE5sa", "2");
  EXPECT_EQ(ErrorNumber([&] { Append(*cursor, "anna", "3"); }), kStoreErrorDuplicateKey);
  EXPECT_EQ(ErrorNumber([&] { Append(*cursor, "\xC5SA", "4"); }), kStoreErrorDuplicateKey);
  // Another SQLite tool cannot break the rule: without our function it cannot write at all.
  EXPECT_NE(sqlite3_exec(RawDatabase(false).get(), "INSERT INTO Telelist VALUES ('ANNA', '5', '1')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  auto raw = RawDatabase();

  EXPECT_TRUE(cursor->SeekName("\xC5SA"));
  EXPECT_EQ(cursor->Field("Telenummer"), "2");
  EXPECT_FALSE(cursor->SeekName("Ann"));
  EXPECT_TRUE(cursor->Eof());
  SqliteStatement plan(raw.get(), "EXPLAIN QUERY PLAN SELECT rowid, * FROM \"Telelist\" WHERE " +
                                      SqlCp1252Upper("\"Namn\"") + " = " + SqlCp1252Upper("?1"));
  ASSERT_TRUE(plan.Step());
  EXPECT_THAT(plan.ColumnText(3), HasSubstr("USING INDEX"));
}

TEST_F(SqlitePhoneBookStoreTest, TheUpperCaseOfSqliteMatchesTheProgramsForEveryCharacter) {
  auto raw = RawDatabase();
  for (int code = 1; code < 256; ++code) {
    const std::string text(1, static_cast<char>(code));
    SqliteStatement upper(raw.get(), "SELECT " + SqlCp1252Upper("?1"));
    upper.BindText(1, text);
    ASSERT_TRUE(upper.Step());
    EXPECT_EQ(upper.ColumnText(0), Cp1252Upper(text)) << code;
  }
}

TEST_F(SqlitePhoneBookStoreTest,
       AnEarlierPhoneBookGetsTheRuleOnOpeningAndOneThatBreaksItStillWorks) {
  auto raw = RawDatabase();
  auto write_earlier_table = [&raw](const char* table, const char* rows) {
    std::string sql = std::string("CREATE TABLE \"") + table +
                      "\" (Namn TEXT, Telenummer TEXT, Operator TEXT, CONSTRAINT NamnIdx UNIQUE "
                      "(Namn)); INSERT INTO \"" +
                      table + "\" VALUES " + rows + ";";
    ASSERT_EQ(sqlite3_exec(raw.get(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  };
  write_earlier_table("Friends", "('Bo', '1', '1')");
  write_earlier_table("Pairs", "('anna', '1', '1'), ('Anna', '2', '1')");

  SqlitePhoneBookStore store;
  store.Open(path_);
  auto friends = store.OpenCursor("Friends");
  EXPECT_EQ(ErrorNumber([&] { Append(*friends, "BO", "2"); }), kStoreErrorDuplicateKey);
  auto pairs = store.OpenCursor("Pairs");
  EXPECT_THAT(Names(*pairs), ElementsAre("anna", "Anna"));
  EXPECT_TRUE(pairs->SeekName("Anna"));
  EXPECT_EQ(pairs->Field("Telenummer"), "2");
}

TEST_F(SqlitePhoneBookStoreTest, GroupNamesCompareWithoutRegardToLetterCase) {
  store_.CreateTable("\xE5ngby");
  EXPECT_EQ(ErrorNumber([&] { store_.CreateTable("\xC5NGBY"); }), kStoreErrorTableExists);
  EXPECT_EQ(ErrorNumber([&] { store_.CreateTable("TELELIST"); }), kStoreErrorTableExists);
  auto group = store_.OpenCursor("\xC5ngby");
  Append(*group, "Anna", "1");
  EXPECT_EQ(ErrorNumber([&] { Append(*group, "ANNA", "1"); }), kStoreErrorDuplicateKey);
  store_.DeleteTable("\xC5NGBY");
  EXPECT_THAT(TableNames(), ElementsAre("Telelist"));
}

TEST_F(SqlitePhoneBookStoreTest, TextIsStoredAsUtf8) {
  auto cursor = store_.OpenCursor("Telelist");
  Append(*cursor, "\xC5sa", "070");
  auto raw = RawDatabase();
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(raw.get(), "SELECT Namn FROM Telelist", -1, &statement, nullptr);
  ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "\xC3\x85sa");
  sqlite3_finalize(statement);
  cursor->MoveFirst();
  EXPECT_EQ(cursor->Field("Namn"), "\xC5sa");
}

TEST_F(SqlitePhoneBookStoreTest, ErrorsCarryTheEngineNumbers) {
  auto cursor = store_.OpenCursor("Telelist");
  Append(*cursor, "Anna", "1");

  // Duplicate name; the record stays pending, so a corrected one can be written.
  cursor->AddNew();
  cursor->SetField("Namn", "Anna");
  EXPECT_EQ(ErrorNumber([&] { cursor->Update(); }), kStoreErrorDuplicateKey);
  cursor->SetField("Namn", "Bertil");
  cursor->Update();
  EXPECT_THAT(Names(*cursor), ElementsAre("Anna", "Bertil"));

  // Table names are unique regardless of case, Telelist included.
  EXPECT_EQ(ErrorNumber([&] { store_.CreateTable("telelist"); }), kStoreErrorTableExists);
  store_.CreateTable("Friends");
  EXPECT_EQ(ErrorNumber([&] { store_.CreateTable("Friends"); }), kStoreErrorTableExists);

  EXPECT_EQ(ErrorNumber([&] { store_.OpenCursor("Nobody"); }), kStoreErrorTableNotFound);
  EXPECT_EQ(ErrorNumber([&] { store_.DeleteTable("Nobody"); }), kStoreErrorTableNotFound);
  // A name longer than its field is some other error.
  EXPECT_EQ(ErrorNumber([&] { Append(*cursor, std::string(41, 'x'), "1"); }), kStoreErrorOther);
}

TEST_F(SqlitePhoneBookStoreTest, AFullDiskIsReportedAsDiskFull) {
  auto raw = RawDatabase();
  SqliteStatement(raw.get(), "CREATE TABLE big (data TEXT)").Run();
  SqliteStatement(raw.get(), "PRAGMA max_page_count = 3").Run();
  SqliteStatement insert(raw.get(), "INSERT INTO big VALUES (?1)");
  insert.BindText(1, std::string(100000, 'x'));
  EXPECT_EQ(ErrorNumber([&] { insert.Run(); }), kStoreErrorDiskFull);
}

TEST_F(SqlitePhoneBookStoreTest, HostileTableNamesStayNames) {
  const std::string name = "x\"; DROP TABLE Telelist; --";
  Append(*store_.OpenCursor("Telelist"), "Anna", "1");

  store_.CreateTable(name);
  EXPECT_THAT(TableNames(), ElementsAre("Telelist", name));

  auto group = store_.OpenCursor(name);
  Append(*group, "Anna", "1");
  EXPECT_EQ(ErrorNumber([&] { Append(*group, "Anna", "1"); }), kStoreErrorDuplicateKey);
  EXPECT_THAT(Names(*group), ElementsAre("Anna"));
  group->Close();

  store_.DeleteTable(name);
  EXPECT_THAT(TableNames(), ElementsAre("Telelist"));
  EXPECT_THAT(Names(*store_.OpenCursor("Telelist")), ElementsAre("Anna"));
}

TEST_F(SqlitePhoneBookStoreTest, ACursorKeepsTheDatabaseOpenAfterTheStoreGoes) {
  std::unique_ptr<RecordCursor> cursor;
  {
    SqlitePhoneBookStore store;
    store.Open(path_);
    cursor = store.OpenCursor("Telelist");
  }
  Append(*cursor, "Anna", "1");
  EXPECT_THAT(Names(*cursor), ElementsAre("Anna"));
}

}  // namespace
}  // namespace tolvane
