#include "sim/pty_gsm_modem_server.h"

#include <chrono>
#include <utility>

namespace tolvane::sim {

PtyGsmModemServer::PtyGsmModemServer(GsmModemOptions options)
    : modem_(line_.MakeScheduler(), std::move(options)) {
  line_.Attach(modem_);
  // Reports carry the times they happened at.
  modem_.SetClock([start = std::chrono::steady_clock::now()] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
  });
}

}  // namespace tolvane::sim
