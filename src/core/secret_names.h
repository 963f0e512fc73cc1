#ifndef TOLVANE_CORE_SECRET_NAMES_H_
#define TOLVANE_CORE_SECRET_NAMES_H_

#include <string_view>

namespace tolvane {

// The gateway account password, kept in user.dat rather than secrets.dat.
inline constexpr std::string_view kGatewaySecret = "gateway";
// The HTTP API's bearer token and the signing key of its webhook: secrets of
// the program, not of a transport, of any value.
inline constexpr std::string_view kApiSecret = "api";
inline constexpr std::string_view kWebhookSecret = "webhook";
inline constexpr std::string_view kProgramSecrets[] = {kApiSecret, kWebhookSecret};

}  // namespace tolvane

#endif  // TOLVANE_CORE_SECRET_NAMES_H_
