#include "core/transport_settings.h"

namespace tolvane {

bool TransportSettings::operator==(const TransportSettings& other) const {
  if (Section() != other.Section() || Keys() != other.Keys()) return false;
  for (std::string_view key : Keys()) {
    if (*Value(key) != *other.Value(key)) return false;
  }
  return true;
}

}  // namespace tolvane
