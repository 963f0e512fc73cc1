#ifndef TOLVANE_TESTS_SUPPORT_WINDOW_PERIPHERALS_H_
#define TOLVANE_TESTS_SUPPORT_WINDOW_PERIPHERALS_H_

#include <gmock/gmock.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "core/main_window.h"
#include "sim/scheduler.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_file_system.h"
#include "store/message_store.h"
#include "support/fake_dialogs.h"
#include "support/platform_mocks.h"
#include "support/test_phone_book.h"
#include "transports/transport_list.h"

namespace tolvane::testing {

// What a main window needs besides its loop and the port a test drives, with
// quiet mocks for the rest.
struct WindowPeripherals : TransportPorts {
  WindowPeripherals() { settings.ProgramFolder = book.Folder(); }

  // Paces a simulated peer on the virtual loop.
  static sim::Scheduler Schedule(sim::SimEventLoop& loop) {
    return [&loop](int ms, std::function<void()> action) {
      loop.After(std::chrono::milliseconds(ms), std::move(action));
    };
  }

  SerialPort& SerialPortFor(std::string_view access_typ) override {
    if (access_typ == "Modem") return *modem_port;
    return access_typ == "GSM" && gsm_port ? *gsm_port : gsm_serial;
  }
  TcpConnection& TcpConnectionFor(std::string_view access_typ) override {
    if (access_typ == "SMPP" && smpp_connection) return *smpp_connection;
    if (access_typ == "EMI" && emi_connection) return *emi_connection;
    return access_typ == "SMPP" ? smpp_tcp : emi_tcp;
  }

  MainWindowServices Services(EventLoop& loop) { return Services(loop, serial, http); }
  MainWindowServices Services(EventLoop& loop, SerialPort& port) {
    return Services(loop, port, http);
  }
  MainWindowServices Services(EventLoop& loop, HttpClient& client) {
    return Services(loop, serial, client);
  }
  MainWindowServices Services(EventLoop& loop, SerialPort& port, HttpClient& client) {
    return Services(loop, port, client, mail, dialler);
  }
  MainWindowServices Services(EventLoop& loop, SerialPort& port, HttpClient& client,
                              MailClient& mail_client, Dialler& dial_up) {
    modem_port = &port;
    return {loop, transports, *this,       client,  dialogs,  clipboard,
            help, files,      mail_client, dial_up, &messages};
  }

  TransportList transports = ProgramTransports();
  TestPhoneBook book;
  ProgramSettings settings;
  FakeDialogs dialogs;
  MemoryClipboard clipboard;
  ::testing::NiceMock<MockHelpViewer> help;
  ::testing::NiceMock<MockMainWindowHost> host;
  ::testing::NiceMock<MockSerialPort> serial;
  // The port the last Services() call was given.
  SerialPort* modem_port = &serial;
  ::testing::NiceMock<MockSerialPort> gsm_serial;
  SerialPort* gsm_port = nullptr;
  ::testing::NiceMock<MockHttpClient> http;
  ::testing::NiceMock<MockTcpConnection> smpp_tcp;
  TcpConnection* smpp_connection = nullptr;
  ::testing::NiceMock<MockTcpConnection> emi_tcp;
  TcpConnection* emi_connection = nullptr;
  sim::SimFileSystem files;
  MessageStore messages{":memory:"};
  ::testing::NiceMock<MockMailClient> mail;
  ::testing::NiceMock<MockDialler> dialler;
};

// Types into the message box, as the user does.
inline void TypeMessage(MainWindow& window, const std::string& text) {
  window.OnMessageEdited(text);
}

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_WINDOW_PERIPHERALS_H_
