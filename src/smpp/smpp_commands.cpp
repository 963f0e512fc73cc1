#include "smpp/smpp_commands.h"

#include <algorithm>

#include "smpp/smpp_body_reader.h"
#include "smpp/smpp_pdu.h"
#include "sms/gsm_alphabet.h"
#include "sms/latin1.h"
#include "sms/ucs2.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr uint32_t kInterfaceVersion = 0x34;
constexpr size_t kMaxAlphanumericSender = 11;
// Field sizes of SMPP 3.4, the closing zero included.
constexpr size_t kSystemIdField = 16;
constexpr size_t kPasswordField = 9;
constexpr size_t kSystemTypeField = 13;
constexpr size_t kAddressField = 21;
constexpr size_t kTimeField = 17;
constexpr size_t kMessageIdField = 65;
constexpr size_t kServiceTypeField = 6;

std::string_view Limited(std::string_view text, size_t field) { return text.substr(0, field - 1); }

void AppendAddress(std::string& body, const SmsAddress& address) {
  AppendInteger(body, address.ton, 1);
  AppendInteger(body, address.npi, 1);
  AppendCString(body, Limited(address.value, kAddressField));
}

std::optional<SmsAddress> ReadAddress(SmppBodyReader& reader) {
  const auto ton = reader.Integer(1);
  const auto npi = reader.Integer(1);
  auto value = reader.CString(kAddressField);
  if (reader.Failed()) return std::nullopt;
  return SmsAddress{static_cast<uint8_t>(*ton), static_cast<uint8_t>(*npi), std::move(*value)};
}

}  // namespace

std::optional<SmsAddress> InProviderAlphabet(SmsAddress address, int default_alphabet) {
  if (address.ton != 5) return address;
  const std::u32string text = DecodeUtf8(address.value);
  const std::optional<std::string> encoded =
      default_alphabet == kDataCodingLatin1 ? EncodeLatin1(text) : ToGsmSeptets(text);
  // The GSM "@" is septet 0, which would end the C-Octet String.
  if (!encoded || encoded->size() > kMaxAlphanumericSender ||
      encoded->find('\0') != std::string::npos) {
    return std::nullopt;
  }
  address.value = *encoded;
  return address;
}

std::string BindTransceiverBody(std::string_view system_id, std::string_view password,
                                std::string_view system_type) {
  std::string body;
  AppendCString(body, Limited(system_id, kSystemIdField));
  AppendCString(body, Limited(password, kPasswordField));
  AppendCString(body, Limited(system_type, kSystemTypeField));
  AppendInteger(body, kInterfaceVersion, 1);
  AppendInteger(body, 0, 1);  // addr_ton
  AppendInteger(body, 0, 1);  // addr_npi
  AppendCString(body, "");    // address_range
  return body;
}

std::string SubmitSmBody(const SubmitSm& submit) {
  std::string body;
  AppendCString(body, "");  // service_type: the provider's default
  AppendAddress(body, submit.source);
  AppendAddress(body, submit.destination);
  AppendInteger(body, submit.esm_class, 1);
  AppendInteger(body, 0, 1);  // protocol_id
  AppendInteger(body, 0, 1);  // priority_flag
  AppendCString(body, Limited(submit.schedule_delivery_time, kTimeField));
  AppendCString(body, Limited(submit.validity_period, kTimeField));
  AppendInteger(body, submit.registered_delivery ? 1 : 0, 1);
  AppendInteger(body, 0, 1);  // replace_if_present_flag
  AppendInteger(body, submit.data_coding, 1);
  AppendInteger(body, 0, 1);  // sm_default_msg_id
  AppendInteger(body, static_cast<uint32_t>(submit.short_message.size()), 1);
  body += submit.short_message;
  return body;
}

std::optional<SubmitSm> PartSubmit(const SmsPart& part, SmsEncoding encoding,
                                   int default_alphabet) {
  SubmitSm submit;
  submit.esm_class = part.header.empty() ? 0 : kEsmClassUdh;
  std::string text = part.payload;
  if (encoding == SmsEncoding::kUcs2) {
    submit.data_coding = kDataCodingUcs2;
  } else if (default_alphabet == kDataCodingLatin1) {
    submit.data_coding = kDataCodingLatin1;
    std::optional<std::string> latin1 = EncodeLatin1(FromGsmSeptets(part.payload));
    if (!latin1) return std::nullopt;
    text = *latin1;
  }
  submit.short_message = part.header + text;
  return submit;
}

std::optional<std::string> ReadIdBody(std::string_view body) {
  if (body.empty()) return std::string();  // a refusal may come without one
  SmppBodyReader reader(body);
  return reader.CString(kMessageIdField);
}

std::optional<DeliverSm> ReadDeliverSm(std::string_view body) {
  SmppBodyReader reader(body);
  DeliverSm deliver;
  reader.CString(kServiceTypeField);
  const auto source = ReadAddress(reader);
  const auto destination = ReadAddress(reader);
  const auto esm_class = reader.Integer(1);
  reader.Integer(1);  // protocol_id
  reader.Integer(1);  // priority_flag
  reader.CString(kTimeField);
  reader.CString(kTimeField);
  reader.Integer(1);  // registered_delivery
  reader.Integer(1);  // replace_if_present_flag
  const auto data_coding = reader.Integer(1);
  reader.Integer(1);  // sm_default_msg_id
  const auto length = reader.Integer(1);
  auto short_message = reader.Octets(length.value_or(0));
  if (reader.Failed()) return std::nullopt;
  deliver.source = *source;
  deliver.destination = *destination;
  deliver.esm_class = static_cast<uint8_t>(*esm_class);
  deliver.data_coding = static_cast<uint8_t>(*data_coding);
  deliver.short_message = std::move(*short_message);
  while (!reader.AtEnd()) {
    const auto tag = reader.Integer(2);
    const auto size = reader.Integer(2);
    const auto value = reader.Octets(size.value_or(0));
    if (reader.Failed()) return std::nullopt;
    if (*tag == kTagReceiptedMessageId) {
      // A C-Octet String; a provider may leave out its zero.
      deliver.receipted_message_id = value->substr(0, value->find('\0'));
    } else if (*tag == kTagMessageState && value->size() == 1) {
      deliver.message_state = static_cast<uint8_t>((*value)[0]);
    }
  }
  return deliver;
}

std::string DeliverSmRespBody() { return std::string(1, '\0'); }

std::string DeliverSmText(const DeliverSm& deliver) {
  std::string_view octets = deliver.short_message;
  if ((deliver.esm_class & kEsmClassUdh) && !octets.empty()) {
    octets.remove_prefix(std::min(octets.size(), static_cast<size_t>(octets[0] & 0xFF) + 1));
  }
  switch (deliver.data_coding) {
    case kDataCodingUcs2:
      return EncodeUtf8(DecodeUcs2(octets));
    case kDataCodingLatin1: {
      std::u32string text;
      for (char c : octets) text += static_cast<char32_t>(static_cast<unsigned char>(c));
      return EncodeUtf8(text);
    }
    default:
      return EncodeUtf8(FromGsmSeptets(octets));
  }
}

}  // namespace tolvane
