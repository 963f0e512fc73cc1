#include "gateway/gateway_definition.h"

#include <memory>
#include <string>

#include "core/secret_names.h"
#include "gateway/gateway_transport.h"
#include "platform/text_codec.h"

namespace tolvane {
namespace {

// user.dat holds the gateway password in Windows-1252.
std::string PasswordRefusal(std::string_view password) {
  return FirstOutsideCp1252(password) ? "The secret holds characters outside Windows-1252" : "";
}

}  // namespace

TransportDefinition GatewayDefinition() {
  return {"TCP",
          [](const TransportServices& s) -> std::unique_ptr<Transport> {
            return std::make_unique<GatewayTransport>(s.context, s.http_client);
          },
          "",
          nullptr,
          nullptr,
          {{std::string(kGatewaySecret), PasswordRefusal}}};
}

}  // namespace tolvane
