#include "gsm/gsm_settings.h"

#include <algorithm>

namespace tolvane {

bool IsSimPin(std::string_view pin) {
  return pin.size() >= 4 && pin.size() <= 8 &&
         std::all_of(pin.begin(), pin.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace tolvane
