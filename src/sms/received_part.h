#ifndef TOLVANE_SMS_RECEIVED_PART_H_
#define TOLVANE_SMS_RECEIVED_PART_H_

#include <optional>
#include <string>

namespace tolvane {

// Where a part of a linked message belongs: the sender's reference for the
// message, its part count and this part's place (1-based), from a user
// data header (8- or 16-bit reference) or SMPP's SAR parameters.
struct PartLink {
  int reference = 0;
  int total = 1;
  int index = 1;
  int reference_bits = 8;
  bool operator==(const PartLink&) const = default;
};

// One SMS the network delivered to the program, decoded by its transport:
// a whole message or one part of a linked one.
struct ReceivedPart {
  // The sender as the network gave it: "+46701234567" for an international
  // number, the digits as given otherwise, or an alphanumeric name.
  std::string sender;
  // The centre's time stamp as the transport read it ("2026-12-08 15:10:12
  // +01:00"); empty when the network gave none (SMPP mostly).
  std::string centre_time;
  // The text as UTF-8, a user data header taken off; for 8-bit data,
  // "Binary message, n bytes".
  std::string text;
  // "GSM", "UCS2" or "8bit".
  std::string encoding;
  std::optional<PartLink> link;
  // A class 0 message, which a phone shows at once.
  bool flash = false;
  bool operator==(const ReceivedPart&) const = default;
};

// What became of a received part. The transport acknowledges a kept or a
// duplicate part; one the store could not keep is refused, so that the
// network delivers it again later.
enum class ReceiveOutcome { kKept, kDuplicate, kNotKept };

}  // namespace tolvane

#endif  // TOLVANE_SMS_RECEIVED_PART_H_
