#include "gateway/form_encoding.h"

#include <string_view>

#include "platform/text_codec.h"

namespace tolvane {
namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (size_t pos = text.find(from); pos != std::string::npos;
       pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string EscapeGatewayMessage(const std::string& text) {
  std::string escaped = text;
  // The percent sign goes first so that the escapes made below survive.
  ReplaceAll(escaped, "%", "/");
  ReplaceAll(escaped, "+", "%2B");
  ReplaceAll(escaped, "\r", "%0D");
  ReplaceAll(escaped, " ", "+");
  ReplaceAll(escaped, "\n", "%0A");
  ReplaceAll(escaped, "&", "%26");
  return escaped;
}

std::string FormEncode(const std::string& value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : Utf8ToCp1252(value)) {
    if (IsUnreserved(c)) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 0x0F];
    }
  }
  return encoded;
}

}  // namespace tolvane
