#include "emi/emi_definition.h"

#include <memory>
#include <string>

#include "emi/emi_settings.h"
#include "emi/emi_transport.h"

namespace tolvane {
namespace {

using Kind = SettingsField::Kind;

SettingsPageLayout PageLayout() {
  SettingsPageLayout layout{
      "SMS centre settings (UCP/EMI)", "SMS centre?", std::string(kEmiSecret), {}};
  layout.fields = {
      {"Host:",
       Kind::kText,
       "Host",
       0,
       0,
       0,
       true,
       {},
       "Enter the name or IP address of the SMS centre!"},
      {"Port:",
       Kind::kNumber,
       "Port",
       1,
       65535,
       0,
       true,
       {},
       "Enter a port from 1 to 65535 for the SMS centre!"},
      {"Alternative host:", Kind::kText, "AltHost"},
      {"Alternative port:",
       Kind::kNumber,
       "AltPort",
       1,
       65535,
       0,
       false,
       {},
       "Enter a port from 1 to 65535 for the alternative host, or none!"},
      {"User:",
       Kind::kText,
       "User",
       0,
       0,
       16,
       true,
       {},
       "Enter the user of the SMS centre's login, at most 16 characters!"},
      {"Password:", Kind::kPassword},
      {"Window:",
       Kind::kNumber,
       "Window",
       1,
       99,
       0,
       true,
       {},
       "Enter a window from 1 to 99 messages!"},
      {"Keep-alive (s):",
       Kind::kNumber,
       "Keepalive",
       0,
       3600,
       0,
       true,
       {},
       "Enter the quiet seconds before a keep-alive, 0 to 3600!"},
      {"Operation:",
       Kind::kChoice,
       "Operation",
       0,
       0,
       0,
       true,
       {{"51", "51: submit (Unicode, long messages)"},
        {"30", "30: the dial-up form (plain text only)"}},
       "Choose the operation the SMS centre documents!"},
      {"Alphabet:",
       Kind::kChoice,
       "Alphabet",
       0,
       0,
       0,
       true,
       {{"GSM", "GSM 03.38 (the standard)"}, {"IRA", "IRA (ASCII only, the centre converts)"}},
       "Choose the alphabet the SMS centre documents!"},
  };
  return layout;
}

}  // namespace

TransportDefinition EmiDefinition() {
  return {"EMI",
          [](const TransportServices& s) -> std::unique_ptr<Transport> {
            return std::make_unique<EmiTransport>(s.context, s.ports.TcpConnectionFor("EMI"),
                                                  s.files);
          },
          "UCP/EMI over TCP/IP",
          PageLayout,
          [] { return std::make_unique<EmiSettings>(); },
          {{std::string(kEmiSecret), nullptr}}};
}

}  // namespace tolvane
