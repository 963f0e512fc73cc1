#ifndef TOLVANE_SMPP_SMPP_STATUS_H_
#define TOLVANE_SMPP_SMPP_STATUS_H_

#include <cstdint>
#include <string>

namespace tolvane {

inline constexpr uint32_t kStatusOk = 0x00;
inline constexpr uint32_t kStatusInvalidPassword = 0x0E;
inline constexpr uint32_t kStatusMessageQueueFull = 0x14;
inline constexpr uint32_t kStatusThrottled = 0x58;

// The command_status of an answer as a receipt text with its code, such as
// "invalid password (0x0E)"; a code SMPP 3.4 does not list is "error (0x..)".
std::string SmppStatusText(uint32_t status);

// The provider asks for fewer submits at a time: the same part may be sent
// again after a pause, since the provider refused the first.
bool IsThrottling(uint32_t status);

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_STATUS_H_
