#ifndef TOLVANE_PLATFORM_QT_QT_SERIAL_PORT_H_
#define TOLVANE_PLATFORM_QT_QT_SERIAL_PORT_H_

#include <QSerialPort>
#include <QTimer>
#include <functional>
#include <string>

#include "platform/serial_port.h"

namespace tolvane {

// The modem line on QSerialPort.
//
// Carrier detect: the DCD line, where the port reports it (polled, since the
// port raises no signal for it). Where it cannot (a pseudo-terminal, some USB
// modems: the modem-line calls fail with UnsupportedOperationError), the
// carrier is derived from the modem's own result codes: CONNECT raises it, NO
// CARRIER or a port error drops it, and closing the port drops it.
//
// A port that fails under the program (a USB modem pulled out, the far end of
// a pseudo-terminal gone) is closed at once, which reads as a lost carrier.
class QtSerialPort : public SerialPort {
 public:
  QtSerialPort();
  ~QtSerialPort() override;

  void SetCommPort(int number) override { comm_port_ = number; }
  void SetDevice(const std::string& path) override { device_ = path; }
  void SetSettings(const std::string& settings) override;
  void SetHandshaking(int mode) override;
  void SetRtsEnable(bool enable) override;
  void SetDtrEnable(bool enable) override;
  bool DtrEnable() const override { return dtr_; }

  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return port_.isOpen(); }

  void Output(const std::string& data) override;
  std::string Input() override;
  void ClearInput() override;
  void ClearOutput() override;
  int OutBufferCount() const override;
  bool CdHolding() const override;

  void SetOnComm(std::function<void(CommEvent)> handler) override { on_comm_ = std::move(handler); }

  // The device opened: the Device setting, else port n is /dev/ttyS(n-1) (COMn on Windows).
  std::string DevicePath() const;
  // True while the carrier is taken from the result codes instead of DCD.
  bool CarrierFromResultCodes() const { return carrier_from_result_codes_; }

 private:
  void OnReadyRead();
  void OnError(QSerialPort::SerialPortError error);
  void WatchResultCodes(const std::string& data);
  void SetDerivedCarrier(bool on);
  void PollDcd();
  void ApplyLineSettings();
  // Raises `event` from the event loop, so that a handler that waits inside
  // it still gets the events that follow.
  void Post(CommEvent event);

  QSerialPort port_;
  QTimer dcd_poll_;
  std::function<void(CommEvent)> on_comm_;
  int comm_port_ = 1;
  std::string device_;
  qint32 baud_ = 9600;
  QSerialPort::Parity parity_ = QSerialPort::NoParity;
  QSerialPort::DataBits data_bits_ = QSerialPort::Data8;
  QSerialPort::StopBits stop_bits_ = QSerialPort::OneStop;
  QSerialPort::FlowControl flow_ = QSerialPort::NoFlowControl;
  bool rts_ = false;
  bool dtr_ = true;
  std::string input_;
  // The end of the received text, so a result code split over reads is seen.
  std::string tail_;
  bool carrier_from_result_codes_ = false;
  bool derived_carrier_ = false;
  bool last_dcd_ = false;
  bool receive_posted_ = false;
  // The port failed; it is closed from the event loop.
  bool failed_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_SERIAL_PORT_H_
