#ifndef TOLVANE_GATEWAY_KOLLA_HEADER_H_
#define TOLVANE_GATEWAY_KOLLA_HEADER_H_

#include <string>

namespace tolvane {

// The receipt text for the gateway's status: the message of the first code of
// the status table that occurs anywhere in `text` (the answer's status line),
// "Unknown status" when none does.
std::string KollaHeader(const std::string& text);

// True when that status says the gateway took the message (codes 200 to 213).
bool GatewayAccepted(const std::string& text);
// That status's code ("202"), empty when no code of the table occurs.
std::string GatewayStatus(const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_GATEWAY_KOLLA_HEADER_H_
