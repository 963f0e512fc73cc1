#include "phonebook/group_tables.h"

#include "platform/name_key.h"

namespace tolvane {
namespace {

bool IsGroup(const TableInfo& table) {
  return (table.attributes & kSystemTableAttributes) == 0 && !SameName(table.name, kPhoneBookTable);
}

}  // namespace

std::vector<std::string> GroupNames(PhoneBookStore& store) {
  std::vector<std::string> names;
  for (const TableInfo& table : store.Tables()) {
    if (IsGroup(table)) names.push_back(table.name);
  }
  return names;
}

std::optional<std::string> FindGroup(PhoneBookStore& store, const std::string& name) {
  const std::string key = NameKey(name);
  for (const std::string& group : GroupNames(store)) {
    if (NameKey(group) == key) return group;
  }
  return std::nullopt;
}

std::vector<std::string> MemberNames(PhoneBookStore& store, const std::string& group) {
  std::vector<std::string> names;
  std::unique_ptr<RecordCursor> cursor = store.OpenCursor(group);
  for (cursor->MoveFirst(); !cursor->Eof(); cursor->MoveNext()) {
    names.push_back(cursor->Field(kFieldNamn));
  }
  return names;
}

}  // namespace tolvane
