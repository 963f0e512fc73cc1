#ifndef TOLVANE_CONTACTS_CSV_TABLE_H_
#define TOLVANE_CONTACTS_CSV_TABLE_H_

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// How the bytes of a file were read as text.
enum class TextEncoding { kUtf8, kUtf8WithBom, kWindows1252 };

// One record of a CSV file, its fields as UTF-8 text.
struct CsvRow {
  int line = 0;  // the file's line (from 1) on which the record starts
  std::vector<std::string> fields;
  bool operator==(const CsvRow&) const = default;
};

// Which columns (indexes into the header, -1 for none) make a person. The
// name is the name column, else the first and last name columns joined by a
// blank. The numbers are tried in order: the first that is not empty is the
// person's number, the others are extra numbers. The group column may hold
// several groups separated by " ::: " (Google) or ";" (Outlook's
// categories).
struct CsvColumns {
  int name = -1;
  int first_name = -1;
  int last_name = -1;
  std::vector<int> numbers;
  int group = -1;
  bool operator==(const CsvColumns&) const = default;
};

// A CSV file as read: the first record is the header, the rest are rows.
struct CsvTable {
  char separator = ',';
  TextEncoding encoding = TextEncoding::kUtf8;
  std::vector<std::string> header;
  int header_line = 0;
  std::vector<CsvRow> rows;
  // The header names a column the import knows; otherwise it may well be a
  // person, and the preview asks.
  bool header_recognised = false;
  // The columns the header names, recognised from the common exports
  // (Google Contacts, Outlook, phones' own, spreadsheets); whatever it does
  // not name stays -1 (or no numbers) for the user to choose.
  CsvColumns guessed;
};

// Reads a CSV file: the separator (comma, semicolon or tab) found by looking
// at the file, RFC 4180 quoting (doubled quotes, line breaks inside quotes),
// UTF-8 with or without a byte-order mark, else Windows-1252. Never fails:
// a broken file gives what could be read of it. Blank records are left out.
CsvTable ReadCsvTable(std::string_view bytes);

// The columns a header names, as ReadCsvTable guesses them.
CsvColumns GuessCsvColumns(const std::vector<std::string>& header);

}  // namespace tolvane

#endif  // TOLVANE_CONTACTS_CSV_TABLE_H_
