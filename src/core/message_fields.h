#ifndef TOLVANE_CORE_MESSAGE_FIELDS_H_
#define TOLVANE_CORE_MESSAGE_FIELDS_H_

#include <string>
#include <string_view>

namespace tolvane {

// Whom a personal message goes to: the phone-book name (empty for a number
// that has none: one typed, one of an order's list) and the number as written.
struct FieldMember {
  std::string name;
  std::string number;
};

// The fields of a message text, filled for each member it goes to:
//   {name}    the member's whole name
//   {first}   the first word of the name
//   {number}  the number as written
//   {{ }}     a brace
// Field names take any letter case. Only a brace that opens a word and the
// brace that closes it make a field: a brace anywhere else ("a } b", "{ }",
// ":-{") stays as written, so a text without fields goes unchanged.
//
// A text whose field cannot be filled is not sent: an unknown word in braces
// ("{nmae}"), or a field name with only one of its braces ("{first",
// "first}"), which is a typing slip rather than a brace meant as one.

// The text for `member`: every field filled, "{{" and "}}" as one brace.
std::string FillFields(std::string_view text, const FieldMember& member);

// Whether the text holds a field, so that members may get different texts.
bool HasFields(std::string_view text);

// The text with every brace doubled, so that filling gives it back as it is.
std::string EscapeFields(std::string_view text);

// What stops the text from being filled, naming the first unknown or
// half-written field; empty when every field is known.
std::string FieldProblem(std::string_view text);

}  // namespace tolvane

#endif  // TOLVANE_CORE_MESSAGE_FIELDS_H_
