#include "contacts/contact_export.h"

#include <map>
#include <memory>
#include <vector>

#include "phonebook/group_tables.h"
#include "platform/name_key.h"

namespace tolvane {
namespace {

struct ExportedPerson {
  std::string name;
  std::string number;
  std::vector<std::string> groups;
};

// The vCard line length limit, in bytes without the line break.
constexpr size_t kVcardLineOctets = 75;

std::vector<ExportedPerson> ReadPeople(PhoneBookStore& store, const std::string& table) {
  std::vector<ExportedPerson> people;
  std::unique_ptr<RecordCursor> cursor = store.OpenCursor(table);
  for (cursor->MoveFirst(); !cursor->Eof(); cursor->MoveNext()) {
    people.push_back({cursor->Field(kFieldNamn), cursor->Field(kFieldTelenummer), {}});
  }
  return people;
}

std::vector<ExportedPerson> PeopleWithGroups(PhoneBookStore& store, const std::string& group) {
  std::string table = kPhoneBookTable;
  if (!group.empty()) {
    std::optional<std::string> found = FindGroup(store, group);
    if (!found) throw StoreError(kStoreErrorTableNotFound, "there is no group \"" + group + "\"");
    table = *found;
  }
  std::vector<ExportedPerson> people = ReadPeople(store, table);
  std::map<std::string, std::vector<std::string>> groups_of;  // by NameKey
  for (const std::string& name : GroupNames(store)) {
    for (const std::string& member : MemberNames(store, name)) {
      groups_of[NameKey(member)].push_back(name);
    }
  }
  for (ExportedPerson& person : people) person.groups = groups_of[NameKey(person.name)];
  return people;
}

std::string CsvField(const std::string& text) {
  // Blanks around a field would be trimmed by a reader, so they are quoted.
  const bool blank_edge = !text.empty() && (text.front() == ' ' || text.back() == ' ');
  if (text.find_first_of(",;\t\"\r\n") == std::string::npos && !blank_edge) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Csv(const std::vector<ExportedPerson>& people) {
  std::string bytes = "\xEF\xBB\xBFName,Phone,Groups\r\n";
  for (const ExportedPerson& person : people) {
    std::string groups;
    for (const std::string& group : person.groups) {
      if (!groups.empty()) groups += " ::: ";
      groups += group;
    }
    bytes +=
        CsvField(person.name) + "," + CsvField(person.number) + "," + CsvField(groups) + "\r\n";
  }
  return bytes;
}

std::string VcardText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == ',' || c == ';') {
      escaped += '\\';
      escaped += c;
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c != '\r') {
      escaped += c;
    }
  }
  return escaped;
}

// One content line, folded after 75 octets without cutting a character.
std::string VcardLine(const std::string& line) {
  std::string folded;
  size_t width = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const bool starts_character = (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
    if (starts_character && width >= kVcardLineOctets) {
      folded += "\r\n ";
      width = 1;
    }
    folded += line[i];
    ++width;
  }
  return folded + "\r\n";
}

std::string Vcards(const std::vector<ExportedPerson>& people) {
  std::string bytes;
  for (const ExportedPerson& person : people) {
    bytes += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
    bytes += VcardLine("FN:" + VcardText(person.name));
    bytes += VcardLine("TEL;VALUE=text;TYPE=cell:" + VcardText(person.number));
    if (!person.groups.empty()) {
      std::string categories;
      for (const std::string& group : person.groups) {
        if (!categories.empty()) categories += ',';
        categories += VcardText(group);
      }
      bytes += VcardLine("CATEGORIES:" + categories);
    }
    bytes += "END:VCARD\r\n";
  }
  return bytes;
}

}  // namespace

std::string ExportContacts(PhoneBookStore& store, ContactFormat format, const std::string& group) {
  const std::vector<ExportedPerson> people = PeopleWithGroups(store, group);
  return format == ContactFormat::kCsv ? Csv(people) : Vcards(people);
}

}  // namespace tolvane
