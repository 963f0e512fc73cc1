#include "phonebook/person_rule.h"

#include <algorithm>

#include "platform/phone_book_store.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

bool HasControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

}  // namespace

std::string PersonRefusal(const std::string& name, const std::string& number) {
  if (name.empty()) return "no name";
  if (number.empty()) return "no phone number";
  // The window's one-line boxes cannot hold these either.
  if (HasControlCharacter(name)) return "the name holds a line break or a control character";
  if (HasControlCharacter(number)) return "the number holds a line break or a control character";
  if (Utf8Length(name) > kNamnSize) {
    return "the name is longer than " + std::to_string(kNamnSize) + " characters";
  }
  if (Utf8Length(number) > kTelenummerSize) {
    return "the number is longer than " + std::to_string(kTelenummerSize) + " characters";
  }
  return "";
}

}  // namespace tolvane
