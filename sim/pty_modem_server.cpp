#include "sim/pty_modem_server.h"

#include <utility>

namespace tolvane::sim {

PtyModemServer::PtyModemServer(ModemOptions modem_options, SmscOptions smsc_options)
    : smsc_(line_.MakeScheduler(), std::move(smsc_options)),
      modem_(line_.MakeScheduler(), smsc_, std::move(modem_options)) {
  line_.Attach(modem_);
}

}  // namespace tolvane::sim
