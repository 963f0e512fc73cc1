#ifndef TOLVANE_CONTACTS_IMPORT_PLAN_H_
#define TOLVANE_CONTACTS_IMPORT_PLAN_H_

#include <string>
#include <vector>

#include "contacts/contact_file.h"

namespace tolvane {

// What an import does with a person whose name (without regard to letter
// case) the phone book already holds: leave it, give it the file's number,
// or add the file's person as "Name (2)" (or the next free number).
enum class DuplicateChoice { kSkip, kReplaceNumber, kAddNumbered };

// The user's choices for one import, made once for the whole file.
struct ImportChoices {
  CsvColumns columns;  // CSV only; start from the table's guess
  // CSV only: false when the file has no header row, so its first row is a
  // person too (start from the table's header_recognised).
  bool first_row_is_header = true;
  DuplicateChoice duplicates = DuplicateChoice::kSkip;
  // A person's numbers past the one kept also become people, named
  // "Name (2)", "Name (3)", ...
  bool extra_numbers_as_people = false;
  // Everyone imported also joins this group; empty for none.
  std::string group;
};

// One person to bring in, texts trimmed as the phone book stores them.
struct PlannedPerson {
  int line = 0;  // where in the file the person comes from
  std::string name;
  std::string number;
  std::vector<std::string> groups;
  bool operator==(const PlannedPerson&) const = default;
};

// A row of the file that brings in nobody, and why.
struct SkippedRow {
  int line = 0;
  std::string name;  // empty when the row has none
  std::string reason;
  bool operator==(const SkippedRow&) const = default;
};

// What an import will do, before the phone book is touched.
struct ImportPlan {
  std::vector<PlannedPerson> people;
  std::vector<SkippedRow> skipped;
  DuplicateChoice duplicates = DuplicateChoice::kSkip;
};

// "Anna (2)": the name of a person's second number, or of a second Anna.
std::string NumberedName(const std::string& name, int number);

// Makes the plan: each row or card gives a person when the phone book's rule
// for a person (phonebook/person_rule.h) takes its name and number, else a
// skipped row with the rule's reason. Google's system groups ("* myContacts",
// "* starred") are left out.
ImportPlan PlanImport(const ContactFile& file, const ImportChoices& choices);

}  // namespace tolvane

#endif  // TOLVANE_CONTACTS_IMPORT_PLAN_H_
