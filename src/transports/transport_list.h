#ifndef TOLVANE_TRANSPORTS_TRANSPORT_LIST_H_
#define TOLVANE_TRANSPORTS_TRANSPORT_LIST_H_

#include "core/transport_registry.h"

namespace tolvane {

// Every transport the program offers, in the order of the "Use:" options.
TransportList ProgramTransports();

}  // namespace tolvane

#endif  // TOLVANE_TRANSPORTS_TRANSPORT_LIST_H_
