#include "settings_dialog/gsm_settings_page.h"

#include <algorithm>
#include <utility>

#include "core/secret_names.h"
#include "core/secret_store.h"
#include "text/text_helpers.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

using G = GsmControl;

std::string PortEntry(const SerialPortInfo& port) {
  return port.description.empty() ? port.path : port.path + "  (" + port.description + ")";
}

}  // namespace

GsmSettingsPage::GsmSettingsPage(const ProgramSettings& settings, std::vector<SerialPortInfo> ports)
    : ports_(std::move(ports)) {
  Mutable(G::kDevice).text = settings.GsmDevice;
  Mutable(G::kBaud).text = settings.GsmBaud;
  Mutable(G::kSmsc).text = settings.GsmSmsc;
  Mutable(G::kInit).text = settings.GsmInit;
  std::vector<std::string> entries;
  for (const SerialPortInfo& port : ports_) entries.push_back(PortEntry(port));
  ports_list_.items = std::move(entries);
  const auto stored = std::find_if(ports_.begin(), ports_.end(), [&](const SerialPortInfo& port) {
    return port.path == settings.GsmDevice;
  });
  ports_list_.selected = stored == ports_.end() ? -1 : static_cast<int>(stored - ports_.begin());
}

const ControlState& GsmSettingsPage::Control(GsmControl control) const {
  return controls_[static_cast<size_t>(control)];
}

ControlState& GsmSettingsPage::Mutable(GsmControl control) {
  return controls_[static_cast<size_t>(control)];
}

void GsmSettingsPage::Changed() {
  if (on_changed_) on_changed_();
}

void GsmSettingsPage::SetActive(bool active) {
  for (ControlState& control : controls_) control.enabled = active;
  ports_list_.enabled = active;
  Changed();
}

void GsmSettingsPage::EditText(GsmControl box, const std::string& text) {
  Mutable(box).text = DigitsOnly(box) ? DigitsOf(text) : text;
  if (box == G::kDevice) {
    // A typed path that is no port offered selects none.
    const auto offered =
        std::find_if(ports_.begin(), ports_.end(),
                     [&](const SerialPortInfo& port) { return port.path == text; });
    ports_list_.selected =
        offered == ports_.end() ? -1 : static_cast<int>(offered - ports_.begin());
  }
  Changed();
}

void GsmSettingsPage::SelectPort(int index) {
  if (index < 0 || index >= static_cast<int>(ports_.size())) return;
  ports_list_.selected = index;
  Mutable(G::kDevice).text = ports_[index].path;
  Changed();
}

void GsmSettingsPage::RequestFocus(GsmControl control) {
  focus_ = control;
  ++focus_count_;
  Changed();
}

bool GsmSettingsPage::BaudUsable() const {
  const std::optional<long> baud = ParseWholeNumber(Text(G::kBaud));
  return baud && *baud >= kMinBaud && *baud <= kMaxBaud;
}

bool GsmSettingsPage::PinUsable() const {
  const std::string& pin = Text(G::kPin);
  return pin.empty() || IsSimPin(pin);
}

std::optional<GsmSettingsPage::Refusal> GsmSettingsPage::Check() const {
  if (!BaudUsable()) {
    return Refusal{G::kBaud,
                   "Enter a line speed from " + std::to_string(kMinBaud) + " to " +
                       std::to_string(kMaxBaud) + " for the GSM modem!",
                   "GSM modem?"};
  }
  if (!PinUsable()) {
    return Refusal{G::kPin, "The SIM PIN must be 4 to 8 digits!", "SIM PIN?"};
  }
  return std::nullopt;
}

void GsmSettingsPage::ApplyTo(ProgramSettings& settings) const {
  settings.GsmDevice = TrimBlanks(Text(G::kDevice));
  if (BaudUsable()) settings.GsmBaud = TrimBlanks(Text(G::kBaud));
  settings.GsmSmsc = TrimBlanks(Text(G::kSmsc));
  settings.GsmInit = TrimTrailingBlanks(Text(G::kInit));
}

bool GsmSettingsPage::StorePin(const std::string& program_folder) const {
  const std::string& pin = Text(G::kPin);
  if (pin.empty() || !PinUsable()) return true;
  return SecretStore(program_folder).WriteSecret(kGsmPinSecret, pin);
}

}  // namespace tolvane
