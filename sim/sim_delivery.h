#ifndef TOLVANE_SIM_SIM_DELIVERY_H_
#define TOLVANE_SIM_SIM_DELIVERY_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simulator_tool.h"
#include "sim/taken_part.h"
#include "sms/message_splitter.h"
#include "sms/sms_address.h"

namespace tolvane::sim {

// A message a simulated centre sends to its client: "deliver +46701234567
// Hej!" on a simulator tool's standard input, or its --deliver option.
struct DeliverOrder {
  // "+" and digits, digits, or a name of at most 11 GSM characters.
  std::string from;
  std::string text;  // UTF-8
};

// The order a line "deliver FROM TEXT" gives; nothing for another line.
std::optional<DeliverOrder> ReadDeliverLine(std::string_view line);

// How a centre sends a message's parts, as a network may.
struct DeliverOptions {
  // The parts of a linked message go last to first.
  bool reversed = false;
  // This part (1-based, in the order they go) goes twice; 0 none.
  int part_twice = 0;
  // Only this many parts go in the session, the rest after the client's
  // next login (a restart of the program in between); 0 all of them.
  int split_after = 0;
  // SMPP: linked parts carry the sar_* parameters instead of a header.
  bool sar = false;
  // SMPP: the whole text in one deliver_sm's message_payload.
  bool payload = false;
};

// One part of a message to the client.
struct DeliveryPart {
  SmsAddress from;
  SmsEncoding encoding = SmsEncoding::kGsm7;
  // The concatenation element 00 03 behind UDHL 05; empty for one part.
  std::string header;
  // GSM septets one a byte, or UCS-2 big-endian octets.
  std::string payload;
  // The sender (in `destination`), the place and the text, as the record
  // shows them.
  TakenPart described;
};

// The parts of a message in the order they go: this session's, and those
// that wait for the next login.
struct DeliveryPlan {
  std::vector<DeliveryPart> now;
  std::vector<DeliveryPart> later;
};

// The parts of `order` under the 8-bit `reference` (GSM text where the
// alphabet has every character, UCS-2 otherwise); nothing, with `refusal`
// saying why, when the sender is neither a number nor a name.
std::optional<DeliveryPlan> PlanDelivery(const DeliverOrder& order, int reference,
                                         const DeliverOptions& options, std::string& refusal);

// Takes one of the tools' options for messages to the client (--deliver
// and the ways its parts go); false when it is another option. `smpp` also
// knows --sar and --payload.
bool ParseDeliverOption(ToolArguments& arguments, bool smpp, std::vector<DeliverOrder>& orders,
                        DeliverOptions& options);

// Those options as the tools' usage texts name them.
inline constexpr char kDeliverUsage[] =
    "messages to the client (sent once it has logged in; long and Unicode texts as\n"
    "linked parts):\n"
    "  --deliver FROM TEXT    a message from FROM (+46701234567, digits or a name);\n"
    "                         repeatable; a line 'deliver FROM TEXT' on standard input\n"
    "                         sends one while the simulator runs\n"
    "  --reversed             send the parts of a linked message last to first\n"
    "  --part-twice N         send part N (in the order they go) twice\n"
    "  --split-after N        send N parts now, the rest after the client's next login\n";
inline constexpr char kSmppDeliverUsage[] =
    "  --sar                  link parts by the sar_* parameters instead of a header\n"
    "  --payload              send the whole text in one deliver_sm's message_payload\n";

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_DELIVERY_H_
