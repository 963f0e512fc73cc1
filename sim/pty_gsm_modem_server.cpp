#include "sim/pty_gsm_modem_server.h"

#include <utility>

namespace tolvane::sim {

PtyGsmModemServer::PtyGsmModemServer(GsmModemOptions options)
    : modem_(line_.MakeScheduler(), std::move(options)) {
  line_.Attach(modem_);
}

}  // namespace tolvane::sim
