#include "phonebook/import_preview.h"

#include <algorithm>
#include <utility>

#include "contacts/vcard_reader.h"
#include "text/text_helpers.h"

namespace tolvane {

namespace {

constexpr char kNoColumn[] = "(none)";

std::string Join(const std::vector<std::string>& parts, const char* separator) {
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += separator;
    joined += part;
  }
  return joined;
}

std::string Counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string SeparatorName(char separator) {
  switch (separator) {
    case ';':
      return "semicolon";
    case '\t':
      return "tab";
    default:
      return "comma";
  }
}

std::string EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8WithBom:
      return "UTF-8 with byte-order mark";
    case TextEncoding::kWindows1252:
      return "Windows-1252";
    case TextEncoding::kUtf8:
      break;
  }
  return "UTF-8";
}

// The file name without its folders, for the title.
std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name column wins over first and last name columns.
bool SameName(const CsvColumns& option, const CsvColumns& chosen) {
  if (chosen.name >= 0) return option.name == chosen.name;
  return option.name < 0 && option.first_name == chosen.first_name &&
         option.last_name == chosen.last_name;
}

}  // namespace

ImportPreview::ImportPreview(const std::string& file_name, ContactFile file,
                             std::vector<std::string> groups)
    : file_(std::move(file)), title_("Import " + BaseName(file_name)) {
  choices_.columns = file_.table.guessed;
  // A header nobody recognises may well be a person.
  choices_.first_row_is_header = !IsCsv() || file_.table.header_recognised;
  header_row_box_.text = "&First row holds the column names";
  header_row_box_.checked = choices_.first_row_is_header;
  header_row_box_.visible = IsCsv();
  name_column_.visible = number_column_.visible = group_column_.visible = IsCsv();
  extra_numbers_box_.text = "E&xtra numbers as people named \"Name (2)\"";
  duplicates_.items = {"Skip them", "Replace the number", "Add as \"Name (2)\""};
  duplicates_.selected = 0;
  groups_.items = std::move(groups);
  ok_button_.text = "OK";
  FillTable();
  FillColumnLists();
  Replan();
}

void ImportPreview::SetHeaderRow(bool header_row) {
  if (!IsCsv() || header_row == header_row_box_.checked) return;
  header_row_box_.checked = header_row;
  choices_.first_row_is_header = header_row;
  FillTable();
  FillColumnLists();
  Replan();
}

void ImportPreview::SelectNameColumn(int option) {
  if (option < 0 || option >= static_cast<int>(name_options_.size())) return;
  name_column_.selected = option;
  TakeColumns();
  Replan();
}

void ImportPreview::SelectNumberColumn(int option) {
  if (option < 0 || option >= static_cast<int>(number_options_.size())) return;
  number_column_.selected = option;
  TakeColumns();
  Replan();
}

void ImportPreview::SelectGroupColumn(int option) {
  if (option < 0 || option >= static_cast<int>(group_column_.items.size())) return;
  group_column_.selected = option;
  TakeColumns();
  Replan();
}

void ImportPreview::SetExtraNumbers(bool on) {
  if (!extra_numbers_box_.visible) return;
  extra_numbers_box_.checked = on;
  choices_.extra_numbers_as_people = on;
  Replan();
}

void ImportPreview::SelectDuplicates(int option) {
  static constexpr DuplicateChoice kChoices[] = {
      DuplicateChoice::kSkip, DuplicateChoice::kReplaceNumber, DuplicateChoice::kAddNumbered};
  if (option < 0 || option >= static_cast<int>(std::size(kChoices))) return;
  duplicates_.selected = option;
  choices_.duplicates = kChoices[option];
}

void ImportPreview::EditGroup(const std::string& text) {
  group_box_.text = text;
  choices_.group = TrimBlanks(text);
}

void ImportPreview::FillTable() {
  table_rows_.clear();
  if (IsCsv()) {
    const CsvTable& table = file_.table;
    const bool header = choices_.first_row_is_header;
    std::size_t width = table.header.size();
    if (!header) {
      table_rows_.push_back(table.header);
      for (const CsvRow& row : table.rows) width = std::max(width, row.fields.size());
    }
    table_header_ = header ? table.header : std::vector<std::string>(width);
    for (std::size_t i = 0; i < table_header_.size(); ++i) {
      if (table_header_[i].empty()) table_header_[i] = "Column " + std::to_string(i + 1);
    }
    for (std::size_t i = 0; i < table.rows.size() && table_rows_.size() < kShownRows; ++i) {
      table_rows_.push_back(table.rows[i].fields);
    }
    format_label_.text = "CSV, separator " + SeparatorName(table.separator) + ", " +
                         EncodingName(table.encoding) + ", " +
                         Counted(table.rows.size() + (header ? 0 : 1), "row", "rows");
    return;
  }
  table_header_ = {"Name", "Number", "Other numbers", "Groups"};
  for (std::size_t i = 0; i < file_.cards.size() && i < kShownRows; ++i) {
    const Vcard& card = file_.cards[i];
    const int kept = PreferredNumber(card);
    std::vector<std::string> others;
    for (int n = 0; n < static_cast<int>(card.numbers.size()); ++n) {
      if (n != kept) others.push_back(card.numbers[n].number);
    }
    table_rows_.push_back({card.name, kept < 0 ? "" : card.numbers[kept].number, Join(others, ", "),
                           Join(card.categories, ", ")});
  }
  format_label_.text = "vCard, " + Counted(file_.cards.size(), "card", "cards");
}

void ImportPreview::FillColumnLists() {
  if (!IsCsv()) return;
  const CsvColumns& chosen = choices_.columns;
  name_options_ = {{kNoColumn, {}}};
  number_options_ = {{kNoColumn, {}}};
  // A name made of two columns, or a number from the first of several, as
  // the header was recognised.
  if (chosen.name < 0 && (chosen.first_name >= 0 || chosen.last_name >= 0)) {
    std::vector<std::string> parts;
    for (int column : {chosen.first_name, chosen.last_name}) {
      if (column >= 0 && column < static_cast<int>(table_header_.size())) {
        parts.push_back(table_header_[column]);
      }
    }
    CsvColumns name;
    name.first_name = chosen.first_name;
    name.last_name = chosen.last_name;
    name_options_.push_back({Join(parts, " + "), name});
  }
  if (chosen.numbers.size() > 1) {
    std::vector<std::string> parts;
    for (int column : chosen.numbers) {
      if (column >= 0 && column < static_cast<int>(table_header_.size())) {
        parts.push_back(table_header_[column]);
      }
    }
    CsvColumns numbers;
    numbers.numbers = chosen.numbers;
    number_options_.push_back({"First of " + Join(parts, ", "), numbers});
  }
  std::vector<std::string> group_items = {kNoColumn};
  for (int i = 0; i < static_cast<int>(table_header_.size()); ++i) {
    CsvColumns column;
    column.name = i;
    name_options_.push_back({table_header_[i], column});
    column = {};
    column.numbers = {i};
    number_options_.push_back({table_header_[i], column});
    group_items.push_back(table_header_[i]);
  }

  auto fill = [](ListState& list, const std::vector<ColumnOption>& options, auto matches) {
    std::vector<std::string> items;
    list.selected = 0;
    for (int i = 0; i < static_cast<int>(options.size()); ++i) {
      items.push_back(options[i].text);
      if (i > 0 && list.selected == 0 && matches(options[i].columns)) list.selected = i;
    }
    list.items = std::move(items);
  };
  fill(name_column_, name_options_,
       [&](const CsvColumns& option) { return SameName(option, chosen); });
  fill(number_column_, number_options_,
       [&](const CsvColumns& option) { return option.numbers == chosen.numbers; });
  group_column_.items = std::move(group_items);
  group_column_.selected =
      chosen.group >= 0 && chosen.group < static_cast<int>(table_header_.size()) ? chosen.group + 1
                                                                                 : 0;
  // What no entry shows is not chosen.
  TakeColumns();
}

void ImportPreview::TakeColumns() {
  if (!IsCsv()) return;
  CsvColumns& columns = choices_.columns;
  const CsvColumns& name = name_options_.at(name_column_.selected).columns;
  columns.name = name.name;
  columns.first_name = name.first_name;
  columns.last_name = name.last_name;
  columns.numbers = number_options_.at(number_column_.selected).columns.numbers;
  columns.group = group_column_.selected - 1;
}

void ImportPreview::Replan() {
  bool extra_numbers = choices_.columns.numbers.size() > 1;
  if (!IsCsv()) {
    extra_numbers = std::any_of(file_.cards.begin(), file_.cards.end(),
                                [](const Vcard& card) { return card.numbers.size() > 1; });
  }
  extra_numbers_box_.visible = extra_numbers;
  if (!extra_numbers) extra_numbers_box_.checked = false;
  choices_.extra_numbers_as_people = extra_numbers_box_.checked;

  const ImportPlan plan = Plan();
  summary_.text = Counted(plan.people.size(), "person", "people") + " to import";
  if (!plan.skipped.empty()) {
    const SkippedRow& first = plan.skipped.front();
    summary_.text += ", " + Counted(plan.skipped.size(), "row", "rows") + " left out (" +
                     (plan.skipped.size() == 1 ? "" : "the first, ") + "line " +
                     std::to_string(first.line) + ": " + first.reason + ")";
  }
  ok_button_.enabled = !plan.people.empty();
}

}  // namespace tolvane
