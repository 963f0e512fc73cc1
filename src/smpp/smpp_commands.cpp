#include "smpp/smpp_commands.h"

#include <algorithm>

#include "smpp/smpp_body_reader.h"
#include "smpp/smpp_pdu.h"
#include "sms/data_coding_scheme.h"
#include "sms/gsm_alphabet.h"
#include "sms/latin1.h"
#include "sms/ucs2.h"
#include "sms/user_data_header.h"
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

constexpr uint8_t kTonInternational = 1;
constexpr uint8_t kTonAlphanumeric = 5;

// How a deliver_sm's data_coding writes its text.
enum class Coding { kDefault, kLatin1, kUcs2, kBinary };
struct Scheme {
  Coding coding = Coding::kBinary;
  bool flash = false;
};

Scheme SchemeOf(uint8_t data_coding) {
  switch (data_coding) {
    case kDataCodingDefault:
      return {Coding::kDefault};
    case kDataCodingIa5:
    case kDataCodingLatin1:
      return {Coding::kLatin1};
    case kDataCodingUcs2:
      return {Coding::kUcs2};
  }
  // SMPP's own codings end at 0F; the rest are read as GSM 03.38 schemes,
  // which SMPP takes over for C0-FF and providers also send for the general
  // groups 10-3F (a class, such as 10 for a flash message).
  if (data_coding < 0x10) return {Coding::kBinary};
  const DataCodingScheme dcs = ReadDataCodingScheme(data_coding);
  using Alphabet = DataCodingScheme::Alphabet;
  return {dcs.alphabet == Alphabet::kUcs2       ? Coding::kUcs2
          : dcs.alphabet == Alphabet::kEightBit ? Coding::kBinary
                                                : Coding::kDefault,
          dcs.flash};
}

// Octets in the provider's default alphabet.
std::u32string DefaultText(std::string_view octets, int default_alphabet) {
  if (default_alphabet == kDataCodingLatin1 || default_alphabet == kDataCodingIa5) {
    return DecodeLatin1(octets);
  }
  return FromGsmSeptets(octets);
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
    } else if (*tag == kTagMessagePayload) {
      deliver.message_payload = *value;
    } else if (*tag == kTagSarMsgRefNum && value->size() == 2) {
      deliver.sar_reference = static_cast<int>(*SmppBodyReader(*value).Integer(2));
    } else if (*tag == kTagSarTotalSegments && value->size() == 1) {
      deliver.sar_total = static_cast<unsigned char>((*value)[0]);
    } else if (*tag == kTagSarSegmentSeqnum && value->size() == 1) {
      deliver.sar_index = static_cast<unsigned char>((*value)[0]);
    }
  }
  return deliver;
}

std::string DeliverSmRespBody() { return std::string(1, '\0'); }

std::optional<ReceivedPart> ReceivedFromDeliverSm(const DeliverSm& deliver, int default_alphabet) {
  if (!deliver.IsMessage()) return std::nullopt;
  ReceivedPart part;
  // A number is digits; should it hold anything else, Latin-1 keeps it.
  const SmsAddress& from = deliver.source;
  if (from.ton == kTonAlphanumeric) {
    part.sender = EncodeUtf8(DefaultText(from.value, default_alphabet));
  } else {
    const bool plus = from.ton == kTonInternational && !from.value.starts_with('+');
    part.sender = (plus ? "+" : "") + EncodeUtf8(DecodeLatin1(from.value));
  }
  std::string_view data = deliver.short_message;
  if (data.empty() && deliver.message_payload) data = *deliver.message_payload;
  if (deliver.esm_class & kEsmClassUdh) {
    const size_t header = UserDataHeaderSize(data);
    part.link = ReadPartLink(data.substr(0, header));
    data.remove_prefix(header);
  }
  if (!part.link && deliver.sar_reference && deliver.sar_total && deliver.sar_index &&
      *deliver.sar_total > 1 && *deliver.sar_index >= 1 &&
      *deliver.sar_index <= *deliver.sar_total) {
    part.link = PartLink{*deliver.sar_reference, *deliver.sar_total, *deliver.sar_index, 16};
  }
  const Scheme scheme = SchemeOf(deliver.data_coding);
  part.flash = scheme.flash;
  switch (scheme.coding) {
    case Coding::kDefault:
      part.encoding = "GSM";
      part.text = EncodeUtf8(DefaultText(data, default_alphabet));
      break;
    case Coding::kLatin1:
      part.encoding = "GSM";
      part.text = EncodeUtf8(DecodeLatin1(data));
      break;
    case Coding::kUcs2:
      part.encoding = "UCS2";
      part.text = EncodeUtf8(DecodeUcs2(data));
      break;
    case Coding::kBinary:
      part.encoding = "8bit";
      part.text = "Binary message, " + std::to_string(data.size()) + " bytes";
      break;
  }
  return part;
}

}  // namespace tolvane
