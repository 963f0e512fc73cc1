#ifndef TOLVANE_GSM_GSM_SETTINGS_H_
#define TOLVANE_GSM_GSM_SETTINGS_H_

#include <array>
#include <string>
#include <string_view>

#include "core/transport_settings.h"

namespace tolvane {

// The PIN of the GSM modem's SIM card, 4 to 8 digits.
inline constexpr std::string_view kGsmPinSecret = "gsm-pin";
bool IsSimPin(std::string_view pin);

// Section [GSM]: a GSM modem or phone with a SIM.
struct GsmSettings : SettingsSection<GsmSettings> {
  static constexpr std::string_view kSection = "GSM";
  static constexpr long kMinBaud = 50;
  static constexpr long kMaxBaud = 4000000;

  std::string Device;  // serial device path
  std::string Baud = "115200";
  std::string Smsc;  // empty uses the SIM's service centre
  std::string Init;  // an extra AT command after the set-up

  static constexpr auto KeyList() {
    using S = GsmSettings;
    return std::array<SettingsKey<S>, 4>{
        {{"Device", &S::Device}, {"Baud", &S::Baud}, {"Smsc", &S::Smsc}, {"Init", &S::Init}}};
  }
};

}  // namespace tolvane

#endif  // TOLVANE_GSM_GSM_SETTINGS_H_
