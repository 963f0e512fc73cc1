#include "core/transport_registry.h"

#include "emi/emi_transport.h"
#include "gateway/gateway_transport.h"
#include "gsm/gsm_transport.h"
#include "modem/modem_transport.h"
#include "smpp/smpp_transport.h"

namespace tolvane {
namespace {

using Factory = std::unique_ptr<Transport> (*)(const TransportServices&);

struct Registration {
  const char* access_typ;
  Factory make;
};

// One line per transport.
constexpr Registration kTransports[] = {
    {"Modem",
     [](const TransportServices& s) -> std::unique_ptr<Transport> {
       return std::make_unique<ModemTransport>(s.context, s.serial_port, s.redial);
     }},
    {"TCP",
     [](const TransportServices& s) -> std::unique_ptr<Transport> {
       return std::make_unique<GatewayTransport>(s.context, s.http_client);
     }},
    {"GSM",
     [](const TransportServices& s) -> std::unique_ptr<Transport> {
       return std::make_unique<GsmTransport>(s.context, s.gsm_port, s.files);
     }},
    {"SMPP",
     [](const TransportServices& s) -> std::unique_ptr<Transport> {
       return std::make_unique<SmppTransport>(s.context, s.smpp_connection, s.files);
     }},
    {"EMI",
     [](const TransportServices& s) -> std::unique_ptr<Transport> {
       return std::make_unique<EmiTransport>(s.context, s.emi_connection, s.files);
     }},
};

}  // namespace

std::vector<RegisteredTransport> MakeTransports(const TransportServices& services) {
  std::vector<RegisteredTransport> transports;
  for (const Registration& registration : kTransports) {
    transports.push_back({registration.access_typ, registration.make(services)});
  }
  return transports;
}

}  // namespace tolvane
