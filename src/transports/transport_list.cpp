#include "transports/transport_list.h"

#include "emi/emi_definition.h"
#include "gateway/gateway_definition.h"
#include "gsm/gsm_definition.h"
#include "modem/modem_definition.h"
#include "smpp/smpp_definition.h"

namespace tolvane {

// One line per transport.
TransportList ProgramTransports() {
  return {
      ModemDefinition(), GatewayDefinition(), GsmDefinition(), SmppDefinition(), EmiDefinition(),
  };
}

}  // namespace tolvane
