#include "modem/modem_definition.h"

#include <memory>

#include "modem/modem_transport.h"

namespace tolvane {

TransportDefinition ModemDefinition() {
  return {"Modem", [](const TransportServices& s) -> std::unique_ptr<Transport> {
            return std::make_unique<ModemTransport>(s.context, s.ports.SerialPortFor("Modem"),
                                                    s.redial);
          }};
}

}  // namespace tolvane
