#include "core/secret_names.h"

#include <algorithm>
#include <iterator>

namespace tolvane {

bool IsSecretName(std::string_view name) {
  return std::find(std::begin(kSecretNames), std::end(kSecretNames), name) !=
         std::end(kSecretNames);
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
