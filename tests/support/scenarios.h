#ifndef TOLVANE_TESTS_SUPPORT_SCENARIOS_H_
#define TOLVANE_TESTS_SUPPORT_SCENARIOS_H_

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bulk/group_sending.h"
#include "core/main_window.h"
#include "core/receiving.h"
#include "records/log_file.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "sim/sim_modem.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_smsc.h"
#include "support/window_history.h"
#include "support/window_peripherals.h"

namespace tolvane::testing {

// The local date of `day` at hh:mm:ss local time.
inline TimePoint LocalTimeOfDay(TimePoint day, int hour, int minute, int second) {
  std::time_t time = Clock::to_time_t(day);
  std::tm local{};
  localtime_r(&time, &local);
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&local));
}

// One form field of every request the gateway received, in order.
inline std::vector<std::string> Sent(const sim::SimGateway& gateway, const char* field) {
  std::vector<std::string> values;
  for (const sim::GatewayRequest& request : gateway.Requests())
    values.push_back(request.Field(field));
  return values;
}

// The main window on virtual time, logging into a fresh folder.
class WindowScenario : public ::testing::Test, protected WindowPeripherals {
 protected:
  WindowScenario() {
    settings.Logg = "1";
    settings.LoggOn = true;
  }
  // `store` in place of the in-memory one (a file a test can fault).
  void Open(SerialPort& port, HttpClient& client, MessageStore* store = nullptr) {
    MainWindowServices services = Services(loop, port, client);
    if (store != nullptr) services.message_store = store;
    window = std::make_unique<MainWindow>(settings, services, host);
    history.Follow(*window, loop);
    receiving = std::make_unique<Receiving>(*window, book.store(), [](const std::string&) {});
    receiving->Start();
  }

  // "Hej" typed for the temporary number +46 70-123 45 67.
  void OpenTypedForTemporaryNumber() {
    Open(serial, http);
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
    TypeMessage(*window, "Hej");
  }
  // Sends with a receipt asked for (the default), or without one.
  void AskForReceipts(bool ask) {
    settings.EjKvittoOn = !ask;
    settings.EjKvitto = ask ? "0" : "1";
  }
  void Send(const std::string& text) {
    TypeMessage(*window, text);
    window->StartSend();
  }

  // Sends `text` to the group Friends: Anna 070-111 11 11, Bertil
  // +46 70 222 22 22 and Cecilia 0703333333.
  void SendToThreeFriends(const std::string& text) {
    book.AddToGroup("Friends", "Anna", "070-111 11 11");
    book.AddToGroup("Friends", "Bertil", "+46 70 222 22 22");
    book.AddToGroup("Friends", "Cecilia", "0703333333");
    SendToGroupTyped(text);
  }
  // Sends `text` to the group Club of `size` members, Member 100 with the
  // number 701000000 and up.
  void SendToGroupOf(int size, const std::string& text) {
    for (int i = 0; i < size; ++i) {
      book.AddToGroup("Club", "Member " + std::to_string(100 + i), std::to_string(701000000 + i));
    }
    SendToGroupTyped(text);
  }
  void SendToGroupTyped(const std::string& text) {
    window->SetPhoneBookStore(&book.store());
    window->SetPhoneBookCursor(&book.cursor());
    window->OnGroupSendingToggled();
    TypeMessage(*window, text);
    window->Groups().SendToGroup();
  }

  void At(long long ms, std::function<void()> action) {
    loop.After(std::chrono::milliseconds(ms), std::move(action));
  }
  const std::string& Text(MainControl control) const { return window->Control(control).text; }
  bool Enabled(MainControl control) const { return window->Control(control).enabled; }
  const std::string& Receipt() const { return Text(MainControl::kReceiptLine); }
  // The log, one "recipient","result","message" line a record.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    for (const LogRecord& record : ReadLogRecords(book.Folder())) {
      lines.push_back("\"" + record.recipient + "\",\"" + record.result + "\",\"" + record.message +
                      "\"");
    }
    return lines;
  }

  sim::SimEventLoop loop;
  WindowHistory history;
  const LineHistory& statuses = history.status;
  const LineHistory& receipts = history.receipt;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<Receiving> receiving;
};

// Sending over the simulated modem to the simulated SMS centre, "Hello" typed
// for Anna.
class ModemScenario : public WindowScenario {
 protected:
  ModemScenario() {
    settings.Avs = "+46 70-765 43 21";
    Open(port, http);
    window->ConfigureTransports();
    book.Add("Anna", "+46 70-123 45 67");
    window->SetPhoneBookCursor(&book.cursor());
    window->SetRecipientListStale(true);
    window->RefreshRecipientList();
    TypeMessage(*window, "Hello");
  }
  ~ModemScenario() override { window.reset(); }

  sim::SimSmsc smsc{Schedule(loop)};
  sim::SimModem modem{Schedule(loop), smsc};
  sim::SimSerialPort port{loop, modem};
};

// Sending through the simulated gateway.
class GatewayScenario : public WindowScenario {
 protected:
  GatewayScenario() {
    settings.AccessTyp = "TCP";
    Open(serial, client);
    window->ConfigureTransports();
  }
  ~GatewayScenario() override { window.reset(); }
  std::vector<std::string> Sent(const char* field) const { return testing::Sent(gateway, field); }

  sim::SimGateway gateway;
  sim::SimHttpClient client{loop, gateway};
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_SCENARIOS_H_
