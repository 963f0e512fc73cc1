#include "contacts/import_plan.h"

#include <algorithm>
#include <cctype>

#include "phonebook/person_rule.h"
#include "platform/name_key.h"
#include "text/text_helpers.h"

namespace tolvane {
namespace {

// A person of the file before the phone book's rule: numbers in the order
// they are wanted, the first kept.
struct FileEntry {
  int line = 0;
  std::string name;
  std::vector<std::string> numbers;
  std::vector<std::string> groups;
};

// Google marks its own groups ("* myContacts", "* starred") so.
bool IsSystemGroup(const std::string& group) { return group.rfind("* ", 0) == 0; }

void AddGroup(const std::string& group, std::vector<std::string>& groups) {
  const std::string trimmed = TrimBlanks(group);
  if (trimmed.empty() || IsSystemGroup(trimmed)) return;
  for (const std::string& known : groups) {
    if (SameName(known, trimmed)) return;
  }
  groups.push_back(trimmed);
}

// Google joins groups with " ::: ", Outlook its categories with ";".
std::vector<std::string> SplitGroups(const std::string& text) {
  std::vector<std::string> groups;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t google = text.find(":::", pos);
    size_t semicolon = text.find(';', pos);
    size_t end = std::min({google, semicolon, text.size()});
    AddGroup(text.substr(pos, end - pos), groups);
    pos = end + (end == google ? 3 : 1);
  }
  return groups;
}

std::string FieldOf(const CsvRow& row, int column) {
  if (column < 0 || column >= static_cast<int>(row.fields.size())) return "";
  return TrimBlanks(row.fields[column]);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Google names the kind of each number in the column before it ("Phone 1 -
// Type" or "- Label"): "Mobile" for a mobile number.
bool LabelledMobile(const std::vector<std::string>& header, const CsvRow& row, int column) {
  if (column < 1 || column > static_cast<int>(header.size())) return false;
  const std::string label = Lower(header[column - 1]);
  if (!label.ends_with("type") && !label.ends_with("label")) return false;
  return Lower(FieldOf(row, column - 1)).find("mobile") != std::string::npos;
}

// Google puts several numbers of one kind in one cell, joined by " ::: ".
void AddNumbers(const std::string& cell, std::vector<std::string>& numbers) {
  for (size_t pos = 0; pos <= cell.size();) {
    const size_t end = std::min(cell.find(":::", pos), cell.size());
    if (std::string number = TrimBlanks(cell.substr(pos, end - pos)); !number.empty()) {
      numbers.push_back(std::move(number));
    }
    pos = end + 3;
  }
}

FileEntry EntryOfRow(const CsvRow& row, const CsvColumns& columns,
                     const std::vector<std::string>& header) {
  FileEntry entry;
  entry.line = row.line;
  entry.name = FieldOf(row, columns.name);
  if (entry.name.empty()) {
    entry.name =
        TrimBlanks(FieldOf(row, columns.first_name) + " " + FieldOf(row, columns.last_name));
  }
  std::vector<std::string> others;
  for (int column : columns.numbers) {
    AddNumbers(FieldOf(row, column), LabelledMobile(header, row, column) ? entry.numbers : others);
  }
  entry.numbers.insert(entry.numbers.end(), others.begin(), others.end());
  entry.groups = SplitGroups(FieldOf(row, columns.group));
  return entry;
}

FileEntry EntryOfCard(const Vcard& card) {
  FileEntry entry;
  entry.line = card.line;
  entry.name = TrimBlanks(card.name);
  const int preferred = PreferredNumber(card);
  if (preferred >= 0) entry.numbers.push_back(TrimBlanks(card.numbers[preferred].number));
  for (int i = 0; i < static_cast<int>(card.numbers.size()); ++i) {
    if (i == preferred) continue;
    if (std::string number = TrimBlanks(card.numbers[i].number); !number.empty()) {
      entry.numbers.push_back(number);
    }
  }
  for (const std::string& category : card.categories) AddGroup(category, entry.groups);
  return entry;
}

std::vector<FileEntry> EntriesOf(const ContactFile& file, const ImportChoices& choices) {
  std::vector<FileEntry> entries;
  if (file.format == ContactFormat::kVcard) {
    for (const Vcard& card : file.cards) entries.push_back(EntryOfCard(card));
    return entries;
  }
  if (!choices.first_row_is_header && !file.table.header.empty()) {
    entries.push_back(EntryOfRow({file.table.header_line, file.table.header}, choices.columns,
                                 file.table.header));
  }
  for (const CsvRow& row : file.table.rows) {
    entries.push_back(EntryOfRow(row, choices.columns, file.table.header));
  }
  return entries;
}

}  // namespace

std::string NumberedName(const std::string& name, int number) {
  return name + " (" + std::to_string(number) + ")";
}

ImportPlan PlanImport(const ContactFile& file, const ImportChoices& choices) {
  ImportPlan plan;
  plan.duplicates = choices.duplicates;
  for (FileEntry& entry : EntriesOf(file, choices)) {
    AddGroup(choices.group, entry.groups);
    const std::string number = entry.numbers.empty() ? "" : entry.numbers.front();
    if (std::string refusal = PersonRefusal(entry.name, number); !refusal.empty()) {
      plan.skipped.push_back({entry.line, entry.name, std::move(refusal)});
      continue;
    }
    plan.people.push_back({entry.line, entry.name, number, entry.groups});
    if (!choices.extra_numbers_as_people) continue;
    for (size_t i = 1; i < entry.numbers.size(); ++i) {
      const std::string name = NumberedName(entry.name, static_cast<int>(i) + 1);
      if (std::string refusal = PersonRefusal(name, entry.numbers[i]); !refusal.empty()) {
        plan.skipped.push_back({entry.line, name, std::move(refusal)});
      } else {
        plan.people.push_back({entry.line, name, entry.numbers[i], entry.groups});
      }
    }
  }
  return plan;
}

}  // namespace tolvane
