#ifndef TOLVANE_CORE_TRANSPORT_SETTINGS_H_
#define TOLVANE_CORE_TRANSPORT_SETTINGS_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// A transport's own section of tolvmsg.ini, held as text like the other
// sections. The transport declares its keys; reading, writing and the
// settings page reach them by key, so nothing outside the transport's folder
// names its fields.
class TransportSettings {
 public:
  virtual ~TransportSettings() = default;

  virtual std::string_view Section() const = 0;
  virtual std::unique_ptr<TransportSettings> Clone() const = 0;
  // A fresh record of the same kind: every key at its default.
  virtual std::unique_ptr<TransportSettings> Defaults() const = 0;
  // The keys in the order they are written.
  virtual std::vector<std::string_view> Keys() const = 0;
  // The value of a key; null for a key the section does not have.
  virtual std::string* Value(std::string_view key) = 0;

  const std::string* Value(std::string_view key) const {
    return const_cast<TransportSettings*>(this)->Value(key);
  }
  bool operator==(const TransportSettings& other) const;
};

// One key of a section and the field that holds it.
template <class Record>
struct SettingsKey {
  std::string_view key;
  std::string Record::*field;
};

// The record of a transport's section: `Record` names its section in
// `kSection` and lists its keys in `static constexpr auto KeyList()`.
template <class Record>
class SettingsSection : public TransportSettings {
 public:
  std::string_view Section() const override { return Record::kSection; }
  std::unique_ptr<TransportSettings> Clone() const override {
    return std::make_unique<Record>(static_cast<const Record&>(*this));
  }
  std::unique_ptr<TransportSettings> Defaults() const override {
    return std::make_unique<Record>();
  }
  std::vector<std::string_view> Keys() const override {
    std::vector<std::string_view> keys;
    for (const SettingsKey<Record>& entry : Record::KeyList()) keys.push_back(entry.key);
    return keys;
  }
  std::string* Value(std::string_view key) override {
    for (const SettingsKey<Record>& entry : Record::KeyList()) {
      if (entry.key == key) return &(static_cast<Record*>(this)->*entry.field);
    }
    return nullptr;
  }
  using TransportSettings::Value;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_TRANSPORT_SETTINGS_H_
