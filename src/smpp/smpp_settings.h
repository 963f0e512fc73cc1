#ifndef TOLVANE_SMPP_SMPP_SETTINGS_H_
#define TOLVANE_SMPP_SMPP_SETTINGS_H_

#include <array>
#include <string>
#include <string_view>

#include "core/transport_settings.h"

namespace tolvane {

// The password of the SMPP account, a secret of at most 8 characters.
inline constexpr std::string_view kSmppSecret = "smpp";
inline constexpr size_t kMaxSmppPasswordLength = 8;

// Section [SMPP]: an SMPP 3.4 account at a provider, numbers as text like
// the other sections; the password is the "smpp" secret.
struct SmppSettings : SettingsSection<SmppSettings> {
  static constexpr std::string_view kSection = "SMPP";

  std::string Host;
  std::string Port = "2775";
  std::string Tls = "0";  // "1" for TLS from the first byte
  std::string SystemId;
  std::string SystemType;
  std::string Window = "10";          // submits the provider allows unanswered
  std::string EnquireLink = "30";     // seconds between link checks
  std::string DefaultAlphabet = "0";  // data coding of GSM text
  std::string ResendUnanswered = "0";

  static constexpr auto KeyList() {
    using S = SmppSettings;
    return std::array<SettingsKey<S>, 9>{{{"Host", &S::Host},
                                          {"Port", &S::Port},
                                          {"Tls", &S::Tls},
                                          {"SystemId", &S::SystemId},
                                          {"SystemType", &S::SystemType},
                                          {"Window", &S::Window},
                                          {"EnquireLink", &S::EnquireLink},
                                          {"DefaultAlphabet", &S::DefaultAlphabet},
                                          {"ResendUnanswered", &S::ResendUnanswered}}};
  }
};

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_SETTINGS_H_
