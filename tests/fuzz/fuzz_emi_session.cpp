// Whatever an SMS centre sends over a UCP/EMI session: a send or a run of
// three ends with the connection closed and the window unlocked, and the
// next send, to a well-behaved centre, gets its notification.
//
// Input: one byte of options, then steps, one after each frame the program
// writes: a pause (in 50 ms steps), a kind and its bytes, and the size of
// the pieces they arrive in.
#include <string>
#include <vector>

#include "emi/emi_frame_reader.h"
#include "emi/emi_settings.h"
#include "fuzz_session.h"
#include "sim/sim_emi_centre.h"
#include "ucp/ucp_frame.h"

namespace tolvane {
namespace {

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';

class ScriptedEmiCentre : public ScriptedTcpPeer<sim::SimEmiCentre, EmiFrameReader, std::string> {
 public:
  using ScriptedTcpPeer::ScriptedTcpPeer;

 private:
  std::vector<std::string> Fields() {
    std::vector<std::string> fields(input_.ConsumeIntegralInRange(0, 34));
    for (std::string& field : fields) {
      field = input_.ConsumeBool() ? "" : input_.ConsumeRandomLengthString(24);
    }
    return fields;
  }

  Step Answer(const std::string& request) override {
    const std::optional<UcpFrame> asked = ReadUcpFrame(request);
    Step step{.pause_ms = input_.ConsumeIntegral<uint8_t>() * 50};
    switch (input_.ConsumeIntegralInRange(0, 5)) {
      case 0:
        step.bytes = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(1, 64));
        break;
      case 1: {
        // An answer to what came, or to another TRN, with any fields.
        const int trn = input_.ConsumeBool() && asked ? asked->transaction_reference
                                                      : input_.ConsumeIntegralInRange(0, 99);
        const std::string operation = asked ? asked->operation : "51";
        std::vector<std::string> fields = Fields();
        if (input_.ConsumeBool()) fields.insert(fields.begin(), input_.ConsumeBool() ? "A" : "N");
        step.bytes = kStx + SealUcpFrame(trn, 'R', operation, fields) + kEtx;
        break;
      }
      case 2: {
        // An operation of the centre's own: 31, 52, 53 or any.
        static const char* kOperations[] = {"31", "52", "53", "60", "99"};
        const char* operation = kOperations[input_.ConsumeIntegralInRange(0, 4)];
        step.bytes = kStx +
                     SealUcpFrame(input_.ConsumeIntegralInRange(0, 99), 'O', operation, Fields()) +
                     kEtx;
        break;
      }
      case 3: {
        // A flood of STX or ETX, or a frame far too long.
        const size_t count = input_.ConsumeIntegralInRange<size_t>(1, 3000);
        const char c = input_.PickValueInArray({kStx, kEtx, '7'});
        step.bytes =
            std::string(1, kStx) + std::string(count, c) + (input_.ConsumeBool() ? "" : "\x03");
        break;
      }
      case 4: {
        // A sound frame with one byte changed or cut short.
        std::string frame = SealUcpFrame(0, 'R', "51", {"A", "", "0:0"});
        const size_t at = input_.ConsumeIntegralInRange<size_t>(0, frame.size() - 1);
        if (input_.ConsumeBool()) {
          frame.resize(at);
        } else {
          frame[at] = static_cast<char>(input_.ConsumeIntegral<uint8_t>());
        }
        step.bytes = kStx + frame + kEtx;
        break;
      }
      default:
        step.drop = true;
    }
    step.piece = input_.ConsumeIntegralInRange<size_t>(1, 64);
    return step;
  }
};

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  return RunTcpSession<sim::SimEmiCentre, ScriptedEmiCentre>(
      data, size, &testing::WindowPeripherals::emi_connection, kEmiSecret,
      [](ProgramSettings& settings, uint8_t options) {
        settings.AccessTyp = "EMI";
        settings.transports.Get<EmiSettings>().Host = "smsc.example.net";
        settings.transports.Get<EmiSettings>().User = "tolvane";
        settings.transports.Get<EmiSettings>().Window = options & 1 ? "1" : "10";
        settings.transports.Get<EmiSettings>().ResendUnanswered = options & 2 ? "1" : "0";
        settings.transports.Get<EmiSettings>().AltHost = options & 16 ? "backup.example.net" : "";
        settings.transports.Get<EmiSettings>().Alphabet = options & 32 ? "IRA" : "GSM";
      });
}

}  // namespace tolvane
