#ifndef TOLVANE_CONTACTS_CONTACT_EXPORT_H_
#define TOLVANE_CONTACTS_CONTACT_EXPORT_H_

#include <string>

#include "contacts/contact_format.h"
#include "platform/phone_book_store.h"

namespace tolvane {

// The phone book, or the members of one group, as the bytes of a contact
// file: CSV in UTF-8 with a byte-order mark, comma-separated, the header
// "Name,Phone,Groups" and the groups of a person joined by " ::: "; or vCard
// 4.0 with FN, TEL;TYPE=cell and CATEGORIES. Lines end in CR LF. Reading
// the file back brings in the same people and groups. `group` empty means the
// whole phone book; a missing group throws StoreError (kStoreErrorTableNotFound).
std::string ExportContacts(PhoneBookStore& store, ContactFormat format,
                           const std::string& group = {});

}  // namespace tolvane

#endif  // TOLVANE_CONTACTS_CONTACT_EXPORT_H_
