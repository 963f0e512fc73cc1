#include "sim/deliver_tpdu.h"

#include "sim/status_report_tpdu.h"
#include "sms/gsm7_packing.h"
#include "sms/sms_address.h"
#include "sms/sms_message.h"

namespace tolvane::sim {
namespace {

// No more messages waiting (TP-MMS set), no reply path, no report asked.
constexpr unsigned char kDeliverFirstOctet = 0x04;
constexpr unsigned char kHeaderIndicator = 0x40;
constexpr unsigned char kUcs2Coding = 0x08;
// Bit 4: the class in bits 1-0 counts; class 0.
constexpr unsigned char kClassZero = 0x10;
constexpr int kMostParts = 255;

class GivenReference : public ReferenceCounter {
 public:
  explicit GivenReference(int reference) : reference_(reference) {}
  uint8_t Next() override { return static_cast<uint8_t>(reference_); }

 private:
  int reference_;
};

std::string Deliver(const std::string& sender_field, const SmsTimestamp& centre_time,
                    const SmsPart& part, SmsEncoding encoding, bool flash) {
  std::string user_data = part.header;
  size_t length = 0;
  if (encoding == SmsEncoding::kGsm7) {
    // The septets start on the first septet boundary after the header.
    const size_t header_bits = part.header.size() * 8;
    const int fill_bits = static_cast<int>((7 - header_bits % 7) % 7);
    user_data += PackSeptets(part.payload, fill_bits);
    length = (header_bits + fill_bits) / 7 + part.payload.size();
  } else {
    user_data += part.payload;
    length = user_data.size();
  }
  unsigned char coding = encoding == SmsEncoding::kGsm7 ? 0 : kUcs2Coding;
  if (flash) coding |= kClassZero;
  std::string tpdu;
  tpdu += static_cast<char>(kDeliverFirstOctet | (part.header.empty() ? 0 : kHeaderIndicator));
  tpdu += sender_field;
  tpdu += '\0';  // protocol identifier
  tpdu += static_cast<char>(coding);
  tpdu += EncodeTimestamp(centre_time);
  tpdu += static_cast<char>(length);
  return tpdu + user_data;
}

}  // namespace

std::optional<std::vector<std::string>> BuildDeliverTpdus(const GsmDelivery& delivery,
                                                          int reference,
                                                          const SmsTimestamp& centre_time) {
  std::optional<std::string> sender = EncodeNumberAddress(delivery.sender, kInternationalPrefix);
  if (!sender) {
    // The count of semi-octets, the type of address, the packed name.
    sender = EncodeAlphanumericAddress(delivery.sender);
    if (!sender) return std::nullopt;
    sender->insert(1, 1, static_cast<char>(kAlphanumericName));
  }
  GivenReference references(reference);
  const SmsMessage message = PrepareMessage(delivery.text, kMostParts, references);
  if (!message.error.empty()) return std::nullopt;
  std::vector<int> order = delivery.parts;
  if (order.empty()) {
    for (int i = 1; i <= static_cast<int>(message.parts.size()); ++i) order.push_back(i);
  }
  std::vector<std::string> tpdus;
  for (int index : order) {
    if (index < 1 || index > static_cast<int>(message.parts.size())) return std::nullopt;
    tpdus.push_back(
        Deliver(*sender, centre_time, message.parts[index - 1], message.encoding, delivery.flash));
  }
  return tpdus;
}

}  // namespace tolvane::sim
