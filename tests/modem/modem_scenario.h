#ifndef TOLVANE_TESTS_MODEM_MODEM_SCENARIO_H_
#define TOLVANE_TESTS_MODEM_MODEM_SCENARIO_H_

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/main_window.h"
#include "records/log_file.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_modem.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_smsc.h"
#include "support/window_history.h"
#include "support/window_peripherals.h"

namespace tolvane::testing {

// The main window sending over the simulated modem to the simulated SMS
// centre, on virtual time, logging into a fresh folder.
class ModemScenario : public ::testing::Test, protected WindowPeripherals {
 protected:
  ModemScenario() {
    settings.Logg = "1";
    settings.LoggOn = true;
    settings.Avs = "+46 70-765 43 21";
    window = std::make_unique<MainWindow>(settings, Services(loop, port), host);
    window->Modem().ConfigurePort();
    history.Follow(*window, loop);
    book.Add("Anna", "+46 70-123 45 67");
    window->SetPhoneBookCursor(&book.cursor());
    window->SetRecipientListStale(true);
    window->RefreshRecipientList();
    TypeMessage(*window, "Hello");
  }

  static sim::Scheduler Schedule(sim::SimEventLoop& loop) {
    return [&loop](int ms, std::function<void()> action) {
      loop.After(std::chrono::milliseconds(ms), std::move(action));
    };
  }

  // Runs `action` at `ms` of virtual time from now, while a send waits.
  void At(long long ms, std::function<void()> action) {
    loop.After(std::chrono::milliseconds(ms), std::move(action));
  }

  std::string Receipt() const { return window->Control(MainControl::kReceiptLine).text; }

  // The log as records, one line each.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    for (const LogRecord& record : ReadLogRecords(book.Folder())) {
      lines.push_back("\"" + record.recipient + "\",\"" + record.result + "\",\"" + record.message +
                      "\"");
    }
    return lines;
  }

  sim::SimEventLoop loop;
  sim::SimSmsc smsc{Schedule(loop)};
  sim::SimModem modem{Schedule(loop), smsc};
  sim::SimSerialPort port{loop, modem};
  WindowHistory history;
  const LineHistory& statuses = history.status;
  const LineHistory& receipts = history.receipt;
  std::unique_ptr<MainWindow> window;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_MODEM_MODEM_SCENARIO_H_
