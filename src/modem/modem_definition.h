#ifndef TOLVANE_MODEM_MODEM_DEFINITION_H_
#define TOLVANE_MODEM_MODEM_DEFINITION_H_

#include "core/transport_registry.h"

namespace tolvane {

// The dial-up modem speaking UCP to the operator (`AccessTyp=Modem`); its
// settings are the communication and dialing tabs' own.
TransportDefinition ModemDefinition();

}  // namespace tolvane

#endif  // TOLVANE_MODEM_MODEM_DEFINITION_H_
