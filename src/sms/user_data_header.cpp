#include "sms/user_data_header.h"

#include <algorithm>

namespace tolvane {
namespace {

constexpr unsigned char kConcatenation8 = 0x00;
constexpr unsigned char kConcatenation16 = 0x08;

int Octet(std::string_view octets, size_t at) { return static_cast<unsigned char>(octets[at]); }

}  // namespace

size_t UserDataHeaderSize(std::string_view user_data) {
  if (user_data.empty()) return 0;
  return std::min(user_data.size(), static_cast<size_t>(Octet(user_data, 0)) + 1);
}

std::optional<PartLink> ReadPartLink(std::string_view header) {
  header = header.substr(0, UserDataHeaderSize(header));
  std::optional<PartLink> link;
  for (size_t element = 1; element + 2 <= header.size();) {
    const int id = Octet(header, element);
    const size_t length = Octet(header, element + 1);
    const size_t value = element + 2;
    if (value + length > header.size()) break;
    const bool wide = id == kConcatenation16 && length == 4;
    if ((id == kConcatenation8 && length == 3) || wide) {
      PartLink read;
      read.reference_bits = wide ? 16 : 8;
      read.reference =
          wide ? Octet(header, value) << 8 | Octet(header, value + 1) : Octet(header, value);
      read.total = Octet(header, value + length - 2);
      read.index = Octet(header, value + length - 1);
      if (read.total > 0 && read.index > 0 && read.index <= read.total) link = read;
    }
    element = value + length;
  }
  if (link && link->total == 1) return std::nullopt;
  return link;
}

}  // namespace tolvane
