#ifndef TOLVANE_EMI_EMI_DEFINITION_H_
#define TOLVANE_EMI_EMI_DEFINITION_H_

#include "core/transport_registry.h"

namespace tolvane {

// UCP/EMI over TCP/IP to an SMS centre (`AccessTyp=EMI`): its section, page
// and secret.
TransportDefinition EmiDefinition();

}  // namespace tolvane

#endif  // TOLVANE_EMI_EMI_DEFINITION_H_
