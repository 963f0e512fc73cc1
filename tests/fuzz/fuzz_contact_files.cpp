// Contact files as any spreadsheet, address book or phone may have written
// them (and broken ones), read both as CSV and as vCards: every text read is
// UTF-8, rows and cards come in file order, and the plan made of them holds
// only people the phone book takes.
#include <string>

#include "contacts/import_plan.h"
#include "fuzz_check.h"
#include "phonebook/person_rule.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

void CheckPlan(const ContactFile& file, ImportChoices choices, bool extra_numbers_as_people) {
  choices.extra_numbers_as_people = extra_numbers_as_people;
  for (const PlannedPerson& person : PlanImport(file, choices).people) {
    FUZZ_CHECK(PersonRefusal(person.name, person.number).empty());
    // Google's own groups ("* starred") are left out.
    for (const std::string& group : person.groups) {
      FUZZ_CHECK(!group.empty() && !group.starts_with("* "));
    }
  }
}

void CheckCsv(const std::string& bytes) {
  ContactFile file;
  file.table = ReadCsvTable(bytes);
  const CsvTable& table = file.table;
  FUZZ_CHECK(table.separator == ',' || table.separator == ';' || table.separator == '\t');
  for (const std::string& name : table.header) FUZZ_CHECK(IsValidUtf8(name));
  int line = table.header_line;
  for (const CsvRow& row : table.rows) {
    FUZZ_CHECK(row.line > line);
    line = row.line;
    for (const std::string& field : row.fields) FUZZ_CHECK(IsValidUtf8(field));
  }
  ImportChoices choices;
  choices.columns = table.guessed;
  choices.first_row_is_header = table.header_recognised;
  CheckPlan(file, choices, bytes.size() % 2 == 1);
}

void CheckVcards(const std::string& bytes) {
  ContactFile file;
  file.format = ContactFormat::kVcard;
  file.cards = ReadVcards(bytes);
  int line = 0;
  for (const Vcard& card : file.cards) {
    FUZZ_CHECK(card.line > line);
    line = card.line;
    FUZZ_CHECK(IsValidUtf8(card.name));
    for (const VcardNumber& number : card.numbers) FUZZ_CHECK(IsValidUtf8(number.number));
    for (const std::string& category : card.categories) FUZZ_CHECK(IsValidUtf8(category));
    const int preferred = PreferredNumber(card);
    FUZZ_CHECK(preferred < static_cast<int>(card.numbers.size()) &&
               (preferred >= 0) == !card.numbers.empty());
  }
  CheckPlan(file, {}, bytes.size() % 2 == 1);
}

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckCsv(bytes);
  CheckVcards(bytes);
  return 0;
}

}  // namespace tolvane
