#include "smpp/smpp_definition.h"

#include <memory>
#include <string>

#include "smpp/smpp_settings.h"
#include "smpp/smpp_transport.h"

namespace tolvane {
namespace {

using Kind = SettingsField::Kind;

SettingsPageLayout PageLayout() {
  SettingsPageLayout layout{
      "SMPP provider settings", "SMPP provider?", std::string(kSmppSecret), {}};
  layout.fields = {
      {"Host:",
       Kind::kText,
       "Host",
       0,
       0,
       0,
       true,
       {},
       "Enter the name or IP address of the SMPP provider!"},
      {"Port:",
       Kind::kNumber,
       "Port",
       1,
       65535,
       0,
       true,
       {},
       "Enter a port from 1 to 65535 for the SMPP provider!"},
      {"TLS from the first byte", Kind::kCheck, "Tls"},
      {"System id:",
       Kind::kText,
       "SystemId",
       0,
       0,
       15,
       true,
       {},
       "Enter the system id of the SMPP account, at most 15 characters!"},
      {"Password:", Kind::kPassword},
      {"System type:",
       Kind::kText,
       "SystemType",
       0,
       0,
       12,
       false,
       {},
       "The system type can be at most 12 characters!"},
      {"Window:",
       Kind::kNumber,
       "Window",
       1,
       100,
       0,
       true,
       {},
       "Enter a window from 1 to 100 messages!"},
      {"Enquire link (s):",
       Kind::kNumber,
       "EnquireLink",
       0,
       3600,
       0,
       true,
       {},
       "Enter the seconds between link checks, 0 to 3600!"},
      {"Alphabet:",
       Kind::kChoice,
       "DefaultAlphabet",
       0,
       0,
       0,
       true,
       {{"0", "The provider's default (GSM)"}, {"3", "Latin-1"}},
       "Choose the alphabet the provider documents!"},
  };
  return layout;
}

std::string PasswordRefusal(std::string_view password) {
  // The PDU carries at most 8 octets.
  if (password.size() <= kMaxSmppPasswordLength) return "";
  return "The SMPP password is longer than its " + std::to_string(kMaxSmppPasswordLength) +
         " characters";
}

}  // namespace

TransportDefinition SmppDefinition() {
  return {"SMPP",
          [](const TransportServices& s) -> std::unique_ptr<Transport> {
            return std::make_unique<SmppTransport>(s.context, s.ports.TcpConnectionFor("SMPP"),
                                                   s.files);
          },
          "SMPP",
          PageLayout,
          [] { return std::make_unique<SmppSettings>(); },
          {{std::string(kSmppSecret), PasswordRefusal}}};
}

}  // namespace tolvane
