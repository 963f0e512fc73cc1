#include "api/query_parameters.h"

#include <algorithm>

#include "text/whole_number.h"

namespace tolvane {
namespace {

constexpr int kDefaultLimit = 50;
constexpr int kMostLimit = 200;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> PercentDecoded(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

std::optional<std::map<std::string, std::string>> ReadQuery(
    std::string_view query, std::initializer_list<std::string_view> known, std::string& bad) {
  std::map<std::string, std::string> parameters;
  while (!query.empty()) {
    const std::string_view pair = query.substr(0, query.find('&'));
    query.remove_prefix(std::min(query.size(), pair.size() + 1));
    if (pair.empty()) continue;
    const size_t equals = pair.find('=');
    const std::optional<std::string> name = PercentDecoded(pair.substr(0, equals));
    const std::optional<std::string> value =
        PercentDecoded(equals == std::string_view::npos ? "" : pair.substr(equals + 1));
    bad = name.value_or(std::string(pair.substr(0, equals)));
    if (!name || !value || std::find(known.begin(), known.end(), *name) == known.end() ||
        !parameters.emplace(*name, *value).second) {
      return std::nullopt;
    }
  }
  bad.clear();
  return parameters;
}

std::optional<int> ReadLimit(const std::map<std::string, std::string>& parameters) {
  const auto found = parameters.find("limit");
  if (found == parameters.end()) return kDefaultLimit;
  return ParseNumberIn(found->second, 1, kMostLimit);
}

}  // namespace tolvane
