#ifndef TOLVANE_CORE_TRANSPORT_SETTINGS_SET_H_
#define TOLVANE_CORE_TRANSPORT_SETTINGS_SET_H_

#include <memory>
#include <string_view>
#include <vector>

#include "core/transport_settings.h"

namespace tolvane {

// The sections of every transport that has one, a value like the rest of
// ProgramSettings: copies are deep, and two sets are equal when they hold
// the same sections with the same values.
class TransportSettingsSet {
 public:
  TransportSettingsSet() = default;
  TransportSettingsSet(const TransportSettingsSet& other);
  TransportSettingsSet& operator=(const TransportSettingsSet& other);
  TransportSettingsSet(TransportSettingsSet&&) = default;
  TransportSettingsSet& operator=(TransportSettingsSet&&) = default;

  // Takes a section in at its defaults unless one of its name is held.
  void Add(std::unique_ptr<TransportSettings> section);
  // The section named so; null when no transport added it.
  TransportSettings* Find(std::string_view section);
  const TransportSettings* Find(std::string_view section) const;

  // A transport's own record, added at its defaults on first use.
  template <class Record>
  Record& Get() {
    if (TransportSettings* held = Find(Record::kSection)) return static_cast<Record&>(*held);
    sections_.push_back(std::make_unique<Record>());
    return static_cast<Record&>(*sections_.back());
  }
  template <class Record>
  const Record& Get() const {
    static const Record kDefaults;
    const TransportSettings* held = Find(Record::kSection);
    return held != nullptr ? static_cast<const Record&>(*held) : kDefaults;
  }

  const std::vector<std::unique_ptr<TransportSettings>>& Sections() const { return sections_; }

  bool operator==(const TransportSettingsSet& other) const;

 private:
  std::vector<std::unique_ptr<TransportSettings>> sections_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_TRANSPORT_SETTINGS_SET_H_
