#include "core/secret_names.h"

#include <algorithm>
#include <iterator>

namespace tolvane {

bool IsSecretName(std::string_view name) {
  return std::find(std::begin(kSecretNames), std::end(kSecretNames), name) !=
         std::end(kSecretNames);
}

bool IsSimPin(std::string_view pin) {
  return pin.size() >= kMinSimPinDigits && pin.size() <= kMaxSimPinDigits &&
         std::all_of(pin.begin(), pin.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string SecretNameList() {
  std::string list;
  for (std::string_view name : kSecretNames) {
    if (!list.empty()) list += ", ";
    list += name;
  }
  return list;
}

}  // namespace tolvane
