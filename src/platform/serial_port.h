#ifndef TOLVANE_PLATFORM_SERIAL_PORT_H_
#define TOLVANE_PLATFORM_SERIAL_PORT_H_

#include <functional>
#include <string>

namespace tolvane {

// Events raised by the serial port (the values of the communications control).
enum class CommEvent { kSend = 1, kReceive = 2, kCarrierDetect = 3 };

// The modem line: the operations of a Windows communications control that the
// modem transport relies on. Data are bytes.
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Port number 1 to n; the adapter maps it to a device unless a device path
  // is configured.
  virtual void SetCommPort(int number) = 0;
  // A device path (setting Device) that overrides the port number; empty:
  // none. Ports without device paths ignore it.
  virtual void SetDevice(const std::string& /*path*/) {}
  // "baud,parity,data,stop", for example "19200,N,8,1".
  virtual void SetSettings(const std::string& settings) = 0;
  // Flow control: 0 none, 1 XON/XOFF, 2 RTS, 3 RTS and XON/XOFF.
  virtual void SetHandshaking(int mode) = 0;
  virtual void SetRtsEnable(bool enable) = 0;
  virtual void SetDtrEnable(bool enable) = 0;
  virtual bool DtrEnable() const = 0;

  // Opens the port; false when it cannot be opened.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  virtual void Output(const std::string& data) = 0;
  // Everything received since the last read.
  virtual std::string Input() = 0;
  // Empties the receive or the transmit buffer.
  virtual void ClearInput() = 0;
  virtual void ClearOutput() = 0;
  // Bytes written but not yet sent.
  virtual int OutBufferCount() const = 0;
  // The carrier-detect line; false when the port is closed.
  virtual bool CdHolding() const = 0;

  // Raised on the program thread when data arrives or the carrier changes.
  virtual void SetOnComm(std::function<void(CommEvent)> handler) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_SERIAL_PORT_H_
