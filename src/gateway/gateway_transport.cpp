#include "gateway/gateway_transport.h"

// Placeholder until the gateway lands: every send ends at once.
namespace tolvane {

struct GatewayTransport::Impl {
  SendContext& context;
};

GatewayTransport::GatewayTransport(SendContext& context, HttpClient&)
    : impl_(std::make_unique<Impl>(Impl{context})) {}
GatewayTransport::~GatewayTransport() = default;
void GatewayTransport::ConfigureClient() {}
void GatewayTransport::FixaStrangTCP() {}
void GatewayTransport::KvittoDelay() {}
void GatewayTransport::SandSingelTCP() { impl_->context.State().finished = true; }
void GatewayTransport::SandDubbelTCP() { impl_->context.EndSend(); }
void GatewayTransport::CancelRequest() {}

}  // namespace tolvane
