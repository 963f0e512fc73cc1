// vCard files of any version as phones and address books write them (and
// broken ones): every text read is UTF-8, cards come in file order, and the
// plan holds only people the phone book takes.
#include <string>

#include "contacts/import_plan.h"
#include "fuzz_check.h"
#include "phonebook/person_rule.h"
#include "text/utf8.h"

int tolvane::FuzzOne(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ContactFile file;
  file.format = ContactFormat::kVcard;
  file.cards = ReadVcards(bytes);
  int line = 0;
  for (const Vcard& card : file.cards) {
    FUZZ_CHECK(card.line > line);
    line = card.line;
    FUZZ_CHECK(IsValidUtf8(card.name));
    for (const VcardNumber& number : card.numbers) FUZZ_CHECK(IsValidUtf8(number.number));
    for (const std::string& category : card.categories) FUZZ_CHECK(IsValidUtf8(category));
    const int preferred = PreferredNumber(card);
    FUZZ_CHECK(preferred < static_cast<int>(card.numbers.size()) &&
               (preferred >= 0) == !card.numbers.empty());
  }
  ImportChoices choices;
  choices.extra_numbers_as_people = size % 2 == 1;
  for (const PlannedPerson& person : PlanImport(file, choices).people) {
    FUZZ_CHECK(PersonRefusal(person.name, person.number).empty());
  }
  return 0;
}
