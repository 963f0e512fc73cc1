#ifndef TOLVANE_GSM_GSM_TRANSPORT_H_
#define TOLVANE_GSM_GSM_TRANSPORT_H_

#include <functional>
#include <memory>
#include <string>

#include "core/send_context.h"
#include "core/transport.h"
#include "platform/file_system.h"
#include "platform/serial_port.h"

namespace tolvane {

// A GSM modem or phone with a SIM on a serial port, in PDU mode: long texts
// go as linked parts, any character as UCS-2, with delivery reports when
// receipts are wanted. The port is open from the set-up to the end of a send
// or of a group run, or while the program runs when it listens: new messages
// are then stored on the SIM and announced, read, handed over and deleted
// once kept.
class GsmTransport : public Transport {
 public:
  GsmTransport(SendContext& context, SerialPort& port, FileSystem& files);
  ~GsmTransport() override;

  void Configure(const std::function<void(int error_number)>& report_error) override;
  bool SplitsLongMessages() const override { return true; }
  // A text of more parts than `[Message] MaxParts` allows.
  std::string RefusalOf(std::string_view text) const override;
  void PrepareForSend() override;
  void SendSingle() override;
  // A long text needs no double message here: it goes as one linked message.
  void SendDouble() override;
  bool OpenRun() override;
  bool SendMember(int following) override;
  void CloseRun(bool interrupted) override;
  // Every wait watches the cancel flag itself, and a submit under way gets
  // ESC there.
  void Cancel() override {}
  void StopExchange() override {}
  bool ConnectionLost() const override;
  bool LineHeld() const override;
  void StopTimers() override {}
  // Keeps the port open while listening.
  void HangUp() override;

  bool CanReceive() const override { return true; }
  std::string Listen() override;
  bool Listening() const override;
  void StopListening() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tolvane

#endif  // TOLVANE_GSM_GSM_TRANSPORT_H_
