#include "api/phone_book_resources.h"

#include <nlohmann/json.hpp>

#include "api/problem.h"
#include "api/query_parameters.h"
#include "phonebook/group_tables.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

using nlohmann::json;

json Person(const RecordCursor& cursor) {
  return {{"name", cursor.Field(kFieldNamn)}, {"number", cursor.Field(kFieldTelenummer)}};
}

}  // namespace

ApiResponse ListContacts(PhoneBookStore* store, std::string_view query) {
  std::string bad;
  const auto parameters = ReadQuery(query, {"limit", "cursor"}, bad);
  if (!parameters) return Problem(400, "Bad parameter \"" + bad + "\"");
  const std::optional<int> limit = ReadLimit(*parameters);
  if (!limit) return Problem(400, "Bad parameter \"limit\": a whole number from 1 to 200");
  // The cursor is how many people come before the page.
  int skip = 0;
  if (const auto cursor = parameters->find("cursor"); cursor != parameters->end()) {
    const std::optional<int> offset = ParseNumberIn(cursor->second, 1, 1 << 30);
    if (!offset) return Problem(400, "Bad parameter \"cursor\": not one this server gave");
    skip = *offset;
  }
  json contacts = json::array();
  bool more = false;
  if (store != nullptr) {
    const std::unique_ptr<RecordCursor> cursor = store->OpenCursor(kPhoneBookTable);
    cursor->MoveFirst();
    for (int i = 0; i < skip && !cursor->Eof(); ++i) cursor->MoveNext();
    for (; !cursor->Eof() && static_cast<int>(contacts.size()) < *limit; cursor->MoveNext()) {
      contacts.push_back(Person(*cursor));
    }
    more = !cursor->Eof();
  }
  const json next = more ? json(std::to_string(skip + *limit)) : json(nullptr);
  return JsonAnswer(200, {{"contacts", contacts}, {"next_cursor", next}});
}

ApiResponse ListGroups(PhoneBookStore* store) {
  json groups = json::array();
  if (store != nullptr) {
    for (const std::string& name : GroupNames(*store)) {
      groups.push_back({{"name", name}, {"members", MemberNames(*store, name).size()}});
    }
  }
  return JsonAnswer(200, {{"groups", groups}});
}

ApiResponse ShowGroup(PhoneBookStore* store, const std::string& name) {
  const std::optional<std::string> group =
      store != nullptr ? FindGroup(*store, name) : std::nullopt;
  if (!group) return Problem(404, "No group \"" + name + "\"");
  json members = json::array();
  const std::unique_ptr<RecordCursor> cursor = store->OpenCursor(*group);
  for (cursor->MoveFirst(); !cursor->Eof(); cursor->MoveNext()) members.push_back(Person(*cursor));
  return JsonAnswer(200, {{"name", *group}, {"members", members}});
}

}  // namespace tolvane
