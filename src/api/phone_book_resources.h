#ifndef TOLVANE_API_PHONE_BOOK_RESOURCES_H_
#define TOLVANE_API_PHONE_BOOK_RESOURCES_H_

#include <string>
#include <string_view>

#include "api/api_exchange.h"
#include "platform/phone_book_store.h"

namespace tolvane {

// GET /v1/contacts?limit=&cursor=: the phone book's people in its order.
ApiResponse ListContacts(PhoneBookStore* store, std::string_view query);
// GET /v1/groups: every group with its number of members.
ApiResponse ListGroups(PhoneBookStore* store);
// GET /v1/groups/{name}: the group found by name as the phone book compares
// names, with its members; 404 when there is none.
ApiResponse ShowGroup(PhoneBookStore* store, const std::string& name);

}  // namespace tolvane

#endif  // TOLVANE_API_PHONE_BOOK_RESOURCES_H_
