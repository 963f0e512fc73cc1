#ifndef TOLVANE_API_API_SERVICES_H_
#define TOLVANE_API_API_SERVICES_H_

#include <functional>
#include <string>

#include "api/api_run_queue.h"
#include "bulk/group_host.h"

namespace tolvane {

// What the HTTP API reaches of the program: the main window as the host of
// every send (its settings, transport, message store and phone book), the
// queue of the runs it asked for, the state of the session for receiving
// ("connected", "reconnecting" or "off").
struct ApiServices {
  GroupHost& window;
  ApiRunQueue& queue;
  std::function<std::string()> receiving_state;
};

}  // namespace tolvane

#endif  // TOLVANE_API_API_SERVICES_H_
