#include "smpp/smpp_body_reader.h"

namespace tolvane {

std::optional<uint32_t> SmppBodyReader::Integer(int octets) {
  if (failed_ || body_.size() - at_ < static_cast<size_t>(octets)) {
    failed_ = true;
    return std::nullopt;
  }
  uint32_t value = 0;
  for (int i = 0; i < octets; ++i) value = (value << 8) | static_cast<unsigned char>(body_[at_++]);
  return value;
}

std::optional<std::string> SmppBodyReader::CString(size_t max_length) {
  const size_t end = failed_ ? std::string_view::npos : body_.find('\0', at_);
  if (end == std::string_view::npos || end - at_ + 1 > max_length) {
    failed_ = true;
    return std::nullopt;
  }
  std::string text(body_.substr(at_, end - at_));
  at_ = end + 1;
  return text;
}

std::optional<std::string> SmppBodyReader::Octets(size_t count) {
  if (failed_ || body_.size() - at_ < count) {
    failed_ = true;
    return std::nullopt;
  }
  std::string octets(body_.substr(at_, count));
  at_ += count;
  return octets;
}

}  // namespace tolvane
