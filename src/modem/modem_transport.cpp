#include "modem/modem_transport.h"

// Placeholder until the modem line lands: every send fails at once.
namespace tolvane {

struct ModemTransport::Impl {
  SendContext& context;
};

ModemTransport::ModemTransport(SendContext& context, SerialPort&)
    : impl_(std::make_unique<Impl>(Impl{context})) {}
ModemTransport::~ModemTransport() = default;
void ModemTransport::ConfigurePort() {}
void ModemTransport::PrepareForSend() {}
void ModemTransport::InitModem() { impl_->context.State().init_failed = true; }
void ModemTransport::DialSmsc() { impl_->context.State().dial_failed = true; }
void ModemTransport::WaitRedial() {}
void ModemTransport::BuildSubmitFrame() {}
void ModemTransport::TransmitFrame() {}
void ModemTransport::SendDoubleMessage() { impl_->context.EndSend(); }
void ModemTransport::HandleSmscData(const std::string&) {}
void ModemTransport::SendConfirmation() {}
void ModemTransport::HangUp() {}
void ModemTransport::StopTimers() {}
bool ModemTransport::CarrierHeld() const { return false; }

}  // namespace tolvane
