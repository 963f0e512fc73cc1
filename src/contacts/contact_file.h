#ifndef TOLVANE_CONTACTS_CONTACT_FILE_H_
#define TOLVANE_CONTACTS_CONTACT_FILE_H_

#include <string>
#include <vector>

#include "contacts/contact_format.h"
#include "contacts/csv_table.h"
#include "contacts/vcard_reader.h"

namespace tolvane {

// A contact file as read, before any choice: a CSV table or vCard cards.
struct ContactFile {
  ContactFormat format = ContactFormat::kCsv;
  CsvTable table;            // for kCsv
  std::vector<Vcard> cards;  // for kVcard
};

// Reads the bytes of a file in the given format.
ContactFile ReadContactFile(const std::string& bytes, ContactFormat format);

}  // namespace tolvane

#endif  // TOLVANE_CONTACTS_CONTACT_FILE_H_
