#ifndef TOLVANE_CORE_SECRET_NAMES_H_
#define TOLVANE_CORE_SECRET_NAMES_H_

#include <string>
#include <string_view>

namespace tolvane {

// The gateway account password, kept in user.dat.
inline constexpr std::string_view kGatewaySecret = "gateway";
// The PIN of the GSM modem's SIM card.
inline constexpr std::string_view kGsmPinSecret = "gsm-pin";
// The password of the SMPP account.
inline constexpr std::string_view kSmppSecret = "smpp";
// The password of the UCP/EMI login at the SMS centre.
inline constexpr std::string_view kEmiSecret = "emi";

// Every secret the program keeps, by the name `tolvane --store-secret NAME`
// takes and SecretStore files it under. A transport that needs a secret adds
// its name here, one line; the store keeps it in secrets.dat.
inline constexpr std::string_view kSecretNames[] = {
    kGatewaySecret,
    kGsmPinSecret,
    kSmppSecret,
    kEmiSecret,
};

bool IsSecretName(std::string_view name);

// A SIM PIN is 4 to 8 digits.
inline constexpr size_t kMinSimPinDigits = 4;
inline constexpr size_t kMaxSimPinDigits = 8;
bool IsSimPin(std::string_view pin);
// SMPP carries a password of at most 8 characters.
inline constexpr size_t kMaxSmppPasswordLength = 8;
// The names for a message, such as "gateway, smpp".
std::string SecretNameList();

}  // namespace tolvane

#endif  // TOLVANE_CORE_SECRET_NAMES_H_
