#ifndef TOLVANE_EMI_EMI_SETTINGS_H_
#define TOLVANE_EMI_EMI_SETTINGS_H_

#include <array>
#include <string>
#include <string_view>

#include "core/transport_settings.h"

namespace tolvane {

// The password of the UCP/EMI login at the SMS centre.
inline constexpr std::string_view kEmiSecret = "emi";

// Section [EMI]: UCP straight over TCP/IP to an SMS centre; the password is
// the "emi" secret.
struct EmiSettings : SettingsSection<EmiSettings> {
  static constexpr std::string_view kSection = "EMI";

  std::string Host;
  std::string Port = "5000";
  std::string AltHost;           // tried when Host cannot be reached
  std::string AltPort;           // empty takes Port
  std::string User;              // the login's OAdC
  std::string Window = "10";     // submits outstanding, 1 to 99
  std::string Keepalive = "50";  // quiet seconds before an op 31
  std::string Operation = "51";  // 51, or 30 for the dial-up form
  std::string ResendUnanswered = "0";
  std::string Alphabet = "GSM";  // GSM, or IRA (ASCII) for AMsg

  static constexpr auto KeyList() {
    using S = EmiSettings;
    return std::array<SettingsKey<S>, 10>{{{"Host", &S::Host},
                                           {"Port", &S::Port},
                                           {"AltHost", &S::AltHost},
                                           {"AltPort", &S::AltPort},
                                           {"User", &S::User},
                                           {"Window", &S::Window},
                                           {"Keepalive", &S::Keepalive},
                                           {"Operation", &S::Operation},
                                           {"ResendUnanswered", &S::ResendUnanswered},
                                           {"Alphabet", &S::Alphabet}}};
  }
};

}  // namespace tolvane

#endif  // TOLVANE_EMI_EMI_SETTINGS_H_
