#include "contacts/contact_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "contacts/contact_export.h"
#include "phonebook/group_tables.h"
#include "support/faulty_sqlite_vfs.h"
#include "support/temp_dir.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using People = std::vector<std::pair<std::string, std::string>>;
using Groups = std::map<std::string, std::vector<std::string>>;

std::string Sample(const std::string& name) {
  std::ifstream in(TOLVANE_SOURCE_DIR "/tests/data/contacts/" + name, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

People PeopleOf(PhoneBookStore& store, const std::string& table = kPhoneBookTable) {
  People people;
  auto cursor = store.OpenCursor(table);
  for (cursor->MoveFirst(); !cursor->Eof(); cursor->MoveNext()) {
    people.emplace_back(cursor->Field(kFieldNamn), cursor->Field(kFieldTelenummer));
  }
  return people;
}

Groups GroupsOf(PhoneBookStore& store) {
  Groups groups;
  for (const std::string& group : GroupNames(store)) groups[group] = MemberNames(store, group);
  return groups;
}

ImportResult Import(PhoneBookStore& store, const std::string& bytes, ContactFormat format,
                    ImportChoices choices = {}, const ImportCancelled& cancelled = {}) {
  const ContactFile file = ReadContactFile(bytes, format);
  if (choices.columns == CsvColumns{}) choices.columns = file.table.guessed;
  return ApplyImport(store, PlanImport(file, choices), {}, cancelled);
}

struct SampleCase {
  const char* file;
  People people;
  Groups groups;
  std::vector<std::string> details;
};

TEST(ContactImportTest, RealWorldSamplesBringInTheirPeopleAndGroups) {
  const SampleCase cases[] = {
      {"google_contacts.csv",
       {{"Anna Andersson", "+46 70 123 45 67"},
        {"Erik Berg", "070-765 43 21"},
        {"Karin Lind", "031-12 12 12"}},
       {{"Vänner", {"Anna Andersson", "Erik Berg"}}, {"Jobb", {"Erik Berg", "Karin Lind"}}},
       {"Line 6: Nils Nilsson: no phone number"}},
      {"outlook.csv",
       {{"Göran Ström", "070-222 33 44"}, {"Märta Ek", "08-765 43 21"}},
       {{"Kunder", {"Göran Ström", "Märta Ek"}}, {"Golf", {"Göran Ström"}}},
       {"Line 4: Åke Öst: the number is longer than 20 characters"}},
      {"iphone.vcf",
       {{"Johan Holm", "+46 70 987 65 43"},
        {"Lisa Dahl", "08-111 222"},
        {"Bygg, Mark & Co", "0771-23 23 23"}},
       {{"Familj", {"Johan Holm"}},
        {"Segling", {"Johan Holm"}},
        {"Hantverkare", {"Bygg, Mark & Co"}}},
       {}},
      {"android.vcf",
       {{"Björn Åberg", "070-333 44 55"},
        {"Åsa-Britt Östlund-Sjögren", "031-12 34 56"},
        {"Ingrid Lundström", "+46709998877"}},
       {},
       {}},
      {"vcard4.vcf",
       {{"Maria García", "+34-600-123-456"}, {"Tomas Ek; jr", "+46 8 444 55 66"}},
       {{"Resor", {"Maria García"}}, {"Vänner", {"Maria García"}}},
       {"Line 14: Föreningen för Bevarandet av Gamla Segelbåtar i Roslagen: the name is longer "
        "than 40 characters",
        "Line 19: Olof Utan Nummer: no phone number"}},
      {"swedish_semicolon.csv",
       {{"Olle Persson", "070-444 55 66"},
        {"Ulla Sjöberg", "08-444 55 66"},
        {"Per \"Pelle\" Lund", "0701112233"}},
       {{"Fotboll", {"Olle Persson", "Ulla Sjöberg"}}, {"Kör", {"Per \"Pelle\" Lund"}}},
       {"Line 5: Eva Holm: no phone number"}},
  };
  for (const SampleCase& sample : cases) {
    SCOPED_TRACE(sample.file);
    testing::TestPhoneBook book;
    const ImportResult result =
        Import(book.store(), Sample(sample.file), *ContactFormatOfPath(sample.file));
    EXPECT_EQ(PeopleOf(book.store()), sample.people);
    EXPECT_EQ(GroupsOf(book.store()), sample.groups);
    EXPECT_EQ(result.details, sample.details);
  }
}

TEST(ContactImportTest, DuplicatesAndExtraNumbersFollowTheChoicesMadeOnce) {
  const std::string file =
      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:anna berg\r\nTEL;TYPE=HOME:08-1\r\n"
      "TEL;TYPE=CELL:070-1\r\nTEL:070-2\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bo Ek\r\nTEL:070-3\r\nEND:VCARD\r\n";
  struct Case {
    DuplicateChoice duplicates;
    bool extra_numbers;
    People people;
    const char* summary;
  };
  const Case cases[] = {
      {DuplicateChoice::kSkip,
       false,
       {{"Anna Berg", "0701"}, {"Anna Berg (2)", "0702"}, {"Bo Ek", "070-3"}},
       "1 added, 0 updated, 1 skipped (see details)"},
      {DuplicateChoice::kAddNumbered,
       false,
       {{"Anna Berg", "0701"},
        {"Anna Berg (2)", "0702"},
        {"anna berg (3)", "070-1"},
        {"Bo Ek", "070-3"}},
       "2 added, 0 updated, 0 skipped"},
      // The extra numbers' names meet the phone book's rule for duplicates too.
      {DuplicateChoice::kSkip,
       true,
       {{"Anna Berg", "0701"},
        {"Anna Berg (2)", "0702"},
        {"anna berg (3)", "070-2"},
        {"Bo Ek", "070-3"}},
       "2 added, 0 updated, 2 skipped (see details)"},
  };
  for (const Case& test : cases) {
    testing::TestPhoneBook book;
    book.Add("Anna Berg", "0701");
    book.Add("Anna Berg (2)", "0702");
    ImportChoices choices;
    choices.duplicates = test.duplicates;
    choices.extra_numbers_as_people = test.extra_numbers;
    const ImportResult result = Import(book.store(), file, ContactFormat::kVcard, choices);
    EXPECT_EQ(PeopleOf(book.store()), test.people);
    EXPECT_EQ(result.Summary(), test.summary);
  }
}

TEST(ContactImportTest, AGroupKeepsItsFirstFortyMembersAndSaysSo) {
  struct Case {
    const char* group;
    int already;
    Groups groups_after;
    std::vector<std::string> details;
  };
  // The members already there and then those of the file.
  auto members = [](int already, std::vector<std::string> added) {
    std::vector<std::string> names;
    for (int i = 0; i < already; ++i) names.push_back("Member " + std::to_string(i));
    names.insert(names.end(), added.begin(), added.end());
    return names;
  };
  const Case cases[] = {
      {"kör", 37, {{"Kör", members(37, {"Anna", "Bo", "Carl"})}}, {}},
      {"kör",
       38,
       {{"Kör", members(38, {"Anna", "Bo"})}},
       {"Group \"Kör\": kept the first 40 members, 1 left out"}},
      // The phone book's own table is no group; said once, the people come in.
      {"telelist", 0, {}, {"Line 2: the group \"telelist\" cannot be made"}},
  };
  for (const Case& test : cases) {
    testing::TestPhoneBook book;
    for (int i = 0; i < test.already; ++i) {
      book.AddToGroup("Kör", "Member " + std::to_string(i), "1");
    }
    ImportChoices choices;
    choices.group = test.group;
    const ImportResult result =
        Import(book.store(), "Name,Phone\nAnna,1\nBo,2\nCarl,3\n", ContactFormat::kCsv, choices);
    EXPECT_EQ(result.added, 3);
    EXPECT_EQ(GroupsOf(book.store()), test.groups_after);
    EXPECT_EQ(result.details, test.details);
  }
}

TEST(ContactImportTest, ACancelOrAFullDiskLeavesThePhoneBookAsItWas) {
  std::string file = "Name;Mobile;Group\n";
  for (int i = 0; i < 3000; ++i) file += "Person " + std::to_string(i) + ";070" + ";New\n";
  for (const bool cancel : {true, false}) {
    testing::TempDir dir;
    const std::string path = dir.FilePath("teledata.mdb");
    testing::FaultySqliteVfs vfs(path);
    SqlitePhoneBookStore::CreateEmptyDatabase(path);
    SqlitePhoneBookStore store;
    store.Open(path);
    {
      auto cursor = store.OpenCursor(kPhoneBookTable);
      cursor->AddNew();
      cursor->SetField(kFieldNamn, "Kept");
      cursor->SetField(kFieldTelenummer, "1");
      cursor->Update();
    }
    int asked = 0;
    ImportCancelled cancelled = [&] { return cancel && ++asked == 20; };
    if (!cancel) vfs.FillAfter(64 * 1024);
    const ImportResult result = Import(store, file, ContactFormat::kCsv, {}, cancelled);
    vfs.FillAfter(-1);
    EXPECT_EQ(result.Summary(), cancel ? "Import cancelled: the phone book is unchanged."
                                       : "Import failed: Disk full! The phone book is unchanged.");
    EXPECT_EQ(PeopleOf(store), (People{{"Kept", "1"}}));
    EXPECT_THAT(GroupNames(store), ElementsAre());
  }
}

TEST(ContactImportTest, WhatIsExportedImportsBackToTheSamePhoneBook) {
  for (const ContactFormat format : {ContactFormat::kCsv, ContactFormat::kVcard}) {
    for (const std::string group : {"", "Kör"}) {
      testing::TestPhoneBook from;
      // Every character a field may need to have quoted or escaped.
      from.Add("Berg, \"Bosse\"; Jr\\", "070-1");
      from.Add("Åsa Öst med ett namn på exakt fyrtio tec", "+46 70 123 45 67");
      from.Add("Carl", "0703");
      from.AddToGroup("Kör", "Berg, \"Bosse\"; Jr\\", "070-1");
      from.AddToGroup("Kör", "Åsa Öst med ett namn på exakt fyrtio tec", "+46 70 123 45 67");
      from.AddToGroup("Golf, Tennis", "Åsa Öst med ett namn på exakt fyrtio tec", "x");
      const std::string bytes = ExportContacts(from.store(), format, group);
      testing::TestPhoneBook to;
      const ImportResult result = Import(to.store(), bytes, ContactFormatOfBytes(bytes));
      SCOPED_TRACE(bytes);
      EXPECT_THAT(result.details, ElementsAre());
      EXPECT_EQ(PeopleOf(to.store()),
                PeopleOf(from.store(), group.empty() ? kPhoneBookTable : group));
      Groups groups = GroupsOf(from.store());
      if (!group.empty())
        groups = {{"Kör", groups["Kör"]}, {"Golf, Tennis", groups["Golf, Tennis"]}};
      EXPECT_EQ(GroupsOf(to.store()), groups);
    }
  }
}

}  // namespace
}  // namespace tolvane
