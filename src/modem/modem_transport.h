#ifndef TOLVANE_MODEM_MODEM_TRANSPORT_H_
#define TOLVANE_MODEM_MODEM_TRANSPORT_H_

#include <functional>
#include <memory>
#include <string>

#include "core/redial_countdown.h"
#include "core/send_context.h"
#include "core/transport.h"
#include "platform/serial_port.h"

namespace tolvane {

// Error number of a port number the serial port cannot take (a wrong Baud or
// Parametrar gives kErrorInvalidPropertyValue).
inline constexpr int kErrorInvalidPortNumber = 8002;

// The modem line to the SMS centre: port set-up, initialisation, dialling
// with redial, the UCP exchange and the hang-up.
class ModemTransport : public Transport {
 public:
  ModemTransport(SendContext& context, SerialPort& port, RedialCountdown& redial);
  ~ModemTransport() override;

  // --- Transport. Configure sets the port number and line settings; the
  // port is not opened. PrepareForSend sets the line settings and
  // handshaking, empties the buffers and raises RTS.
  void Configure(const std::function<void(int error_number)>& report_error) override;
  void PrepareForSend() override;
  bool SplitsLongMessages() const override { return false; }
  std::string RefusalOf(std::string_view text) const override { return Cp1252Refusal(text); }
  void SendSingle() override;
  void SendDouble() override;
  // Initialises the modem and dials once for the whole run.
  bool OpenRun() override;
  bool SendMember(int following) override;
  void CloseRun(bool interrupted) override;
  void Cancel() override;
  void StopExchange() override {}
  bool ConnectionLost() const override { return !CarrierHeld(); }
  bool LineHeld() const override { return CarrierHeld(); }
  // Stops SetupTimer and clears the receive state.
  void StopTimers() override;
  void HangUp() override;

  void InitModem();
  void DialSmsc();
  // Submit frame of the current message into SendState.
  void BuildSubmitFrame();
  void TransmitFrame();
  // Received-data handler, fed from the port's receive event.
  void HandleSmscData(const std::string& data);
  void SendConfirmation();
  bool CarrierHeld() const;

 private:
  // Dials until the line is up, redialling after a busy signal; false when
  // the dial failed or the send was cancelled.
  bool Connect();

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tolvane

#endif  // TOLVANE_MODEM_MODEM_TRANSPORT_H_
