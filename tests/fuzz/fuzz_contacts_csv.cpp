// CSV files as any spreadsheet or address book may have written them: the
// table is UTF-8 with rows in file order, and the plan made from the guessed
// columns holds only people the phone book takes.
#include <string>

#include "contacts/import_plan.h"
#include "fuzz_check.h"
#include "phonebook/person_rule.h"
#include "text/utf8.h"

int tolvane::FuzzOne(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const CsvTable table = ReadCsvTable(bytes);
  FUZZ_CHECK(table.separator == ',' || table.separator == ';' || table.separator == '\t');
  for (const std::string& name : table.header) FUZZ_CHECK(IsValidUtf8(name));
  int line = table.header_line;
  for (const CsvRow& row : table.rows) {
    FUZZ_CHECK(row.line > line);
    line = row.line;
    for (const std::string& field : row.fields) FUZZ_CHECK(IsValidUtf8(field));
  }
  ContactFile file;
  file.table = table;
  ImportChoices choices;
  choices.columns = table.guessed;
  choices.first_row_is_header = table.header_recognised;
  choices.extra_numbers_as_people = size % 2 == 1;
  const ImportPlan plan = PlanImport(file, choices);
  for (const PlannedPerson& person : plan.people) {
    FUZZ_CHECK(PersonRefusal(person.name, person.number).empty());
    // Google's own groups ("* starred") are left out.
    for (const std::string& group : person.groups) {
      FUZZ_CHECK(!group.empty() && !group.starts_with("* "));
    }
  }
  return 0;
}
