#include "platform/mail_header.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/text_codec.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// The unfolded value of the first field called `name`, or nothing.
std::optional<std::string> FieldValue(std::string_view header, std::string_view name) {
  const std::string wanted = Lower(name) + ":";
  size_t start = 0;
  while (start < header.size()) {
    size_t end = header.find('\n', start);
    if (end == std::string_view::npos) end = header.size();
    std::string_view line = header.substr(start, end - start);
    if (Lower(line.substr(0, wanted.size())) == wanted) {
      std::string value(line.substr(wanted.size()));
      // Continuation lines start with a blank.
      size_t next = end + 1;
      while (next < header.size() && IsBlank(header[next])) {
        size_t next_end = header.find('\n', next);
        if (next_end == std::string_view::npos) next_end = header.size();
        value += header.substr(next, next_end - next);
        next = next_end + 1;
      }
      value.erase(std::remove(value.begin(), value.end(), '\r'), value.end());
      return value;
    }
    start = end + 1;
  }
  return std::nullopt;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  unsigned int buffer = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=') break;
    size_t value = kAlphabet.find(c);
    if (value == std::string_view::npos) return std::nullopt;
    buffer = (buffer << 6) | static_cast<unsigned int>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return bytes;
}

std::string DecodeQ(std::string_view text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_') {
      bytes += ' ';
    } else if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// Bytes in `charset` as UTF-8.
std::string ToUtf8(const std::string& bytes, const std::string& charset) {
  if (charset == "utf-8" || charset == "utf8") return SanitiseUtf8(bytes);
  if (charset == "iso-8859-1" || charset == "latin1" || charset == "windows-1252" ||
      charset == "cp1252" || charset == "us-ascii" || charset == "ascii") {
    return Cp1252ToUtf8(bytes);
  }
  std::string text = bytes;
  if (charset == "iso-8859-15") {
    // The eight places where Latin-9 differs from Latin-1.
    static constexpr std::pair<unsigned char, unsigned char> kLatin9[] = {
        {0xA4, 0x80}, {0xA6, 0x8A}, {0xA8, 0x9A}, {0xB4, 0x8E},
        {0xB8, 0x9E}, {0xBC, 0x8C}, {0xBD, 0x9C}, {0xBE, 0x9F}};
    for (char& c : text) {
      for (auto [latin9, cp1252] : kLatin9) {
        if (static_cast<unsigned char>(c) == latin9) c = static_cast<char>(cp1252);
      }
    }
    return Cp1252ToUtf8(text);
  }
  for (char& c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  }
  return text;
}

// Decodes the encoded word starting at `at`; on success moves `at` past it.
std::optional<std::string> EncodedWord(std::string_view text, size_t& at) {
  if (text.substr(at, 2) != "=?") return std::nullopt;
  size_t charset_end = text.find('?', at + 2);
  if (charset_end == std::string_view::npos || charset_end + 2 >= text.size() ||
      text[charset_end + 2] != '?') {
    return std::nullopt;
  }
  size_t end = text.find("?=", charset_end + 3);
  if (end == std::string_view::npos) return std::nullopt;
  std::string charset = Lower(text.substr(at + 2, charset_end - at - 2));
  // A language tag may follow the character set (RFC 2231).
  charset = charset.substr(0, charset.find('*'));
  char encoding =
      static_cast<char>(std::toupper(static_cast<unsigned char>(text[charset_end + 1])));
  std::string_view payload = text.substr(charset_end + 3, end - charset_end - 3);
  std::optional<std::string> bytes;
  if (encoding == 'B') {
    bytes = DecodeBase64(payload);
  } else if (encoding == 'Q') {
    bytes = DecodeQ(payload);
  }
  if (!bytes) return std::nullopt;
  at = end + 2;
  return ToUtf8(*bytes, charset);
}

// One line: controls become blanks, runs of blanks one blank.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    bool blank = u < 0x20 || u == 0x7F || c == ' ';
    if (blank) {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += c;
    }
  }
  return std::string(Trim(line));
}

std::string Unquote(std::string_view text) {
  text = Trim(text);
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return std::string(text);
  std::string plain;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '\\' && i + 2 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

// The display name of a From value, or its address when it has none.
std::string SenderName(std::string_view from) {
  from = Trim(from);
  size_t open = from.find('<');
  if (open != std::string_view::npos) {
    std::string name = Unquote(from.substr(0, open));
    if (!Trim(name).empty()) return DecodeHeaderText(name);
    size_t close = from.find('>', open);
    return ForeignTextToUtf8(Trim(from.substr(
        open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1)));
  }
  // The old form: address (Name).
  size_t paren = from.find('(');
  size_t close = from.rfind(')');
  if (paren != std::string_view::npos && close != std::string_view::npos && close > paren) {
    std::string_view name = Trim(from.substr(paren + 1, close - paren - 1));
    if (!name.empty()) return DecodeHeaderText(name);
    return ForeignTextToUtf8(Trim(from.substr(0, paren)));
  }
  return ForeignTextToUtf8(from);
}

}  // namespace

std::string DecodeHeaderText(std::string_view value) {
  std::string text;
  std::string pending_blanks;
  bool after_word = false;
  size_t i = 0;
  while (i < value.size()) {
    size_t at = i;
    if (std::optional<std::string> word = EncodedWord(value, at)) {
      // Blanks between two encoded words are not part of the text.
      if (!after_word) text += pending_blanks;
      pending_blanks.clear();
      text += *word;
      after_word = true;
      i = at;
      continue;
    }
    if (IsBlank(value[i])) {
      pending_blanks += value[i];
      ++i;
      continue;
    }
    text += pending_blanks;
    pending_blanks.clear();
    size_t next = value.find("=?", i + 1);
    size_t blank = value.find_first_of(" \t", i);
    size_t stop = std::min(next, blank);
    if (stop == std::string_view::npos) stop = value.size();
    text += ForeignTextToUtf8(value.substr(i, stop - i));
    after_word = false;
    i = stop;
  }
  text += pending_blanks;
  return OneLine(text);
}

std::string MessageLine(std::string_view header) {
  std::string sender = OneLine(SenderName(FieldValue(header, "From").value_or("")));
  std::string subject = DecodeHeaderText(FieldValue(header, "Subject").value_or(""));
  return sender + ": " + subject;
}

}  // namespace tolvane
