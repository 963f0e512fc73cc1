#ifndef TOLVANE_GSM_GSM_DEFINITION_H_
#define TOLVANE_GSM_GSM_DEFINITION_H_

#include "core/transport_registry.h"

namespace tolvane {

// A GSM modem or phone on a serial port (`AccessTyp=GSM`): its section,
// page and SIM PIN.
TransportDefinition GsmDefinition();

}  // namespace tolvane

#endif  // TOLVANE_GSM_GSM_DEFINITION_H_
