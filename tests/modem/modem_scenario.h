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
#include "support/fake_dialogs.h"
#include "support/platform_mocks.h"
#include "support/test_phone_book.h"

namespace tolvane::testing {

// A line's text from a moment of virtual time on.
struct LineChange {
  long long at_ms;
  std::string text;
};

// The main window sending over the simulated modem to the simulated SMS
// centre, on virtual time, logging into a fresh folder.
class ModemScenario : public ::testing::Test {
 protected:
  static constexpr char kRecipientDigits[] = "46701234567";

  ModemScenario() {
    settings.ProgramFolder = book.Folder();
    settings.Logg = "1";
    settings.LoggOn = true;
    settings.Avs = "+46 70-765 43 21";
    window = std::make_unique<MainWindow>(
        settings, MainWindowServices{loop, port, http, dialogs, clipboard, help}, host);
    window->Modem().ConfigurePort();
    window->SetOnChanged([this] { Record(); });
    book.Add("Anna", "+46 70-123 45 67");
    window->SetPhoneBookCursor(&book.cursor());
    window->SetRecipientListStale(true);
    window->RefreshRecipientList();
    Type("Hello");
  }

  static sim::Scheduler Schedule(sim::SimEventLoop& loop) {
    return [&loop](int ms, std::function<void()> action) {
      loop.After(std::chrono::milliseconds(ms), std::move(action));
    };
  }

  void Type(const std::string& text) {
    window->OnMessageEdited(text);
    window->OnMessageKeyReleased();
  }

  // Runs `action` at `ms` of virtual time from now, while a send waits.
  void At(long long ms, std::function<void()> action) {
    loop.After(std::chrono::milliseconds(ms), std::move(action));
  }

  std::string Receipt() const { return window->Control(MainControl::kReceiptLine).text; }
  std::string Status() const { return window->Control(MainControl::kStatusLine).text; }

  bool SawStatus(const std::string& text) const { return FirstAt(statuses, text) >= 0; }
  bool SawReceipt(const std::string& text) const { return FirstAt(receipts, text) >= 0; }
  // When `text` first appeared on the line, -1 when it never did.
  static long long FirstAt(const std::vector<LineChange>& changes, const std::string& text) {
    for (const LineChange& change : changes) {
      if (change.text == text) return change.at_ms;
    }
    return -1;
  }
  int CountReceipt(const std::string& text) const {
    int count = 0;
    for (const LineChange& change : receipts) count += change.text == text;
    return count;
  }

  // The log as records, one line each.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    for (const LogRecord& record : ReadLogRecords(book.Folder())) {
      lines.push_back("\"" + record.recipient + "\",\"" + record.result + "\",\"" + record.message +
                      "\"");
    }
    return lines;
  }

  static std::string Framed(const std::string& text) { return "\x02" + text + "\x03"; }

  TestPhoneBook book;
  ProgramSettings settings;
  sim::SimEventLoop loop;
  sim::SimSmsc smsc{Schedule(loop)};
  sim::SimModem modem{Schedule(loop), smsc};
  sim::SimSerialPort port{loop, modem};
  ::testing::NiceMock<MockHttpClient> http;
  FakeDialogs dialogs;
  MemoryClipboard clipboard;
  ::testing::NiceMock<MockHelpViewer> help;
  ::testing::NiceMock<MockMainWindowHost> host;
  std::unique_ptr<MainWindow> window;
  std::vector<LineChange> statuses;
  std::vector<LineChange> receipts;

 private:
  void Record() {
    long long now = loop.Elapsed().count();
    if (statuses.empty() || statuses.back().text != Status()) statuses.push_back({now, Status()});
    if (receipts.empty() || receipts.back().text != Receipt()) {
      receipts.push_back({now, Receipt()});
    }
  }
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_MODEM_MODEM_SCENARIO_H_
