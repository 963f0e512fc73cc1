#include "core/transport_settings_set.h"

#include <algorithm>

namespace tolvane {

TransportSettingsSet::TransportSettingsSet(const TransportSettingsSet& other) { *this = other; }

TransportSettingsSet& TransportSettingsSet::operator=(const TransportSettingsSet& other) {
  if (this == &other) return *this;
  sections_.clear();
  for (const auto& section : other.sections_) sections_.push_back(section->Clone());
  return *this;
}

void TransportSettingsSet::Add(std::unique_ptr<TransportSettings> section) {
  if (Find(section->Section()) == nullptr) sections_.push_back(std::move(section));
}

TransportSettings* TransportSettingsSet::Find(std::string_view section) {
  const auto found = std::find_if(sections_.begin(), sections_.end(),
                                  [&](const auto& held) { return held->Section() == section; });
  return found == sections_.end() ? nullptr : found->get();
}

const TransportSettings* TransportSettingsSet::Find(std::string_view section) const {
  return const_cast<TransportSettingsSet*>(this)->Find(section);
}

bool TransportSettingsSet::operator==(const TransportSettingsSet& other) const {
  // A section one side never added stands at its defaults.
  auto covers = [](const TransportSettingsSet& one, const TransportSettingsSet& another) {
    return std::all_of(one.sections_.begin(), one.sections_.end(), [&](const auto& section) {
      const TransportSettings* twin = another.Find(section->Section());
      return twin != nullptr ? *twin == *section : *section->Defaults() == *section;
    });
  };
  return covers(*this, other) && covers(other, *this);
}

}  // namespace tolvane
