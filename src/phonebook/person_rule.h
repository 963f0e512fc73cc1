#ifndef TOLVANE_PHONEBOOK_PERSON_RULE_H_
#define TOLVANE_PHONEBOOK_PERSON_RULE_H_

#include <string>

namespace tolvane {

// What the phone book takes as a person: a name and a number, each trimmed of
// surrounding blanks, neither empty, the name at most kNamnSize characters and
// the number at most kTelenummerSize. The number is kept as written.
// The reason a trimmed name and number are refused ("the name is longer than
// 40 characters"), or "" when the phone book takes them.
std::string PersonRefusal(const std::string& name, const std::string& number);

}  // namespace tolvane

#endif  // TOLVANE_PHONEBOOK_PERSON_RULE_H_
