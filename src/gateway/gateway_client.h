#ifndef TOLVANE_GATEWAY_GATEWAY_CLIENT_H_
#define TOLVANE_GATEWAY_GATEWAY_CLIENT_H_

#include <string>

#include "core/program_settings.h"
#include "platform/http_client.h"

namespace tolvane {

// How every HTTP client of the program reaches the gateway.

// The address of a gateway request: the base address (TCPGateway, any
// trailing "/" dropped) followed by `path`.
std::string GatewayAddress(const std::string& base_address, const std::string& path);

// Direct, or through the named proxy when TCPProxy is 1.
void ConfigureProxy(HttpClient& client, const ProgramSettings& settings);

}  // namespace tolvane

#endif  // TOLVANE_GATEWAY_GATEWAY_CLIENT_H_
