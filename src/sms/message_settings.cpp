#include "sms/message_settings.h"

#include <limits>
#include <optional>

#include "text/whole_number.h"

namespace tolvane {

int MaxPartsSetting(const std::string& text) {
  const std::optional<long> value = ParseWholeNumber(text);
  return value && *value >= kLeastMaxParts && *value <= kMostMaxParts ? static_cast<int>(*value)
                                                                      : kDefaultMaxParts;
}

int ValiditySetting(const std::string& text) {
  const std::optional<long> value = ParseWholeNumber(text);
  // Past 63 weeks every value means the longest period anyway.
  constexpr long kLongest = 63L * 7 * 24 * 60;
  if (!value || *value < 0) return kDefaultValidityMinutes;
  return static_cast<int>(*value > kLongest ? kLongest : *value);
}

int RateSetting(const std::string& text) {
  const std::optional<long> value = ParseWholeNumber(text);
  return value && *value > 0 && *value <= std::numeric_limits<int>::max() ? static_cast<int>(*value)
                                                                          : 0;
}

int LateAfterSetting(const std::string& text) {
  const std::optional<long> value = ParseWholeNumber(text);
  if (!value || *value < 0 || *value > std::numeric_limits<int>::max()) {
    return kDefaultLateAfterMinutes;
  }
  return static_cast<int>(*value);
}

}  // namespace tolvane
