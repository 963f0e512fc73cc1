#ifndef TOLVANE_SETTINGS_DIALOG_ACCOUNT_SETTINGS_PAGE_H_
#define TOLVANE_SETTINGS_DIALOG_ACCOUNT_SETTINGS_PAGE_H_

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/control_state.h"
#include "core/program_settings.h"

namespace tolvane {

// One setting of an account page: a box, a check box or a choice, with the
// rule "&OK" holds it to.
struct AccountField {
  enum class Kind {
    kText,
    kNumber,    // digits only, from `low` to `high`
    kCheck,     // "1" or "0"
    kChoice,    // one of `choices`
    kPassword,  // the account's secret: shows nothing stored, left empty keeps it
  };
  struct Choice {
    std::string value;
    std::string caption;
  };
  std::string caption;
  Kind kind = Kind::kText;
  // The setting it edits; none for the password.
  std::string ProgramSettings::*setting = nullptr;
  long low = 0;
  long high = 0;
  // Of a text or the password; 0 for no limit.
  size_t max_length = 0;
  bool required = false;
  std::vector<Choice> choices;
  // The message box of a broken rule.
  std::string refusal;
};

// What an account page is made of.
struct AccountPageLayout {
  std::string title;  // the frame's caption
  std::string refusal_title;
  // The secrets.dat name of the password.
  std::string secret;
  std::vector<AccountField> fields;
};

// The settings of a transport that logs in to a provider over TCP/IP (a
// host, a port, an account, its password and the session's numbers), a page
// of the settings dialog's communication tab. The dialog owns it: it shows
// the page while its "Use:" option is chosen, asks it for a refusal on
// "&OK", then has it apply its values and store the password. The password
// never goes into ProgramSettings, so it never reaches tolvmsg.ini.
class AccountSettingsPage {
 public:
  struct Refusal {
    size_t focus;
    std::string text;
    std::string title;
  };

  AccountSettingsPage(const ProgramSettings& settings, AccountPageLayout layout);

  const AccountPageLayout& Layout() const { return layout_; }
  size_t FieldCount() const { return layout_.fields.size(); }
  const ControlState& Control(size_t field) const { return controls_[field]; }
  // The index of the choice a choice field holds, -1 for none.
  int ChoiceIndex(size_t field) const;
  size_t FocusRequest() const { return focus_; }
  int FocusRequestCount() const { return focus_count_; }
  void SetOnChanged(std::function<void()> on_changed) { on_changed_ = std::move(on_changed); }

  // The page is shown, and its controls enabled, only while its transport
  // is the one chosen.
  void SetActive(bool active);
  void EditText(size_t field, const std::string& text);
  void SetChecked(size_t field, bool checked);
  void Choose(size_t field, int index);
  void RequestFocus(size_t field);

  // The first rule the page's entries break.
  std::optional<Refusal> Check() const;
  // Takes the values into `settings`; a value that breaks its rule (only
  // possible while the page is not active) keeps the stored one.
  void ApplyTo(ProgramSettings& settings) const;
  // The password typed, if any, goes to secrets.dat; false when it could
  // not be written.
  bool StoreSecret(const std::string& program_folder) const;

 private:
  bool Usable(size_t field) const;
  // The refusal of a text longer than tolvmsg.ini keeps.
  std::optional<std::string> Overlong(size_t field) const;
  void Changed();

  AccountPageLayout layout_;
  std::vector<ControlState> controls_;
  size_t focus_ = 0;
  int focus_count_ = 0;
  std::function<void()> on_changed_;
};

// The page of an SMPP provider's account.
AccountPageLayout SmppPageLayout();
// The page of a UCP/EMI login at an SMS centre.
AccountPageLayout EmiPageLayout();

}  // namespace tolvane

#endif  // TOLVANE_SETTINGS_DIALOG_ACCOUNT_SETTINGS_PAGE_H_
