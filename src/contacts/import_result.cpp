#include "contacts/import_result.h"

namespace tolvane {

std::string ImportResult::Summary() const {
  if (cancelled) return "Import cancelled: the phone book is unchanged.";
  if (!failure.empty()) return "Import failed: " + failure + " The phone book is unchanged.";
  std::string text = std::to_string(added) + " added, " + std::to_string(updated) + " updated, " +
                     std::to_string(skipped) + " skipped";
  if (!details.empty()) text += " (see details)";
  return text;
}

}  // namespace tolvane
