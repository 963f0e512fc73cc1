#include "sim/numbered_people.h"

#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <memory>

#include "platform/name_key.h"
#include "platform/phone_book_store.h"
#include "platform/sqlite_statement.h"

namespace tolvane::sim {
namespace {

constexpr std::array<const char*, 8> kFirstNames = {"Anna", "Bertil",  "Cecilia", "David",
                                                    "Eva",  "Fredrik", "Greta",   "Hugo"};
constexpr std::array<const char*, 8> kSurnames = {"Andersson", "Berg",     "Ceder",      "Dahl",
                                                  "Ek",        "Forsberg", "Gustafsson", "Holm"};

}  // namespace

std::string NumberedPersonName(int index) {
  return std::string(kFirstNames[index % kFirstNames.size()]) + " " +
         kSurnames[(index / kFirstNames.size()) % kSurnames.size()] + " " + std::to_string(index);
}

void AddNumberedPeople(const std::string& path, int count) {
  sqlite3* raw = nullptr;
  int result = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close_v2);
  if (result != SQLITE_OK) throw SqliteStoreError(db.get(), result);

  const std::string table = QuoteSqlIdentifier(kPhoneBookTable);
  SqliteStatement(db.get(), "BEGIN").Run();
  int first = 1;
  {
    SqliteStatement existing(db.get(), "SELECT count(*) FROM " + table);
    if (existing.Step()) first += static_cast<int>(existing.ColumnInt64(0));
  }
  SqliteStatement insert(db.get(), "INSERT INTO " + table + " (" + QuoteSqlIdentifier(kFieldNamn) +
                                       ", " + QuoteSqlIdentifier(kFieldTelenummer) + ", " +
                                       QuoteSqlIdentifier(kFieldOperator) + ", " +
                                       QuoteSqlIdentifier(kFieldNamnKey) +
                                       ") VALUES (?1, ?2, '1', ?3)");
  for (int index = first; index < first + count; ++index) {
    char number[16];
    std::snprintf(number, sizeof number, "070-%07d", index % 10000000);
    const std::string name = NumberedPersonName(index);
    insert.BindText(1, name);
    insert.BindText(3, NameKey(name));
    insert.BindText(2, number);
    insert.Run();
    insert.Reset();
  }
  SqliteStatement(db.get(), "COMMIT").Run();
}

}  // namespace tolvane::sim
