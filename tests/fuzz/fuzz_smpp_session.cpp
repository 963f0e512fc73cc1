// Whatever an SMPP provider sends over a session: a send or a run of three
// ends with the connection closed and the window unlocked, and the next
// send, to a well-behaved provider, gets its receipt.
//
// Input: one byte of options, then steps, one after each PDU the program
// writes: a pause (in 50 ms steps), a kind and its bytes.
#include <string>

#include "fuzz_session.h"
#include "sim/sim_smpp_provider.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_pdu_reader.h"
#include "smpp/smpp_settings.h"

namespace tolvane {
namespace {

class ScriptedSmppProvider : public ScriptedTcpPeer<sim::SimSmppProvider, SmppPduReader, SmppPdu> {
 public:
  using ScriptedTcpPeer::ScriptedTcpPeer;

 private:
  Step Answer(const SmppPdu& request) override {
    Step step{.pause_ms = input_.ConsumeIntegral<uint8_t>() * 50};
    switch (input_.ConsumeIntegralInRange(0, 3)) {
      case 0:
        step.bytes = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(1, 64));
        break;
      case 1: {
        // The answer to what came, with any status and body.
        const uint32_t status = input_.ConsumeBool() ? 0 : input_.ConsumeIntegral<uint8_t>();
        const std::string body = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(0, 24));
        step.bytes = EncodePdu({request.command | kResponseBit, status, request.sequence, body});
        break;
      }
      case 2: {
        const std::string body = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(0, 96));
        step.bytes = EncodePdu({kDeliverSm, 0, next_sequence_++, body});
        break;
      }
      default:
        step.drop = true;
    }
    return step;
  }

  uint32_t next_sequence_ = 1;
};

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  return RunTcpSession<sim::SimSmppProvider, ScriptedSmppProvider>(
      data, size, &testing::WindowPeripherals::smpp_connection, kSmppSecret,
      [](ProgramSettings& settings, uint8_t options) {
        settings.AccessTyp = "SMPP";
        settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
        settings.transports.Get<SmppSettings>().SystemId = "tolvane";
        settings.transports.Get<SmppSettings>().Window = options & 1 ? "1" : "10";
        settings.transports.Get<SmppSettings>().ResendUnanswered = options & 2 ? "1" : "0";
      });
}

}  // namespace tolvane
