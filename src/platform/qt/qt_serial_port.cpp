#include "platform/qt/qt_serial_port.h"

#include <QByteArray>
#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/serial_line_settings.h"

namespace tolvane {
namespace {

constexpr int kDcdPollMs = 200;
constexpr size_t kTailSize = 16;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The last position of `code` in `text`, or -1.
long LastAt(const std::string& text, const char* code) {
  size_t at = text.rfind(code);
  return at == std::string::npos ? -1 : static_cast<long>(at);
}

}  // namespace

QtSerialPort::QtSerialPort() {
  QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { OnReadyRead(); });
  QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                   [this](QSerialPort::SerialPortError error) { OnError(error); });
  dcd_poll_.setInterval(kDcdPollMs);
  QObject::connect(&dcd_poll_, &QTimer::timeout, &port_, [this] { PollDcd(); });
}

QtSerialPort::~QtSerialPort() { Close(); }

std::string QtSerialPort::DevicePath() const {
  if (!device_.empty()) return device_;
#ifdef Q_OS_WIN
  return "COM" + std::to_string(comm_port_);
#else
  return "/dev/ttyS" + std::to_string(comm_port_ - 1);
#endif
}

void QtSerialPort::SetSettings(const std::string& settings) {
  // Settings the port cannot take leave the line as it was.
  std::optional<SerialLineSettings> line = ParseSerialLineSettings(settings);
  if (!line) return;
  baud_ = line->baud;
  data_bits_ = static_cast<QSerialPort::DataBits>(line->data_bits);
  switch (line->parity) {
    case 'E':
      parity_ = QSerialPort::EvenParity;
      break;
    case 'O':
      parity_ = QSerialPort::OddParity;
      break;
    case 'M':
      parity_ = QSerialPort::MarkParity;
      break;
    case 'S':
      parity_ = QSerialPort::SpaceParity;
      break;
    default:
      parity_ = QSerialPort::NoParity;
  }
  stop_bits_ = line->stop_bits == "2"     ? QSerialPort::TwoStop
               : line->stop_bits == "1.5" ? QSerialPort::OneAndHalfStop
                                          : QSerialPort::OneStop;
  if (port_.isOpen()) ApplyLineSettings();
}

void QtSerialPort::SetHandshaking(int mode) {
  // RTS together with XON/XOFF (3) cannot be had at once; RTS/CTS is the one
  // that matters, as the UCP text never carries the XON and XOFF bytes.
  flow_ = mode == 1   ? QSerialPort::SoftwareControl
          : mode >= 2 ? QSerialPort::HardwareControl
                      : QSerialPort::NoFlowControl;
  if (port_.isOpen()) ApplyLineSettings();
}

void QtSerialPort::SetRtsEnable(bool enable) {
  rts_ = enable;
  // Under hardware flow control the driver owns RTS.
  if (port_.isOpen() && flow_ != QSerialPort::HardwareControl) port_.setRequestToSend(enable);
}

void QtSerialPort::SetDtrEnable(bool enable) {
  dtr_ = enable;
  if (port_.isOpen()) port_.setDataTerminalReady(enable);
}

void QtSerialPort::ApplyLineSettings() {
  port_.setBaudRate(baud_);
  port_.setParity(parity_);
  port_.setDataBits(data_bits_);
  port_.setStopBits(stop_bits_);
  port_.setFlowControl(flow_);
}

bool QtSerialPort::Open() {
  if (port_.isOpen()) return true;
  port_.setPortName(QString::fromStdString(DevicePath()));
  if (!port_.open(QIODevice::ReadWrite)) {
    port_.clearError();
    return false;
  }
  failed_ = false;
  input_.clear();
  tail_.clear();
  derived_carrier_ = false;
  ApplyLineSettings();
  port_.setDataTerminalReady(dtr_);
  if (flow_ != QSerialPort::HardwareControl) port_.setRequestToSend(rts_);
  port_.clearError();
  QSerialPort::PinoutSignals pins = port_.pinoutSignals();
  carrier_from_result_codes_ = port_.error() == QSerialPort::UnsupportedOperationError;
  port_.clearError();
  last_dcd_ = (pins & QSerialPort::DataCarrierDetectSignal) != 0;
  if (!carrier_from_result_codes_) dcd_poll_.start();
  return true;
}

void QtSerialPort::Close() {
  dcd_poll_.stop();
  derived_carrier_ = false;
  last_dcd_ = false;
  if (port_.isOpen()) port_.close();
  port_.clearError();
}

void QtSerialPort::Output(const std::string& data) {
  if (!port_.isOpen() || failed_) return;
  port_.write(data.data(), static_cast<qint64>(data.size()));
}

std::string QtSerialPort::Input() {
  if (port_.isOpen() && !failed_) {
    QByteArray more = port_.readAll();
    std::string text(more.constData(), static_cast<size_t>(more.size()));
    WatchResultCodes(text);
    input_ += text;
  }
  return std::exchange(input_, std::string());
}

void QtSerialPort::ClearInput() {
  input_.clear();
  if (port_.isOpen()) {
    port_.clear(QSerialPort::Input);
    port_.readAll();
  }
}

void QtSerialPort::ClearOutput() {
  if (port_.isOpen()) port_.clear(QSerialPort::Output);
}

int QtSerialPort::OutBufferCount() const {
  if (!port_.isOpen() || failed_) return 0;
  return static_cast<int>(port_.bytesToWrite());
}

bool QtSerialPort::CdHolding() const {
  if (!port_.isOpen() || failed_) return false;
  return carrier_from_result_codes_ ? derived_carrier_ : last_dcd_;
}

void QtSerialPort::OnReadyRead() {
  QByteArray more = port_.readAll();
  std::string text(more.constData(), static_cast<size_t>(more.size()));
  WatchResultCodes(text);
  input_ += text;
  if (!receive_posted_) {
    receive_posted_ = true;
    Post(CommEvent::kReceive);
  }
}

void QtSerialPort::WatchResultCodes(const std::string& data) {
  if (!carrier_from_result_codes_ || data.empty()) return;
  std::string text = tail_ + Upper(data);
  long connect = LastAt(text, "CONNECT");
  long no_carrier = LastAt(text, "NO CARRIER");
  if (connect > no_carrier) SetDerivedCarrier(true);
  if (no_carrier > connect) SetDerivedCarrier(false);
  tail_ = text.substr(text.size() - std::min(text.size(), kTailSize));
  // A code already acted on must not count again with the next read.
  if (connect >= 0 || no_carrier >= 0) tail_.clear();
}

void QtSerialPort::SetDerivedCarrier(bool on) {
  if (derived_carrier_ == on) return;
  derived_carrier_ = on;
  Post(CommEvent::kCarrierDetect);
}

void QtSerialPort::PollDcd() {
  if (!port_.isOpen() || failed_) return;
  bool dcd = (port_.pinoutSignals() & QSerialPort::DataCarrierDetectSignal) != 0;
  if (port_.error() != QSerialPort::NoError) {
    port_.clearError();
    return;
  }
  if (dcd == last_dcd_) return;
  last_dcd_ = dcd;
  Post(CommEvent::kCarrierDetect);
}

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
  switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
      if (!port_.isOpen() || failed_) return;
      // The device is gone. Closing ends the read errors that a vanished
      // pseudo-terminal raises in a tight loop; it is done from the event loop
      // because the port is still inside its own notification here.
      failed_ = true;
      derived_carrier_ = false;
      QMetaObject::invokeMethod(
          &port_,
          [this] {
            Close();
            Post(CommEvent::kCarrierDetect);
          },
          Qt::QueuedConnection);
      break;
    default:
      // UnsupportedOperationError from the modem-line calls on a
      // pseudo-terminal means "unknown", not "dropped".
      break;
  }
}

void QtSerialPort::Post(CommEvent event) {
  QMetaObject::invokeMethod(
      &port_,
      [this, event] {
        if (event == CommEvent::kReceive) receive_posted_ = false;
        if (on_comm_) on_comm_(event);
      },
      Qt::QueuedConnection);
}

}  // namespace tolvane
