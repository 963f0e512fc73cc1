#include "settings_dialog/transport_settings_page.h"

#include <algorithm>
#include <utility>

#include "core/secret_store.h"
#include "core/settings_file.h"
#include "text/text_helpers.h"
#include "text/utf8.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

using Kind = SettingsField::Kind;

std::string PortEntry(const SerialPortInfo& port) {
  return port.description.empty() ? port.path : port.path + "  (" + port.description + ")";
}

}  // namespace

TransportSettingsPage::TransportSettingsPage(const TransportSettings& stored,
                                             SettingsPageLayout layout,
                                             std::optional<SecretRule> secret,
                                             std::vector<SerialPortInfo> ports)
    : layout_(std::move(layout)),
      secret_(std::move(secret)),
      ports_(std::move(ports)),
      controls_(layout_.fields.size()) {
  for (const SerialPortInfo& port : ports_) ports_list_.items.push_back(PortEntry(port));
  // No box cuts what is typed or pasted: an overlong value is refused on "&OK".
  for (size_t i = 0; i < layout_.fields.size(); ++i) {
    const SettingsField& field = layout_.fields[i];
    const std::string* value = stored.Value(field.key);
    if (value == nullptr) continue;
    if (field.kind == Kind::kCheck) {
      controls_[i].checked = *value == "1";
    } else {
      controls_[i].text = *value;
    }
    if (field.kind == Kind::kDevice) SelectOffered(*value);
  }
}

int TransportSettingsPage::ChoiceIndex(size_t field) const {
  const std::vector<SettingsField::Choice>& choices = layout_.fields[field].choices;
  const auto found = std::find_if(choices.begin(), choices.end(), [&](const auto& choice) {
    return choice.value == controls_[field].text;
  });
  return found == choices.end() ? -1 : static_cast<int>(found - choices.begin());
}

void TransportSettingsPage::Changed() {
  if (on_changed_) on_changed_();
}

void TransportSettingsPage::SetActive(bool active) {
  for (ControlState& control : controls_) control.enabled = control.visible = active;
  ports_list_.enabled = active;
  Changed();
}

void TransportSettingsPage::SelectOffered(const std::string& path) {
  // A typed path that is no port offered selects none.
  const auto offered = std::find_if(ports_.begin(), ports_.end(),
                                    [&](const SerialPortInfo& port) { return port.path == path; });
  ports_list_.selected = offered == ports_.end() ? -1 : static_cast<int>(offered - ports_.begin());
}

void TransportSettingsPage::EditText(size_t field, const std::string& text) {
  const Kind kind = layout_.fields[field].kind;
  controls_[field].text = kind == Kind::kNumber ? DigitsOf(text) : text;
  if (kind == Kind::kDevice) SelectOffered(text);
  Changed();
}

void TransportSettingsPage::SetChecked(size_t field, bool checked) {
  controls_[field].checked = checked;
  Changed();
}

void TransportSettingsPage::Choose(size_t field, int index) {
  const std::vector<SettingsField::Choice>& choices = layout_.fields[field].choices;
  if (index < 0 || index >= static_cast<int>(choices.size())) return;
  controls_[field].text = choices[index].value;
  Changed();
}

void TransportSettingsPage::SelectPort(size_t field, int index) {
  if (index < 0 || index >= static_cast<int>(ports_.size())) return;
  ports_list_.selected = index;
  controls_[field].text = ports_[index].path;
  Changed();
}

void TransportSettingsPage::RequestFocus(size_t field) {
  focus_ = field;
  ++focus_count_;
  Changed();
}

bool TransportSettingsPage::Usable(size_t field) const {
  const SettingsField& rule = layout_.fields[field];
  const std::string text = TrimBlanks(controls_[field].text);
  switch (rule.kind) {
    case Kind::kNumber: {
      const std::optional<long> number = ParseWholeNumber(text);
      return number ? *number >= rule.low && *number <= rule.high : !rule.required && text.empty();
    }
    case Kind::kCheck:
      return true;
    case Kind::kChoice:
      return ChoiceIndex(field) >= 0;
    case Kind::kPassword:
      // The password is kept as typed; blanks may belong to it.
      return controls_[field].text.empty() || !secret_ ||
             secret_->RefusalOf(controls_[field].text).empty();
    case Kind::kText:
    case Kind::kDevice:
      if ((rule.required && text.empty()) || Overlong(field)) return false;
      return rule.max_length == 0 || Utf8Length(text) <= rule.max_length;
  }
  return true;
}

std::optional<std::string> TransportSettingsPage::Overlong(size_t field) const {
  const SettingsField& rule = layout_.fields[field];
  if (rule.kind != Kind::kText && rule.kind != Kind::kDevice) return std::nullopt;
  const std::string value = TrimBlanks(controls_[field].text);
  return OverlongSettingText(rule.caption, value, SettingsFile::StoredText(value));
}

std::optional<TransportSettingsPage::Refusal> TransportSettingsPage::Check() const {
  for (size_t i = 0; i < layout_.fields.size(); ++i) {
    if (Usable(i)) continue;
    if (std::optional<std::string> overlong = Overlong(i)) {
      return Refusal{i, std::move(*overlong), "Value too long"};
    }
    std::string text = layout_.fields[i].refusal;
    if (layout_.fields[i].kind == Kind::kPassword) text = secret_->RefusalOf(Control(i).text) + "!";
    return Refusal{i, std::move(text), layout_.refusal_title};
  }
  return std::nullopt;
}

void TransportSettingsPage::ApplyTo(TransportSettings& section) const {
  for (size_t i = 0; i < layout_.fields.size(); ++i) {
    const SettingsField& field = layout_.fields[i];
    std::string* value = section.Value(field.key);
    if (value == nullptr || !Usable(i)) continue;
    *value = field.kind == Kind::kCheck ? (controls_[i].checked ? "1" : "0")
                                        : TrimBlanks(controls_[i].text);
  }
}

bool TransportSettingsPage::StoreSecret(const std::string& program_folder) const {
  for (size_t i = 0; i < layout_.fields.size(); ++i) {
    const std::string& typed = controls_[i].text;
    if (layout_.fields[i].kind != Kind::kPassword || typed.empty() || !Usable(i)) continue;
    if (!SecretStore(program_folder).WriteSecret(layout_.secret, typed)) return false;
  }
  return true;
}

}  // namespace tolvane
