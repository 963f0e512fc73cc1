#include "platform/serial_line_settings.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace tolvane {
namespace {

constexpr int kMaxBaud = 4000000;

std::string_view Trimmed(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<int> WholeNumber(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<SerialLineSettings> ParseSerialLineSettings(std::string_view text) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    size_t comma = text.find(',', start);
    fields.push_back(Trimmed(text.substr(start, comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (fields.size() != 4) return std::nullopt;

  SerialLineSettings settings;
  std::optional<int> baud = WholeNumber(fields[0]);
  if (!baud || *baud <= 0 || *baud > kMaxBaud) return std::nullopt;
  settings.baud = *baud;

  if (fields[1].size() != 1) return std::nullopt;
  const char parity = static_cast<char>(std::toupper(static_cast<unsigned char>(fields[1][0])));
  if (std::string_view("NEOMS").find(parity) == std::string_view::npos) return std::nullopt;
  settings.parity = parity;

  std::optional<int> data_bits = WholeNumber(fields[2]);
  if (!data_bits || *data_bits < 5 || *data_bits > 8) return std::nullopt;
  settings.data_bits = *data_bits;

  if (fields[3] != "1" && fields[3] != "1.5" && fields[3] != "2") return std::nullopt;
  settings.stop_bits = std::string(fields[3]);
  return settings;
}

}  // namespace tolvane
