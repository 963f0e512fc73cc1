#include "inbox/inbox_settings.h"

#include "text/text_helpers.h"
#include "text/whole_number.h"

namespace tolvane {

bool ListenSetting(const std::string& text) { return TrimBlanks(text) != "0"; }

int PartsWaitSetting(const std::string& text) {
  // A year at most: the time stays far from overflowing.
  return ParseNumberIn(text, 1, 24 * 366).value_or(kDefaultPartsWaitHours);
}

}  // namespace tolvane
