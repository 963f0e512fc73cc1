#include "platform/qt/qt_serial_port.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <memory>

#include "core/main_window.h"
#include "platform/qt/qt_event_loop.h"
#include "sim/pty_modem_server.h"
#include "support/window_peripherals.h"

namespace tolvane::testing {
namespace {

TEST(QtSerialPortTest, DeviceFromSettingOrPortNumberAndOnlyWhenThere) {
  QtSerialPort port;
  port.SetCommPort(2);
  EXPECT_EQ(port.DevicePath(), "/dev/ttyS1");
  port.SetDevice("/dev/ttyUSB0");
  EXPECT_EQ(port.DevicePath(), "/dev/ttyUSB0");
  port.SetDevice("/dev/tolvane-no-such-port");
  EXPECT_FALSE(port.Open());
}

// The main window sends over a real pseudo-terminal to the simulated modem.
class QtSerialPortSendTest : public ::testing::Test, protected WindowPeripherals {
 protected:
  QtSerialPortSendTest() {
    sim::ModemOptions modem_options;
    modem_options.dial_delay_ms = 200;
    sim::SmscOptions smsc_options;
    smsc_options.answer_delay_ms = 200;
    smsc_options.notify_delay_ms = 300;
    server = std::make_unique<sim::PtyModemServer>(modem_options, smsc_options);
    serve.setInterval(2);
    QObject::connect(&serve, &QTimer::timeout, [this] { server->Poll(0); });
    serve.start();

    settings.Logg = "1";
    settings.LoggOn = true;
    settings.Device = server->DevicePath();
    window = std::make_unique<MainWindow>(settings, Services(loop, port), host);
    window->ConfigureTransports();
    book.Add("Anna", "46701234567");
    window->SetPhoneBookCursor(&book.cursor());
    window->SetRecipientListStale(true);
    window->RefreshRecipientList();
    TypeMessage(*window, "Hello over a real line");
  }

  std::string Receipt() const { return window->Control(MainControl::kReceiptLine).text; }

  QtEventLoop loop;
  QtSerialPort port;
  std::unique_ptr<sim::PtyModemServer> server;
  QTimer serve;
  std::unique_ptr<MainWindow> window;
};

TEST_F(QtSerialPortSendTest, TwoWholeSendsWithReceiptsThenTheDeviceVanishingMidSend) {
  const std::string delivered = sim::SimSmsc::DeliveredText("46701234567");
  window->StartSend();
  EXPECT_EQ(Receipt(), delivered);
  // A pseudo-terminal reports no DCD: the carrier came from CONNECT.
  EXPECT_TRUE(port.CarrierFromResultCodes());
  EXPECT_FALSE(port.IsOpen());

  // The close counted as the DTR drop: the modem takes the next call (once
  // the simulator, served from this loop, has seen the close).
  WaitFor(loop, 100);
  EXPECT_EQ(server->Smsc().Acknowledgements().size(), 1u);
  EXPECT_FALSE(server->Modem().Carrier());
  window->StartSend();
  EXPECT_EQ(Receipt(), delivered);
  WaitFor(loop, 100);
  EXPECT_EQ(server->Modem().DialCount(), 2);
  EXPECT_EQ(server->Smsc().Acknowledgements().size(), 2u);
  EXPECT_TRUE(server->Smsc().Problems().empty()) << server->Smsc().Problems()[0];
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);

  server->Smsc().Options().answer = false;
  QObject::connect(&serve, &QTimer::timeout, [this] {
    if (server->Smsc().Submits().size() == 3) server->Unplug();
  });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Operator closed the connection.");
  EXPECT_FALSE(port.IsOpen());
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
}

}  // namespace
}  // namespace tolvane::testing
