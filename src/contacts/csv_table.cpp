#include "contacts/csv_table.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <tuple>
#include <utility>

#include "platform/text_codec.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr char kCandidates[] = {',', ';', '\t'};
// The lines looked at to find the separator.
constexpr int kSampleLines = 10;
// libcsv's parser state before the first byte of a record.
constexpr int kLibcsvRowNotBegun = 0;

// The separator that splits the first lines (outside quotes) most evenly and
// most often; a comma when none splits them.
char FindSeparator(std::string_view text) {
  std::array<std::vector<int>, 3> counts;
  std::array<int, 3> line_count{};
  bool quoted = false;
  int lines = 0;
  for (size_t i = 0; i < text.size() && lines < kSampleLines; ++i) {
    const char c = text[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n') {
      for (int k = 0; k < 3; ++k) counts[k].push_back(std::exchange(line_count[k], 0));
      ++lines;
      continue;
    }
    for (int k = 0; k < 3; ++k) line_count[k] += c == kCandidates[k];
  }
  if (lines < kSampleLines) {
    for (int k = 0; k < 3; ++k) counts[k].push_back(line_count[k]);
  }
  // Score: the header splits (first), every line splits alike, the number.
  auto score = [&](int k) {
    const std::vector<int>& per_line = counts[k];
    const bool even = std::all_of(per_line.begin(), per_line.end(),
                                  [&](int n) { return n == per_line.front() || n == 0; });
    return std::make_tuple(per_line.front() > 0, even, per_line.front());
  };
  int best = 0;
  for (int k = 1; k < 3; ++k) {
    if (score(k) > score(best)) best = k;
  }
  return kCandidates[best];
}

struct Collector {
  std::vector<std::string> fields;
  std::vector<CsvRow> records;
  int start_line = 0;
};

void OnField(void* bytes, size_t length, void* data) {
  auto* collector = static_cast<Collector*>(data);
  collector->fields.emplace_back(static_cast<const char*>(bytes), length);
}

void OnRecordEnd(int, void* data) {
  auto* collector = static_cast<Collector*>(data);
  const bool blank = std::all_of(collector->fields.begin(), collector->fields.end(),
                                 [](const std::string& field) { return field.empty(); });
  if (!blank) {
    collector->records.push_back({collector->start_line, std::move(collector->fields)});
  }
  collector->fields.clear();
}

// Only the blank is trimmed around an unquoted field; a tab may separate.
int IsBlank(unsigned char c) { return c == ' '; }

std::vector<CsvRow> ParseRecords(std::string_view text, char separator) {
  csv_parser parser;
  csv_init(&parser, 0);
  csv_set_delim(&parser, static_cast<unsigned char>(separator));
  csv_set_space_func(&parser, IsBlank);
  Collector collector;
  int line = 0;
  // One line a pass, ended by LF, CR LF or a CR alone (which libcsv ends a
  // record at too), so that each record starts on a line of its own.
  for (size_t pos = 0; pos < text.size();) {
    ++line;
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      end = text.size();
    } else {
      end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    }
    if (parser.pstate == kLibcsvRowNotBegun) collector.start_line = line;
    csv_parse(&parser, text.data() + pos, end - pos, OnField, OnRecordEnd, &collector);
    pos = end;
  }
  csv_fini(&parser, OnField, OnRecordEnd, &collector);
  csv_free(&parser);
  return std::move(collector.records);
}

// Lower case, blanks and punctuation dropped: "Phone 1 - Value" is
// "phone1value".
std::string HeaderKey(const std::string& name) {
  std::string key;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (static_cast<unsigned char>(c) >= 0x80) {
      key += c;
    }
  }
  return key;
}

enum class Role { kName, kFirst, kLast, kMobile, kPhone, kGroup };

// Header names of the exports people bring (Google Contacts, Outlook, phones,
// spreadsheets in English and Swedish), as HeaderKey gives them.
const std::map<std::string, Role>& KnownHeaders() {
  static const std::map<std::string, Role> kHeaders = {
      {"name", Role::kName},           {"fullname", Role::kName},
      {"displayname", Role::kName},    {"contactname", Role::kName},
      {"namn", Role::kName},           {"fullständigtnamn", Role::kName},
      {"firstname", Role::kFirst},     {"givenname", Role::kFirst},
      {"förnamn", Role::kFirst},       {"lastname", Role::kLast},
      {"familyname", Role::kLast},     {"surname", Role::kLast},
      {"efternamn", Role::kLast},      {"mobilephone", Role::kMobile},
      {"mobile", Role::kMobile},       {"mobilenumber", Role::kMobile},
      {"cellphone", Role::kMobile},    {"cell", Role::kMobile},
      {"mobil", Role::kMobile},        {"mobiltelefon", Role::kMobile},
      {"mobilnummer", Role::kMobile},  {"phone", Role::kPhone},
      {"phonenumber", Role::kPhone},   {"telephone", Role::kPhone},
      {"tel", Role::kPhone},           {"number", Role::kPhone},
      {"telefon", Role::kPhone},       {"telefonnummer", Role::kPhone},
      {"nummer", Role::kPhone},        {"primaryphone", Role::kPhone},
      {"homephone", Role::kPhone},     {"homephone2", Role::kPhone},
      {"businessphone", Role::kPhone}, {"businessphone2", Role::kPhone},
      {"otherphone", Role::kPhone},    {"groupmembership", Role::kGroup},
      {"labels", Role::kGroup},        {"categories", Role::kGroup},
      {"group", Role::kGroup},         {"groups", Role::kGroup},
      {"grupp", Role::kGroup},         {"grupper", Role::kGroup},
  };
  return kHeaders;
}

// Google's "Phone 1 - Value", "Phone 2 - Value", ...
bool IsNumberedPhoneValue(const std::string& key) {
  if (key.rfind("phone", 0) != 0 || key.size() <= 10) return false;
  if (key.compare(key.size() - 5, 5, "value") != 0) return false;
  const std::string digits = key.substr(5, key.size() - 10);
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

CsvColumns GuessCsvColumns(const std::vector<std::string>& header) {
  CsvColumns columns;
  std::vector<int> mobiles;
  std::vector<int> phones;
  for (int i = 0; i < static_cast<int>(header.size()); ++i) {
    const std::string key = HeaderKey(header[i]);
    auto known = KnownHeaders().find(key);
    if (known == KnownHeaders().end()) {
      if (IsNumberedPhoneValue(key)) phones.push_back(i);
      continue;
    }
    auto take = [i](int& column) {
      if (column < 0) column = i;
    };
    switch (known->second) {
      case Role::kName:
        take(columns.name);
        break;
      case Role::kFirst:
        take(columns.first_name);
        break;
      case Role::kLast:
        take(columns.last_name);
        break;
      case Role::kMobile:
        mobiles.push_back(i);
        break;
      case Role::kPhone:
        phones.push_back(i);
        break;
      case Role::kGroup:
        take(columns.group);
        break;
    }
  }
  columns.numbers = mobiles;
  columns.numbers.insert(columns.numbers.end(), phones.begin(), phones.end());
  return columns;
}

CsvTable ReadCsvTable(std::string_view bytes) {
  CsvTable table;
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  const bool marked = bytes.starts_with(kByteOrderMark);
  if (!IsValidUtf8(bytes.substr(marked ? kByteOrderMark.size() : 0))) {
    table.encoding = TextEncoding::kWindows1252;
  } else if (marked) {
    table.encoding = TextEncoding::kUtf8WithBom;
  }
  const std::string text = ForeignTextToUtf8(bytes);
  table.separator = FindSeparator(text);
  std::vector<CsvRow> records = ParseRecords(text, table.separator);
  if (records.empty()) return table;
  table.header_line = records.front().line;
  table.header = std::move(records.front().fields);
  table.rows.assign(std::make_move_iterator(records.begin() + 1),
                    std::make_move_iterator(records.end()));
  table.guessed = GuessCsvColumns(table.header);
  table.header_recognised = table.guessed != CsvColumns{};
  return table;
}

}  // namespace tolvane
