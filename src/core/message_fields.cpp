#include "core/message_fields.h"

#include <utf8proc.h>

#include <cctype>
#include <optional>

#include "text/text_helpers.h"

namespace tolvane {
namespace {

enum class Field { kName, kFirst, kNumber };

// The bytes of the word character (a letter, a digit or "_") at `at`; 0 when
// another character stands there.
size_t WordCharAt(std::string_view text, size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x80) return std::isalnum(byte) != 0 || byte == '_' ? 1 : 0;
  utf8proc_int32_t code_point = 0;
  const utf8proc_ssize_t length =
      utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
                       static_cast<utf8proc_ssize_t>(text.size() - at), &code_point);
  if (length <= 0) return 0;
  switch (utf8proc_category(code_point)) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_MN:
    case UTF8PROC_CATEGORY_MC:
    case UTF8PROC_CATEGORY_ND:
      return static_cast<size_t>(length);
    default:
      return 0;
  }
}

size_t WordEnd(std::string_view text, size_t at) {
  while (at < text.size()) {
    const size_t length = WordCharAt(text, at);
    if (length == 0) break;
    at += length;
  }
  return at;
}

std::optional<Field> KnownField(std::string_view word) {
  std::string lower;
  for (char c : word) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "name") return Field::kName;
  if (lower == "first") return Field::kFirst;
  if (lower == "number") return Field::kNumber;
  return std::nullopt;
}

std::string ValueOf(Field field, const FieldMember& member) {
  const std::string name = TrimBlanks(member.name);
  switch (field) {
    case Field::kName:
      return name;
    case Field::kFirst:
      return name.substr(0, name.find_first_of(" \t"));
    case Field::kNumber:
      return TrimBlanks(member.number);
  }
  return {};
}

struct Scan {
  std::string filled;
  std::string problem;
  bool has_fields = false;
};

// One pass over the text: what it becomes for `member` (when given), whether
// it holds a field, and the first problem.
Scan ScanText(std::string_view text, const FieldMember* member) {
  Scan scan;
  auto note = [&scan](std::string problem) {
    if (scan.problem.empty()) scan.problem = std::move(problem);
  };
  // Where the run of word characters that ends at `at` starts.
  size_t word_start = 0;
  size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    const bool doubled = at + 1 < text.size() && text[at + 1] == c;
    if ((c == '{' || c == '}') && doubled) {
      scan.filled += c;
      at += 2;
      word_start = at;
    } else if (c == '{') {
      const size_t end = WordEnd(text, at + 1);
      const std::string_view word = text.substr(at + 1, end - at - 1);
      const std::optional<Field> field = KnownField(word);
      if (!word.empty() && end < text.size() && text[end] == '}') {
        scan.has_fields = true;
        if (!field) {
          note("Unknown field {" + std::string(word) + "}: use {name}, {first} or {number}");
        } else if (member != nullptr) {
          scan.filled += ValueOf(*field, *member);
        }
        at = end + 1;
      } else {
        if (field) note("Field {" + std::string(word) + " has no closing brace");
        scan.filled += c;
        ++at;
      }
      word_start = at;
    } else if (c == '}') {
      const std::string_view word = text.substr(word_start, at - word_start);
      if (KnownField(word)) note("Field " + std::string(word) + "} has no opening brace");
      scan.filled += c;
      word_start = ++at;
    } else {
      size_t length = WordCharAt(text, at);
      if (length == 0) {
        length = 1;
        word_start = at + 1;
      }
      scan.filled.append(text.substr(at, length));
      at += length;
    }
  }
  return scan;
}

}  // namespace

std::string FillFields(std::string_view text, const FieldMember& member) {
  return ScanText(text, &member).filled;
}

std::string EscapeFields(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    escaped += c;
    if (c == '{' || c == '}') escaped += c;
  }
  return escaped;
}

bool HasFields(std::string_view text) { return ScanText(text, nullptr).has_fields; }

std::string FieldProblem(std::string_view text) { return ScanText(text, nullptr).problem; }

}  // namespace tolvane
