#ifndef TOLVANE_SETTINGS_DIALOG_TRANSPORT_SETTINGS_PAGE_H_
#define TOLVANE_SETTINGS_DIALOG_TRANSPORT_SETTINGS_PAGE_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/control_state.h"
#include "core/secret_rule.h"
#include "core/settings_page_layout.h"
#include "core/transport_settings.h"
#include "platform/serial_port_list.h"

namespace tolvane {

// A transport's page of the settings dialog's communication tab: a frame of
// fields over the transport's own section of tolvmsg.ini (a GSM modem's
// device and speed, a provider's host, port and account) and its secret.
// The dialog owns it: it shows the page while the transport's "Use:" option
// is chosen, asks it for a refusal on "&OK", then has it apply its values
// and store the secret. The secret never goes into ProgramSettings, so it
// never reaches tolvmsg.ini.
class TransportSettingsPage {
 public:
  struct Refusal {
    size_t focus;
    std::string text;
    std::string title;
  };

  // `stored` is the section as tolvmsg.ini holds it; `secret` the rule of the
  // password field, if the page has one; `ports` the serial ports a device
  // field offers.
  TransportSettingsPage(const TransportSettings& stored, SettingsPageLayout layout,
                        std::optional<SecretRule> secret, std::vector<SerialPortInfo> ports);

  const SettingsPageLayout& Layout() const { return layout_; }
  size_t FieldCount() const { return layout_.fields.size(); }
  const ControlState& Control(size_t field) const { return controls_[field]; }
  // The index of the choice a choice field holds, -1 for none.
  int ChoiceIndex(size_t field) const;
  // The ports a device field offers, "path  (description)".
  const ListState& Ports() const { return ports_list_; }
  size_t FocusRequest() const { return focus_; }
  int FocusRequestCount() const { return focus_count_; }
  void SetOnChanged(std::function<void()> on_changed) { on_changed_ = std::move(on_changed); }

  // The page is shown, and its controls enabled, only while its transport
  // is the one chosen.
  void SetActive(bool active);
  void EditText(size_t field, const std::string& text);
  void SetChecked(size_t field, bool checked);
  void Choose(size_t field, int index);
  // One of the ports offered was chosen for a device field: its path is the device.
  void SelectPort(size_t field, int index);
  void RequestFocus(size_t field);

  // The first rule the page's entries break.
  std::optional<Refusal> Check() const;
  // Takes the values into the section; a value that breaks its rule (only
  // possible while the page is not active) keeps the stored one.
  void ApplyTo(TransportSettings& section) const;
  // The password typed, if any, goes to secrets.dat; false when it could
  // not be written.
  bool StoreSecret(const std::string& program_folder) const;

 private:
  bool Usable(size_t field) const;
  // The refusal of a text longer than tolvmsg.ini keeps.
  std::optional<std::string> Overlong(size_t field) const;
  void SelectOffered(const std::string& path);
  void Changed();

  SettingsPageLayout layout_;
  std::optional<SecretRule> secret_;
  std::vector<SerialPortInfo> ports_;
  std::vector<ControlState> controls_;
  ListState ports_list_;
  size_t focus_ = 0;
  int focus_count_ = 0;
  std::function<void()> on_changed_;
};

}  // namespace tolvane

#endif  // TOLVANE_SETTINGS_DIALOG_TRANSPORT_SETTINGS_PAGE_H_
