#include "api/api_exchange.h"

#include <algorithm>
#include <cctype>

namespace tolvane {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::optional<std::string> ApiRequest::Header(std::string_view name) const {
  for (const auto& [field, value] : headers) {
    if (SameName(field, name)) return value;
  }
  return std::nullopt;
}

std::string ApiResponse::Header(std::string_view name) const {
  for (const auto& [field, value] : headers) {
    if (SameName(field, name)) return value;
  }
  return {};
}

}  // namespace tolvane
