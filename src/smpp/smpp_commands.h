#ifndef TOLVANE_SMPP_SMPP_COMMANDS_H_
#define TOLVANE_SMPP_SMPP_COMMANDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sms/received_part.h"
#include "sms/sms_address.h"
#include "sms/sms_message.h"

namespace tolvane {

// The bodies of the SMPP 3.4 operations the program sends and reads.

// An alphanumeric sender (TON 5) as the provider's alphabet writes it: GSM
// septets one an octet (`default_alphabet` 0, a character of the extension
// table taking two) or Latin-1 (3), at most 11 of them. Nothing when that
// alphabet cannot carry it; any other address as it is.
std::optional<SmsAddress> InProviderAlphabet(SmsAddress address, int default_alphabet);

// bind_transceiver, interface version 3.4. SMPP holds the system id to 15
// characters, the password to 8 and the system type to 12.
std::string BindTransceiverBody(std::string_view system_id, std::string_view password,
                                std::string_view system_type);

inline constexpr uint8_t kEsmClassUdh = 0x40;
inline constexpr uint8_t kDataCodingDefault = 0;
inline constexpr uint8_t kDataCodingIa5 = 1;
inline constexpr uint8_t kDataCodingLatin1 = 3;
inline constexpr uint8_t kDataCodingUcs2 = 8;

struct SubmitSm {
  SmsAddress source;
  SmsAddress destination;
  uint8_t esm_class = 0;
  uint8_t data_coding = kDataCodingDefault;
  bool registered_delivery = false;
  std::string schedule_delivery_time;  // empty: at once
  std::string validity_period;         // empty: the provider's default
  std::string short_message;           // at most 254 octets
};
std::string SubmitSmBody(const SubmitSm& submit);

// The data coding and short message of one part: GSM text as the
// provider's default alphabet (one septet an octet, `default_alphabet` 0) or
// as Latin-1 (3), UCS-2 as data coding 8; a linked part carries its header
// first and sets esm_class 0x40. Nothing when Latin-1 cannot hold the part
// (the euro sign).
std::optional<SubmitSm> PartSubmit(const SmsPart& part, SmsEncoding encoding, int default_alphabet);

// The message id of a submit_sm_resp, or the system id of a bind_resp.
std::optional<std::string> ReadIdBody(std::string_view body);

// A deliver_sm: a delivery receipt or a message sent to the account.
struct DeliverSm {
  SmsAddress source;
  SmsAddress destination;
  uint8_t esm_class = 0;
  uint8_t data_coding = 0;
  std::string short_message;
  std::string receipted_message_id;      // TLV 0x001E
  std::optional<uint8_t> message_state;  // TLV 0x0427
  // The text in place of short_message (TLV 0x0424).
  std::optional<std::string> message_payload;
  // The place of a linked part: sar_msg_ref_num (0x020C, 16 bits),
  // sar_total_segments (0x020E) and sar_segment_seqnum (0x020F).
  std::optional<int> sar_reference;
  std::optional<int> sar_total;
  std::optional<int> sar_index;

  // The message type, esm_class bits 2 to 5: a message to the account, a
  // delivery receipt, or else an acknowledgement or an intermediate
  // notification, which the program only answers.
  bool IsMessage() const { return (esm_class & 0x3C) == 0; }
  bool IsDeliveryReceipt() const { return (esm_class & 0x3C) == 0x04; }
};
std::optional<DeliverSm> ReadDeliverSm(std::string_view body);

// A deliver_sm that is a message to the account, decoded; nothing for a
// receipt, an acknowledgement or an intermediate notification.
// - The sender: "+" and the digits for TON 1, a name (TON 5) read in the
//   provider's alphabet, anything else as it came.
// - The text: message_payload when short_message is empty. data_coding 0 is
//   the provider's default alphabet (`default_alphabet` as `[SMPP]
//   DefaultAlphabet` gives it: 3 Latin-1, 1 IA5, otherwise GSM septets one
//   an octet); 1 IA5 and 3 Latin-1 (an IA5 octet above 7F read as Latin-1,
//   as providers that mean Latin-1 send it); 8 UCS-2 with surrogate pairs;
//   from 10 on a GSM 03.38 scheme (class 0 a flash message); any other
//   coding is data, "Binary message, n bytes".
// - The place of a linked part: a user-data header's concatenation element
//   (esm_class 0x40; the header is taken off the text), or else the SAR
//   parameters (a 16-bit reference).
std::optional<ReceivedPart> ReceivedFromDeliverSm(const DeliverSm& deliver, int default_alphabet);

// deliver_sm_resp: an empty message id, as SMPP 3.4 wants it.
std::string DeliverSmRespBody();

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_COMMANDS_H_
