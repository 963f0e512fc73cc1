#include "gsm/at_line_reader.h"

#include <charconv>

namespace tolvane {

void AtLineReader::Feed(std::string_view bytes) { buffer_.append(bytes); }

std::optional<AtAnswer> AtLineReader::Next() {
  for (;;) {
    const size_t start = buffer_.find_first_not_of("\r\n");
    if (start == std::string::npos) {
      buffer_.clear();
      return std::nullopt;
    }
    buffer_.erase(0, start);
    // The prompt ends nothing: it is "> " with no line end behind it, though
    // a line the modem sends on its own may follow in the same read. No
    // answer line starts with ">".
    if (buffer_[0] == '>') {
      buffer_.erase(0, buffer_.size() > 1 && buffer_[1] == ' ' ? 2 : 1);
      return AtAnswer{AtAnswer::Kind::kPrompt, ""};
    }
    size_t end = buffer_.find_first_of("\r\n");
    if (end == std::string::npos) {
      if (buffer_.size() < kMaxLine) return std::nullopt;
      end = kMaxLine;
    }
    std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end);
    return AtAnswer{AtAnswer::Kind::kLine, std::move(line)};
  }
}

bool IsFinalOk(std::string_view line) { return line == "OK"; }

bool IsFinalError(std::string_view line) {
  return line == "ERROR" || line.starts_with("+CME ERROR:") || line.starts_with("+CMS ERROR:");
}

std::optional<std::string> Field(std::string_view line, std::string_view prefix) {
  if (!line.starts_with(prefix) || line.size() <= prefix.size() || line[prefix.size()] != ':') {
    return std::nullopt;
  }
  std::string_view rest = line.substr(prefix.size() + 1);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  return std::string(rest);
}

std::optional<int> ErrorCode(std::string_view line, std::string_view prefix) {
  std::optional<std::string> field = Field(line, prefix);
  if (!field) return std::nullopt;
  int code = 0;
  const char* end = field->data() + field->size();
  auto [ptr, ec] = std::from_chars(field->data(), end, code);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return code;
}

}  // namespace tolvane
