#ifndef TOLVANE_GATEWAY_GATEWAY_DEFINITION_H_
#define TOLVANE_GATEWAY_GATEWAY_DEFINITION_H_

#include "core/transport_registry.h"

namespace tolvane {

// The HTTP gateway (`AccessTyp=TCP`); its settings are the communication
// tab's own, its password the "gateway" secret in user.dat.
TransportDefinition GatewayDefinition();

}  // namespace tolvane

#endif  // TOLVANE_GATEWAY_GATEWAY_DEFINITION_H_
