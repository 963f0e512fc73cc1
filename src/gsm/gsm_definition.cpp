#include "gsm/gsm_definition.h"

#include <memory>
#include <string>

#include "gsm/gsm_settings.h"
#include "gsm/gsm_transport.h"

namespace tolvane {
namespace {

using Kind = SettingsField::Kind;

SettingsPageLayout PageLayout() {
  const std::string speeds =
      std::to_string(GsmSettings::kMinBaud) + " to " + std::to_string(GsmSettings::kMaxBaud);
  SettingsPageLayout layout{"GSM modem settings", "GSM modem?", std::string(kGsmPinSecret), {}};
  layout.fields = {
      {"Device:", Kind::kDevice, "Device"},
      {"Baud:",
       Kind::kNumber,
       "Baud",
       GsmSettings::kMinBaud,
       GsmSettings::kMaxBaud,
       0,
       true,
       {},
       "Enter a line speed from " + speeds + " for the GSM modem!"},
      {"SMS centre:", Kind::kText, "Smsc"},
      {"Extra init command:", Kind::kText, "Init"},
      {"SIM PIN:", Kind::kPassword},
  };
  return layout;
}

std::string PinRefusal(std::string_view pin) {
  return IsSimPin(pin) ? "" : "The SIM PIN must be 4 to 8 digits";
}

}  // namespace

TransportDefinition GsmDefinition() {
  return {"GSM",
          [](const TransportServices& s) -> std::unique_ptr<Transport> {
            return std::make_unique<GsmTransport>(s.context, s.ports.SerialPortFor("GSM"), s.files);
          },
          "GSM modem",
          PageLayout,
          [] { return std::make_unique<GsmSettings>(); },
          {{std::string(kGsmPinSecret), PinRefusal}}};
}

}  // namespace tolvane
