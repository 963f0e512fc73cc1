#include "gateway/gateway_client.h"

#include "core/settings_values.h"

namespace tolvane {

std::string GatewayAddress(const std::string& base_address, const std::string& path) {
  std::string address = base_address;
  while (!address.empty() && address.back() == '/') address.pop_back();
  return address + path;
}

void ConfigureProxy(HttpClient& client, const ProgramSettings& settings) {
  if (settings.TCPProxy == 1) {
    // A port that is no port gives 0, which the client reports as a failing
    // request.
    client.SetProxy(HttpClient::kNamedProxy, settings.TCPProxyAdress,
                    ParseProxyPort(settings.TCPProxyPort).value_or(0));
  } else {
    client.SetProxy(HttpClient::kDirect, "", 0);
  }
}

}  // namespace tolvane
