#ifndef TOLVANE_CONTACTS_VCARD_READER_H_
#define TOLVANE_CONTACTS_VCARD_READER_H_

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// One TEL of a card: the number as written and its types in lower case
// ("cell", "home", "pref", ...) from TYPE= or, in vCard 2.1, bare parameters.
struct VcardNumber {
  std::string number;
  std::vector<std::string> types;
  bool operator==(const VcardNumber&) const = default;
};

// One card, its texts UTF-8 with the escapes of the format undone.
struct Vcard {
  int line = 0;                         // the file's line (from 1) of its BEGIN:VCARD
  std::string name;                     // FN, else N's given, additional and family names
  std::vector<VcardNumber> numbers;     // in the card's order
  std::vector<std::string> categories;  // CATEGORIES, split at the commas
  bool operator==(const Vcard&) const = default;
};

// Reads every card of a vCard 2.1, 3.0 or 4.0 file: folded lines,
// quoted-printable values with soft line breaks and CHARSET parameters
// (2.1), escaped commas, semicolons, backslashes and line breaks. Lines
// outside a card and properties the phone book has no use for are passed
// over. Bytes not valid UTF-8 (without a CHARSET) are read as Windows-1252.
// Never fails.
std::vector<Vcard> ReadVcards(std::string_view bytes);

// The index in card.numbers of the number a person keeps: the first mobile
// one (types "cell" or "mobile"), else the first; -1 when the card has none.
int PreferredNumber(const Vcard& card);

}  // namespace tolvane

#endif  // TOLVANE_CONTACTS_VCARD_READER_H_
