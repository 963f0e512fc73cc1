#ifndef TOLVANE_SMPP_SMPP_DEFINITION_H_
#define TOLVANE_SMPP_SMPP_DEFINITION_H_

#include "core/transport_registry.h"

namespace tolvane {

// SMPP 3.4 to a provider (`AccessTyp=SMPP`): its section, page and secret.
TransportDefinition SmppDefinition();

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_DEFINITION_H_
