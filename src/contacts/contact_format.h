#ifndef TOLVANE_CONTACTS_CONTACT_FORMAT_H_
#define TOLVANE_CONTACTS_CONTACT_FORMAT_H_

#include <optional>
#include <string>

namespace tolvane {

// The two kinds of contact file the phone book reads and writes.
enum class ContactFormat { kCsv, kVcard };

// The format a file name asks for by its extension (".csv", ".vcf" or
// ".vcard", in any letter case); nothing for any other name.
std::optional<ContactFormat> ContactFormatOfPath(const std::string& path);

// What the bytes of a contact file look like: vCard when the first line that
// is not blank is BEGIN:VCARD, otherwise CSV.
ContactFormat ContactFormatOfBytes(const std::string& bytes);

}  // namespace tolvane

#endif  // TOLVANE_CONTACTS_CONTACT_FORMAT_H_
