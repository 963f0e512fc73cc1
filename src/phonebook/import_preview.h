#ifndef TOLVANE_PHONEBOOK_IMPORT_PREVIEW_H_
#define TOLVANE_PHONEBOOK_IMPORT_PREVIEW_H_

#include <string>
#include <vector>

#include "contacts/contact_file.h"
#include "contacts/import_plan.h"
#include "core/control_state.h"

namespace tolvane {

// The window that shows a contact file before it is imported: its first rows
// in a table and the choices made once for the whole file. For a CSV file the
// name, number and group columns (pre-set from the header the file was found
// to have) and whether the first row names the columns (unchecked when the
// header was not recognised, as it may be a person); for both kinds
// whether a person's other numbers become people of their own ("Name (2)"),
// what becomes of people whose name the phone book holds, and a group for
// everyone. The plan is made again with every choice, and the window says how
// many people it brings in. Texts are UTF-8.
class ImportPreview {
 public:
  static constexpr int kShownRows = 10;

  // `file` as read from `file_name`; `groups` are the phone book's, offered
  // for everyone.
  ImportPreview(const std::string& file_name, ContactFile file, std::vector<std::string> groups);

  const std::string& Title() const { return title_; }
  // What the file was found to be: "CSV, separator semicolon, Windows-1252,
  // 1 234 rows" or "vCard, 56 cards".
  const ControlState& FormatLabel() const { return format_label_; }
  const std::vector<std::string>& TableHeader() const { return table_header_; }
  const std::vector<std::vector<std::string>>& TableRows() const { return table_rows_; }

  // CSV only (hidden for vCard).
  const ControlState& HeaderRowBox() const { return header_row_box_; }
  const ListState& NameColumn() const { return name_column_; }
  const ListState& NumberColumn() const { return number_column_; }
  const ListState& GroupColumn() const { return group_column_; }
  // Shown when some person has more than one number; off at first.
  const ControlState& ExtraNumbersBox() const { return extra_numbers_box_; }
  const ListState& Duplicates() const { return duplicates_; }
  // The group for everyone: typed, or one of the phone book's offered.
  const ControlState& GroupBox() const { return group_box_; }
  const ListState& Groups() const { return groups_; }
  // "312 people to import, 7 rows left out (the first, line 3: ...)".
  const ControlState& Summary() const { return summary_; }
  // Enabled while the plan brings anybody in.
  const ControlState& OkButton() const { return ok_button_; }

  void SetHeaderRow(bool header_row);
  void SelectNameColumn(int option);
  void SelectNumberColumn(int option);
  void SelectGroupColumn(int option);
  void SetExtraNumbers(bool on);
  void SelectDuplicates(int option);
  void EditGroup(const std::string& text);

  // The plan the choices make of the file.
  ImportPlan Plan() const { return PlanImport(file_, choices_); }

 private:
  // One entry of a column drop-down: the columns it stands for.
  struct ColumnOption {
    std::string text;
    CsvColumns columns;
  };

  bool IsCsv() const { return file_.format == ContactFormat::kCsv; }
  void FillTable();
  // The drop-downs' entries from the header, keeping the columns chosen.
  void FillColumnLists();
  // The columns of the entries chosen in the drop-downs.
  void TakeColumns();
  // The summary of the plan, after a choice that changes who comes in.
  void Replan();

  ContactFile file_;
  ImportChoices choices_;
  std::string title_;
  std::vector<std::string> table_header_;
  std::vector<std::vector<std::string>> table_rows_;
  std::vector<ColumnOption> name_options_;
  std::vector<ColumnOption> number_options_;

  ControlState format_label_;
  ControlState header_row_box_;
  ListState name_column_;
  ListState number_column_;
  ListState group_column_;
  ControlState extra_numbers_box_;
  ListState duplicates_;
  ControlState group_box_;
  ListState groups_;
  ControlState summary_;
  ControlState ok_button_;
};

}  // namespace tolvane

#endif  // TOLVANE_PHONEBOOK_IMPORT_PREVIEW_H_
