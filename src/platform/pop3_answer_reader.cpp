#include "platform/pop3_answer_reader.h"

#include <charconv>
#include <system_error>

#include "platform/text_codec.h"

namespace tolvane {

void Pop3AnswerReader::Add(std::string_view bytes) {
  // Taken bytes go once they are the larger part, so long answers cost no
  // more than their length.
  if (taken_ > received_.size() / 2) {
    received_.erase(0, taken_);
    taken_ = 0;
  }
  received_.append(bytes);
}

void Pop3AnswerReader::Clear() { *this = Pop3AnswerReader(); }

std::optional<std::string_view> Pop3AnswerReader::NextLine() {
  const size_t end = received_.find('\n', taken_);
  if (end == std::string::npos) return std::nullopt;
  std::string_view line(received_.data() + taken_, end - taken_);
  taken_ = end + 1;
  return line;
}

Pop3AnswerReader::Result Pop3AnswerReader::Take(bool multiline, Pop3Answer& answer) {
  while (std::optional<std::string_view> line = NextLine()) {
    // Too long whether it came in one piece or in many.
    if (line->size() > kMaxLineBytes) {
      Clear();
      return Result::kOversized;
    }
    if (line->ends_with('\r')) line->remove_suffix(1);
    if (!status_read_) {
      answer_.status = std::string(*line);
      // Only a positive answer to TOP or RETR has lines after it.
      if (multiline && IsPositive(answer_.status)) {
        status_read_ = true;
        continue;
      }
    } else if (*line != ".") {
      // A line of the message that starts with a dot has that dot doubled.
      if (line->starts_with('.')) line->remove_prefix(1);
      answer_bytes_ += line->size() + 2;
      if (answer_bytes_ > kMaxAnswerBytes) {
        Clear();
        return Result::kOversized;
      }
      if (!header_done_) {
        if (line->empty()) {
          header_done_ = true;
        } else if (answer_.header.size() + line->size() < kMaxHeaderBytes) {
          answer_.header.append(*line).push_back('\n');
        }
      }
      continue;
    }
    answer = std::move(answer_);
    answer_ = {};
    status_read_ = false;
    header_done_ = false;
    answer_bytes_ = 0;
    return Result::kAnswer;
  }
  if (received_.size() - taken_ > kMaxLineBytes) {
    Clear();
    return Result::kOversized;
  }
  return Result::kNeedMore;
}

bool IsPositive(std::string_view status) { return status.starts_with("+OK"); }

std::optional<int> StatCount(std::string_view status) {
  if (!IsPositive(status)) return std::nullopt;
  status.remove_prefix(3);
  const size_t digits = status.find_first_not_of(" \t");
  if (digits == std::string_view::npos) return std::nullopt;
  int count = 0;
  const char* end = status.data() + status.size();
  // A count beyond the range of int is no count.
  if (std::from_chars(status.data() + digits, end, count).ec != std::errc() || count < 0) {
    return std::nullopt;
  }
  return count;
}

std::string ServerText(std::string_view status) {
  const size_t blank = status.find(' ');
  return blank == std::string_view::npos ? std::string()
                                         : " " + ForeignTextToUtf8(status.substr(blank + 1));
}

}  // namespace tolvane
