#include "core/message_file_text.h"

#include <cstdio>

#include "core/utf8.h"
#include "platform/text_codec.h"

namespace tolvane {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsValidUtf8(std::string_view bytes) { return SanitiseUtf8(bytes) == bytes; }

std::string CodePointName(char32_t code_point) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code_point));
  return name;
}

}  // namespace

MessageFileText ReadMessageFileText(std::string_view bytes, std::string_view source) {
  std::string_view utf8 = bytes;
  if (utf8.starts_with(kByteOrderMark)) utf8.remove_prefix(kByteOrderMark.size());
  if (!IsValidUtf8(utf8)) return {std::string(bytes), ""};
  MessageFileText file;
  for (char32_t code_point : DecodeUtf8(utf8)) {
    const std::string held = Utf8ToCp1252(EncodeUtf8(std::u32string(1, code_point)));
    if (held == "?" && code_point != U'?') {
      return {"", "The " + std::string(source) +
                      " holds a character the message cannot carry: " + CodePointName(code_point)};
    }
    file.text += held;
  }
  return file;
}

}  // namespace tolvane
