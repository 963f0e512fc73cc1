#ifndef TOLVANE_SETTINGS_DIALOG_GSM_SETTINGS_PAGE_H_
#define TOLVANE_SETTINGS_DIALOG_GSM_SETTINGS_PAGE_H_

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/control_state.h"
#include "core/program_settings.h"
#include "platform/serial_port_list.h"

namespace tolvane {

// The controls of the "GSM modem settings" frame.
enum class GsmControl {
  kDevice,  // editable: a path typed, or one of the ports offered
  kBaud,
  kSmsc,
  kInit,
  kPin,  // shows nothing stored; left empty keeps the stored PIN
  kCount
};

// The settings of the GSM modem (section [GSM] and the SIM PIN secret), a
// page of the settings dialog's communication tab. The dialog owns it: it
// switches the page on while "GSM modem" is chosen, asks it for a refusal on
// "&OK", then has it apply its values and store the PIN. The PIN never goes
// into ProgramSettings, so it never reaches tolvmsg.ini.
class GsmSettingsPage {
 public:
  static constexpr long kMinBaud = 50;
  static constexpr long kMaxBaud = 4000000;

  // A rule of "&OK" that failed: the control to focus and the message box.
  struct Refusal {
    GsmControl focus;
    std::string text;
    std::string title;
  };

  GsmSettingsPage(const ProgramSettings& settings, std::vector<SerialPortInfo> ports);

  const ControlState& Control(GsmControl control) const;
  // The ports offered for the device, "path  (description)".
  const ListState& Ports() const { return ports_list_; }
  static bool DigitsOnly(GsmControl box) { return box == GsmControl::kBaud; }
  GsmControl FocusRequest() const { return focus_; }
  int FocusRequestCount() const { return focus_count_; }
  // Called after every change of the state above.
  void SetOnChanged(std::function<void()> on_changed) { on_changed_ = std::move(on_changed); }

  // Its controls are enabled only while the GSM modem is the transport chosen.
  void SetActive(bool active);
  void EditText(GsmControl box, const std::string& text);
  // One of the ports offered was chosen: its path becomes the device.
  void SelectPort(int index);
  void RequestFocus(GsmControl control);

  // The first rule the page's entries break; checked while it is active.
  std::optional<Refusal> Check() const;
  // Takes the [GSM] values into `settings`. A value that breaks a rule (only
  // possible while the page is not active) keeps the stored one.
  void ApplyTo(ProgramSettings& settings) const;
  // The PIN typed, if any, is stored as the gsm-pin secret; false when it
  // could not be written.
  bool StorePin(const std::string& program_folder) const;

 private:
  ControlState& Mutable(GsmControl control);
  const std::string& Text(GsmControl control) const { return Control(control).text; }
  bool BaudUsable() const;
  bool PinUsable() const;
  void Changed();

  std::array<ControlState, static_cast<size_t>(GsmControl::kCount)> controls_;
  std::vector<SerialPortInfo> ports_;
  ListState ports_list_;
  GsmControl focus_ = GsmControl::kDevice;
  int focus_count_ = 0;
  std::function<void()> on_changed_;
};

}  // namespace tolvane

#endif  // TOLVANE_SETTINGS_DIALOG_GSM_SETTINGS_PAGE_H_
