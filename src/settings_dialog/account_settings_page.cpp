#include "settings_dialog/account_settings_page.h"

#include <algorithm>
#include <utility>

#include "core/secret_names.h"
#include "core/secret_store.h"
#include "core/settings_file.h"
#include "text/text_helpers.h"
#include "text/utf8.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

using Kind = AccountField::Kind;

}  // namespace

AccountSettingsPage::AccountSettingsPage(const ProgramSettings& settings, AccountPageLayout layout)
    : layout_(std::move(layout)), controls_(layout_.fields.size()) {
  // No box cuts what is typed or pasted: an overlong value is refused on "&OK".
  for (size_t i = 0; i < layout_.fields.size(); ++i) {
    const AccountField& field = layout_.fields[i];
    ControlState& control = controls_[i];
    if (field.setting == nullptr) continue;
    const std::string& value = settings.*field.setting;
    if (field.kind == Kind::kCheck) {
      control.checked = value == "1";
    } else {
      control.text = value;
    }
  }
}

int AccountSettingsPage::ChoiceIndex(size_t field) const {
  const std::vector<AccountField::Choice>& choices = layout_.fields[field].choices;
  const auto found = std::find_if(choices.begin(), choices.end(), [&](const auto& choice) {
    return choice.value == controls_[field].text;
  });
  return found == choices.end() ? -1 : static_cast<int>(found - choices.begin());
}

void AccountSettingsPage::Changed() {
  if (on_changed_) on_changed_();
}

void AccountSettingsPage::SetActive(bool active) {
  for (ControlState& control : controls_) control.enabled = control.visible = active;
  Changed();
}

void AccountSettingsPage::EditText(size_t field, const std::string& text) {
  controls_[field].text = layout_.fields[field].kind == Kind::kNumber ? DigitsOf(text) : text;
  Changed();
}

void AccountSettingsPage::SetChecked(size_t field, bool checked) {
  controls_[field].checked = checked;
  Changed();
}

void AccountSettingsPage::Choose(size_t field, int index) {
  const std::vector<AccountField::Choice>& choices = layout_.fields[field].choices;
  if (index < 0 || index >= static_cast<int>(choices.size())) return;
  controls_[field].text = choices[index].value;
  Changed();
}

void AccountSettingsPage::RequestFocus(size_t field) {
  focus_ = field;
  ++focus_count_;
  Changed();
}

bool AccountSettingsPage::Usable(size_t field) const {
  const AccountField& rule = layout_.fields[field];
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
    case Kind::kText:
    case Kind::kPassword:
      if ((rule.required && text.empty()) || Overlong(field)) return false;
      // The password is kept as typed; blanks may belong to it.
      return rule.max_length == 0 ||
             Utf8Length(rule.kind == Kind::kPassword ? controls_[field].text : text) <=
                 rule.max_length;
  }
  return true;
}

std::optional<std::string> AccountSettingsPage::Overlong(size_t field) const {
  const AccountField& rule = layout_.fields[field];
  if (rule.setting == nullptr || rule.kind != Kind::kText) return std::nullopt;
  const std::string value = TrimBlanks(controls_[field].text);
  return OverlongSettingText(rule.caption, value, SettingsFile::StoredText(value));
}

std::optional<AccountSettingsPage::Refusal> AccountSettingsPage::Check() const {
  for (size_t i = 0; i < layout_.fields.size(); ++i) {
    if (!Usable(i)) {
      return Refusal{i, Overlong(i).value_or(layout_.fields[i].refusal), layout_.refusal_title};
    }
  }
  return std::nullopt;
}

void AccountSettingsPage::ApplyTo(ProgramSettings& settings) const {
  for (size_t i = 0; i < layout_.fields.size(); ++i) {
    const AccountField& field = layout_.fields[i];
    if (field.setting == nullptr || !Usable(i)) continue;
    settings.*field.setting = field.kind == Kind::kCheck ? (controls_[i].checked ? "1" : "0")
                                                         : TrimBlanks(controls_[i].text);
  }
}

bool AccountSettingsPage::StoreSecret(const std::string& program_folder) const {
  for (size_t i = 0; i < layout_.fields.size(); ++i) {
    const std::string& typed = controls_[i].text;
    if (layout_.fields[i].kind != Kind::kPassword || typed.empty() || !Usable(i)) continue;
    if (!SecretStore(program_folder).WriteSecret(layout_.secret, typed)) return false;
  }
  return true;
}

AccountPageLayout SmppPageLayout() {
  using S = ProgramSettings;
  AccountPageLayout layout{
      "SMPP provider settings", "SMPP provider?", std::string(kSmppSecret), {}};
  std::vector<AccountField>& f = layout.fields;
  f.push_back({"Host:",
               Kind::kText,
               &S::SmppHost,
               0,
               0,
               0,
               true,
               {},
               "Enter the name or IP address of the SMPP provider!"});
  f.push_back({"Port:",
               Kind::kNumber,
               &S::SmppPort,
               1,
               65535,
               0,
               true,
               {},
               "Enter a port from 1 to 65535 for the SMPP provider!"});
  f.push_back({"TLS from the first byte", Kind::kCheck, &S::SmppTls});
  f.push_back({"System id:",
               Kind::kText,
               &S::SmppSystemId,
               0,
               0,
               15,
               true,
               {},
               "Enter the system id of the SMPP account, at most 15 characters!"});
  f.push_back({"Password:",
               Kind::kPassword,
               nullptr,
               0,
               0,
               kMaxSmppPasswordLength,
               false,
               {},
               "The SMPP password is longer than its 8 characters!"});
  f.push_back({"System type:",
               Kind::kText,
               &S::SmppSystemType,
               0,
               0,
               12,
               false,
               {},
               "The system type can be at most 12 characters!"});
  f.push_back({"Window:",
               Kind::kNumber,
               &S::SmppWindow,
               1,
               100,
               0,
               true,
               {},
               "Enter a window from 1 to 100 messages!"});
  f.push_back({"Enquire link (s):",
               Kind::kNumber,
               &S::SmppEnquireLink,
               0,
               3600,
               0,
               true,
               {},
               "Enter the seconds between link checks, 0 to 3600!"});
  f.push_back({"Alphabet:",
               Kind::kChoice,
               &S::SmppDefaultAlphabet,
               0,
               0,
               0,
               true,
               {{"0", "The provider's default (GSM)"}, {"3", "Latin-1"}},
               "Choose the alphabet the provider documents!"});
  return layout;
}

AccountPageLayout EmiPageLayout() {
  using S = ProgramSettings;
  AccountPageLayout layout{
      "SMS centre settings (UCP/EMI)", "SMS centre?", std::string(kEmiSecret), {}};
  std::vector<AccountField>& f = layout.fields;
  f.push_back({"Host:",
               Kind::kText,
               &S::EmiHost,
               0,
               0,
               0,
               true,
               {},
               "Enter the name or IP address of the SMS centre!"});
  f.push_back({"Port:",
               Kind::kNumber,
               &S::EmiPort,
               1,
               65535,
               0,
               true,
               {},
               "Enter a port from 1 to 65535 for the SMS centre!"});
  f.push_back({"Alternative host:", Kind::kText, &S::EmiAltHost});
  f.push_back({"Alternative port:",
               Kind::kNumber,
               &S::EmiAltPort,
               1,
               65535,
               0,
               false,
               {},
               "Enter a port from 1 to 65535 for the alternative host, or none!"});
  f.push_back({"User:",
               Kind::kText,
               &S::EmiUser,
               0,
               0,
               16,
               true,
               {},
               "Enter the user of the SMS centre's login, at most 16 characters!"});
  f.push_back({"Password:", Kind::kPassword, nullptr});
  f.push_back({"Window:",
               Kind::kNumber,
               &S::EmiWindow,
               1,
               99,
               0,
               true,
               {},
               "Enter a window from 1 to 99 messages!"});
  f.push_back({"Keep-alive (s):",
               Kind::kNumber,
               &S::EmiKeepalive,
               0,
               3600,
               0,
               true,
               {},
               "Enter the quiet seconds before a keep-alive, 0 to 3600!"});
  f.push_back({"Operation:",
               Kind::kChoice,
               &S::EmiOperation,
               0,
               0,
               0,
               true,
               {{"51", "51: submit (Unicode, long messages)"},
                {"30", "30: the dial-up form (plain text only)"}},
               "Choose the operation the SMS centre documents!"});
  f.push_back(
      {"Alphabet:",
       Kind::kChoice,
       &S::EmiAlphabet,
       0,
       0,
       0,
       true,
       {{"GSM", "GSM 03.38 (the standard)"}, {"IRA", "IRA (ASCII only, the centre converts)"}},
       "Choose the alphabet the SMS centre documents!"});
  return layout;
}

}  // namespace tolvane
