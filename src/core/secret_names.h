#ifndef TOLVANE_CORE_SECRET_NAMES_H_
#define TOLVANE_CORE_SECRET_NAMES_H_

#include <string_view>

namespace tolvane {

// The gateway account password, kept in user.dat rather than secrets.dat.
inline constexpr std::string_view kGatewaySecret = "gateway";

}  // namespace tolvane

#endif  // TOLVANE_CORE_SECRET_NAMES_H_
