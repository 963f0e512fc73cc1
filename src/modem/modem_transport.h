#ifndef TOLVANE_MODEM_MODEM_TRANSPORT_H_
#define TOLVANE_MODEM_MODEM_TRANSPORT_H_

#include <functional>
#include <memory>
#include <string>

#include "core/send_context.h"
#include "platform/serial_port.h"

namespace tolvane {

// Error numbers of a port set-up the serial port cannot take.
inline constexpr int kErrorInvalidPropertyValue = 380;  // Baud and Parametrar
inline constexpr int kErrorInvalidPortNumber = 8002;    // Port

// The modem line to the SMS centre: port set-up, initialisation, dialling
// with redial, the UCP exchange and the hang-up.
class ModemTransport {
 public:
  ModemTransport(SendContext& context, SerialPort& port);
  ~ModemTransport();

  // Start-up: port number and line settings; the port is not opened. An item
  // the port cannot take is reported by its error number and left as it was.
  void ConfigurePort(const std::function<void(int error_number)>& report_error = nullptr);
  // Start of every send: line settings, handshaking, buffers emptied, RTS on.
  void PrepareForSend();

  void InitModem();
  void DialSmsc();
  void WaitRedial();
  // Submit frame of the current message into SendState.
  void BuildSubmitFrame();
  void TransmitFrame();
  void SendDoubleMessage();
  // Received-data handler, fed from the port's receive event.
  void HandleSmscData(const std::string& data);
  void SendConfirmation();

  // The hang-up steps run by EndSend.
  void HangUp();
  // Stops SetupTimer and RedialTimer, clears the redial count and the receive state.
  void StopTimers();
  bool CarrierHeld() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tolvane

#endif  // TOLVANE_MODEM_MODEM_TRANSPORT_H_
