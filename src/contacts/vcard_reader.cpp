#include "contacts/vcard_reader.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/text_codec.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

// A property line with its continuations joined: "item1.TEL;TYPE=cell:0701".
struct LogicalLine {
  int line = 0;
  std::string text;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool Equal(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Whether a line (before its value) says its value is quoted-printable.
bool IsQuotedPrintableLine(std::string_view text) {
  const size_t colon = text.find(':');
  std::string head = Lower(std::string(text.substr(0, colon)));
  return head.find("quoted-printable") != std::string::npos;
}

// The physical lines joined: a line that begins with a blank or a tab goes
// on the one before (RFC 6350 folding, also 2.1's), and a quoted-printable
// value ending in "=" goes on with the next line (a soft line break).
std::vector<LogicalLine> JoinLines(std::string_view bytes) {
  std::vector<LogicalLine> lines;
  bool soft_break = false;
  int number = 0;
  for (size_t pos = 0; pos <= bytes.size();) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (soft_break && !lines.empty()) {
      lines.back().text.pop_back();  // the "="
      lines.back().text.append(line.substr(std::min(line.find_first_not_of(" \t"), line.size())));
    } else if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines.empty()) {
      lines.back().text.append(line.substr(1));
    } else if (!line.empty()) {
      lines.push_back({number, std::string(line)});
    } else {
      soft_break = false;
      continue;
    }
    const std::string& text = lines.back().text;
    soft_break = !text.empty() && text.back() == '=' && IsQuotedPrintableLine(text);
  }
  return lines;
}

struct Property {
  std::string name;  // upper case, without its group
  std::vector<std::string> types;
  bool quoted_printable = false;
  std::string charset;
  std::string value;  // raw
};

// "=C3=A5" to its bytes; a "=" not followed by two hex digits stays.
std::string DecodeQuotedPrintable(std::string_view value) {
  std::string bytes;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '=' && i + 2 < value.size() &&
        std::isxdigit(static_cast<unsigned char>(value[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(value[i + 2]))) {
      bytes += static_cast<char>(std::stoi(std::string(value.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      bytes += value[i];
    }
  }
  return bytes;
}

void AddTypes(std::string_view list, std::vector<std::string>& types) {
  std::string text = Lower(std::string(list));
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
  for (size_t pos = 0; pos <= text.size();) {
    size_t comma = text.find(',', pos);
    if (comma == std::string::npos) comma = text.size();
    if (comma > pos) types.push_back(text.substr(pos, comma - pos));
    pos = comma + 1;
  }
}

// The parameters before the value; nothing when the line has no ":".
std::optional<Property> ReadProperty(const std::string& text) {
  size_t colon = std::string::npos;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == ':' && !quoted) {
      colon = i;
      break;
    }
  }
  if (colon == std::string::npos) return std::nullopt;
  Property property;
  property.value = text.substr(colon + 1);
  std::vector<std::string> parts;
  std::string head = text.substr(0, colon);
  for (size_t pos = 0; pos <= head.size();) {
    size_t semicolon = head.find(';', pos);
    if (semicolon == std::string::npos) semicolon = head.size();
    parts.push_back(head.substr(pos, semicolon - pos));
    pos = semicolon + 1;
  }
  property.name = parts.front();
  if (size_t dot = property.name.rfind('.'); dot != std::string::npos) {
    property.name.erase(0, dot + 1);
  }
  std::transform(property.name.begin(), property.name.end(), property.name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    const size_t equals = part.find('=');
    const std::string key = equals == std::string::npos ? "" : part.substr(0, equals);
    const std::string_view value = equals == std::string::npos
                                       ? std::string_view(part)
                                       : std::string_view(part).substr(equals + 1);
    if (Equal(key, "ENCODING") || (key.empty() && Equal(value, "QUOTED-PRINTABLE"))) {
      property.quoted_printable = property.quoted_printable || Equal(value, "QUOTED-PRINTABLE");
    } else if (Equal(key, "CHARSET")) {
      property.charset = Lower(std::string(value));
    } else if (Equal(key, "TYPE") || key.empty()) {
      AddTypes(value, property.types);
    }
  }
  return property;
}

// The value as UTF-8: quoted-printable decoded, then read in its charset
// (UTF-8, else the Windows code page, which also covers ISO-8859-1).
std::string ValueText(const Property& property) {
  const std::string bytes =
      property.quoted_printable ? DecodeQuotedPrintable(property.value) : property.value;
  if (property.charset.empty() || property.charset == "utf-8" || property.charset == "utf8") {
    return ForeignTextToUtf8(bytes);
  }
  return Cp1252ToUtf8(bytes);
}

// The value cut at each `separator` that is not escaped, every part with its
// escapes undone ("\," "\;" "\\" "\n").
std::vector<std::string> SplitValue(std::string_view text, std::optional<char> separator) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      parts.back() += next == 'n' || next == 'N' ? '\n' : next;
    } else if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

std::string Unescaped(std::string_view text) { return SplitValue(text, std::nullopt).front(); }

// N is family;given;additional;prefixes;suffixes.
std::string NameFromN(const std::string& value) {
  const std::vector<std::string> parts = SplitValue(value, ';');
  std::string name;
  for (size_t index : {1, 2, 0}) {
    if (index >= parts.size()) continue;
    const std::string part = TrimBlanks(parts[index]);
    if (part.empty()) continue;
    if (!name.empty()) name += ' ';
    name += part;
  }
  return name;
}

void TakeProperty(const Property& property, Vcard& card, std::string& n_name) {
  if (property.name == "FN") {
    card.name = TrimBlanks(Unescaped(ValueText(property)));
  } else if (property.name == "N") {
    n_name = NameFromN(ValueText(property));
  } else if (property.name == "TEL") {
    std::string number = Unescaped(ValueText(property));
    if (number.size() >= 4 && Equal(std::string_view(number).substr(0, 4), "tel:")) {
      number.erase(0, 4);
    }
    card.numbers.push_back({TrimBlanks(number), property.types});
  } else if (property.name == "CATEGORIES") {
    for (const std::string& category : SplitValue(ValueText(property), ',')) {
      if (std::string trimmed = TrimBlanks(category); !trimmed.empty()) {
        card.categories.push_back(trimmed);
      }
    }
  }
}

}  // namespace

std::vector<Vcard> ReadVcards(std::string_view bytes) {
  std::vector<Vcard> cards;
  Vcard card;
  std::string n_name;
  int depth = 0;  // cards inside a card (2.1's AGENT) are passed over
  for (const LogicalLine& line : JoinLines(bytes)) {
    std::optional<Property> property = ReadProperty(line.text);
    if (!property) continue;
    const std::string value = TrimBlanks(property->value);
    if (property->name == "BEGIN" && Equal(value, "VCARD")) {
      if (depth++ == 0) {
        card = Vcard();
        card.line = line.line;
        n_name.clear();
      }
    } else if (property->name == "END" && Equal(value, "VCARD") && depth > 0) {
      if (--depth == 0) {
        if (card.name.empty()) card.name = n_name;
        cards.push_back(std::move(card));
      }
    } else if (depth == 1) {
      TakeProperty(*property, card, n_name);
    }
  }
  // A file cut short keeps its last card.
  if (depth > 0) {
    if (card.name.empty()) card.name = n_name;
    cards.push_back(std::move(card));
  }
  return cards;
}

int PreferredNumber(const Vcard& card) {
  for (size_t i = 0; i < card.numbers.size(); ++i) {
    const std::vector<std::string>& types = card.numbers[i].types;
    if (std::find(types.begin(), types.end(), "cell") != types.end() ||
        std::find(types.begin(), types.end(), "mobile") != types.end()) {
      return static_cast<int>(i);
    }
  }
  return card.numbers.empty() ? -1 : 0;
}

}  // namespace tolvane
