#include "emi/emi_operations.h"

#include <vector>

#include "emi/emi_errors.h"
#include "platform/text_codec.h"
#include "sms/data_coding_scheme.h"
#include "sms/gsm7_packing.h"
#include "sms/gsm_alphabet.h"
#include "sms/hex_octets.h"
#include "sms/sms_address.h"
#include "sms/ucs2.h"
#include "sms/user_data_header.h"
#include "text/utf8.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

// The fields of the 50 series (51, 52, 53), counted from 0 after OT.
enum Field5x {
  kAdC = 0,
  kOAdC = 1,
  kNRq = 3,
  kNT = 5,
  kDD = 10,
  kDDT = 11,
  kVP = 12,
  kSCTS = 14,
  kDst = 15,
  kRsn = 16,
  kMT = 18,
  kNB = 19,
  kMsg = 20,
  kMCLs = 24,
  kOTOA = 28,
  kXSer = 30,
  kFieldCount5x = 33,
};

// XSer types: the user-data header, and the data coding scheme.
constexpr char kXSerTypeHeader = 0x01;
constexpr char kXSerTypeDcs = 0x02;
constexpr char kXSerHeader[] = "01";
constexpr char kXSerUcs2[] = "020108";
// OTOA: an international number (TON 1, NPI 1), or an alphanumeric name.
constexpr char kOtoaInternational[] = "1139";
constexpr char kOtoaAlphanumeric[] = "5039";

// What XSer holds for a received message: the user-data header (type 01,
// its length octet first) and the data coding scheme (type 02).
struct ExtraServices {
  std::string header;
  std::optional<uint8_t> dcs;
};

// Nothing when XSer is no hexadecimal or an element runs past its end.
std::optional<ExtraServices> ReadExtraServices(std::string_view xser) {
  const std::optional<std::string> octets = FromHex(xser);
  if (!octets) return std::nullopt;
  ExtraServices extra;
  for (size_t at = 0; at < octets->size();) {
    if (at + 2 > octets->size()) return std::nullopt;
    const size_t length = static_cast<unsigned char>((*octets)[at + 1]);
    if (at + 2 + length > octets->size()) return std::nullopt;
    const std::string data = octets->substr(at + 2, length);
    if ((*octets)[at] == kXSerTypeHeader) extra.header = data;
    if ((*octets)[at] == kXSerTypeDcs && length == 1) extra.dcs = static_cast<uint8_t>(data[0]);
    at += 2 + length;
  }
  return extra;
}

// Fields that are text as they came are Windows-1252, as the frames are.
std::string SenderOf(const std::string& oadc, std::string_view otoa) {
  if (otoa == kOtoaInternational && !oadc.starts_with('+')) return "+" + Cp1252ToUtf8(oadc);
  if (otoa != kOtoaAlphanumeric) return Cp1252ToUtf8(oadc);
  // The semi-octet count, then the packed septets: a TPDU's alphanumeric
  // address value, whose type octet it leaves out.
  const std::optional<std::string> octets = FromHex(oadc);
  if (!octets || octets->empty()) return Cp1252ToUtf8(oadc);
  const std::string address =
      octets->substr(0, 1) + static_cast<char>(kAlphanumericName) + octets->substr(1);
  size_t at = 0;
  return ReadAddress(address, at).value_or(Cp1252ToUtf8(oadc));
}

// DDMMYYhhmmss as "20YY-MM-DD hh:mm:ss".
std::string CentreTime(const std::string& scts) {
  if (scts.size() != 12 || scts.find_first_not_of("0123456789") != std::string::npos) {
    return Cp1252ToUtf8(scts);
  }
  auto number = [&scts](size_t at) { return (scts[at] - '0') * 10 + scts[at + 1] - '0'; };
  if (number(0) < 1 || number(0) > 31 || number(2) < 1 || number(2) > 12 || number(6) > 23 ||
      number(8) > 59 || number(10) > 59) {
    return Cp1252ToUtf8(scts);
  }
  return "20" + scts.substr(4, 2) + "-" + scts.substr(2, 2) + "-" + scts.substr(0, 2) + " " +
         scts.substr(6, 2) + ":" + scts.substr(8, 2) + ":" + scts.substr(10, 2);
}

bool FiftySeries(std::string_view operation) {
  return operation.size() == 2 && operation[0] == '5';
}

// Whose positive answer is A/MVP/SM rather than A/SM.
bool AnswersWithValidity(std::string_view operation) {
  return FiftySeries(operation) || operation == kOperationDialUpSubmit;
}

std::string Hex2(size_t value) { return ToHex(std::string(1, static_cast<char>(value & 0xFF))); }

// A GSM text part's AMsg; nothing when IRA cannot carry a character.
std::optional<std::string> TextHex(std::string_view septets, EmiAlphabet alphabet) {
  if (alphabet == EmiAlphabet::kGsm) return ToHex(septets);
  std::string ascii;
  for (char32_t c : FromGsmSeptets(septets)) {
    if (c >= 0x80) return std::nullopt;
    ascii += static_cast<char>(c);
  }
  return ToHex(ascii);
}

}  // namespace

std::string LoginFrame(int transaction_reference, std::string_view user,
                       std::string_view password) {
  return SealUcpFrame(
      transaction_reference, 'O', kOperationLogin,
      {std::string(user), "6", "5", "1", ToHex(password), "", "0100", "", "", "", "", ""});
}

std::string AlertFrame(int transaction_reference, std::string_view user) {
  return SealUcpFrame(transaction_reference, 'O', kOperationAlert, {std::string(user), "0539"});
}

EmiAlphabet EmiAlphabetOf(std::string_view setting) {
  return setting == "IRA" ? EmiAlphabet::kIra : EmiAlphabet::kGsm;
}

std::optional<char32_t> FirstNonIra(std::string_view utf8) {
  for (char32_t c : DecodeUtf8(utf8)) {
    if (c >= 0x80) return c;
  }
  return std::nullopt;
}

std::optional<std::string> SubmitFrame(int transaction_reference, const EmiSubmit& submit,
                                       const SmsPart& part, SmsEncoding encoding) {
  const bool dial_up = submit.operation == kOperationDialUpSubmit;
  if (dial_up && (encoding != SmsEncoding::kGsm7 || !part.header.empty())) return std::nullopt;
  std::optional<std::string> text;
  if (encoding == SmsEncoding::kGsm7) {
    text = TextHex(part.payload, submit.alphabet);
    if (!text) return std::nullopt;
  }
  const std::string deferred = submit.delivery_time.empty() ? "" : "1";
  const std::string wanted = submit.notification ? "1" : "";
  if (dial_up) {
    // AdC, OAdC, AC, NRq, NAdC, NPID, DD, DDT, VP, AMsg.
    return SealUcpFrame(transaction_reference, 'O', kOperationDialUpSubmit,
                        {submit.recipient, submit.sender, "", wanted, "", "", deferred,
                         submit.delivery_time, submit.validity, *text});
  }
  std::vector<std::string> fields(kFieldCount5x);
  fields[kAdC] = submit.recipient;
  if (submit.alphanumeric_sender) {
    fields[kOAdC] = ToHex(EncodeAlphanumericAddress(submit.sender).value_or(""));
    fields[kOTOA] = kOtoaAlphanumeric;
  } else {
    fields[kOAdC] = submit.sender;
    fields[kOTOA] = kOtoaInternational;
  }
  if (submit.notification) {
    fields[kNRq] = "1";
    fields[kNT] = "3";
  }
  fields[kDD] = deferred;
  fields[kDDT] = submit.delivery_time;
  fields[kVP] = submit.validity;
  std::string xser;
  if (!part.header.empty()) xser = kXSerHeader + Hex2(part.header.size()) + ToHex(part.header);
  if (encoding == SmsEncoding::kUcs2) {
    fields[kMT] = "4";
    fields[kNB] = std::to_string(8 * part.payload.size());
    fields[kMsg] = ToHex(part.payload);
    xser += kXSerUcs2;
  } else {
    fields[kMT] = "3";
    fields[kMsg] = *text;
  }
  fields[kXSer] = xser;
  return SealUcpFrame(transaction_reference, 'O', kOperationSubmit, fields);
}

std::string ResultFrame(const UcpFrame& operation, std::string_view error_code) {
  std::vector<std::string> fields;
  if (error_code.empty()) {
    // A/SM, or A/MVP/SM in the 50 series.
    fields = {"A", ""};
    if (FiftySeries(operation.operation)) fields.emplace_back();
  } else {
    fields = {"N", std::string(error_code), ""};
  }
  return SealUcpFrame(operation.transaction_reference, 'R', operation.operation, fields);
}

std::optional<UcpFrame> ReadEmiFrame(std::string_view text) {
  std::string upper(text);
  for (size_t at = upper.size() >= 2 ? upper.size() - 2 : 0; at < upper.size(); ++at) {
    if (upper[at] >= 'a' && upper[at] <= 'f') upper[at] = static_cast<char>(upper[at] - 'a' + 'A');
  }
  return ReadUcpFrame(upper);
}

std::optional<EmiResult> ReadResult(const UcpFrame& frame) {
  if (!frame.result || frame.fields.empty()) return std::nullopt;
  const std::vector<std::string>& fields = frame.fields;
  auto field = [&fields](size_t at) { return at < fields.size() ? fields[at] : std::string(); };
  EmiResult result;
  if (fields[0] == "A") {
    result.positive = true;
    result.system_message = field(AnswersWithValidity(frame.operation) ? 2 : 1);
  } else if (fields[0] == "N") {
    result.error_code = field(1);
    result.system_message = field(2);
  } else {
    return std::nullopt;
  }
  return result;
}

std::optional<EmiNotification> ReadNotification(const UcpFrame& frame) {
  if (frame.result || frame.operation != kOperationNotification || frame.fields.size() <= kRsn) {
    return std::nullopt;
  }
  const std::string& dst = frame.fields[kDst];
  EmiNotification notification;
  notification.message_key = frame.fields[kOAdC] + ":" + frame.fields[kSCTS];
  if (dst == "0") {
    notification.outcome = DeliveryOutcome::kDelivered;
    notification.reason = "delivered";
  } else if (dst == "1") {
    notification.outcome = DeliveryOutcome::kStillTrying;
    notification.reason = "buffered: " + EmiReasonText(frame.fields[kRsn]);
  } else if (dst == "2") {
    notification.outcome = DeliveryOutcome::kFailed;
    notification.reason = EmiReasonText(frame.fields[kRsn]);
  } else {
    return std::nullopt;
  }
  return notification;
}

std::optional<ReceivedPart> ReadDeliveredPart(const UcpFrame& frame, EmiAlphabet alphabet) {
  if (frame.result || frame.operation != kOperationDeliver || frame.fields.size() <= kMsg) {
    return std::nullopt;
  }
  const std::vector<std::string>& fields = frame.fields;
  auto field = [&fields](size_t at) { return at < fields.size() ? fields[at] : std::string(); };
  const std::optional<ExtraServices> extra = ReadExtraServices(field(kXSer));
  if (!extra) return std::nullopt;
  ReceivedPart part;
  part.sender = SenderOf(fields[kOAdC], field(kOTOA));
  part.centre_time = CentreTime(fields[kSCTS]);
  part.link = ReadPartLink(extra->header);
  const std::optional<DataCodingScheme> dcs =
      extra->dcs ? std::optional(ReadDataCodingScheme(*extra->dcs)) : std::nullopt;
  part.flash = field(kMCLs) == "0" || (dcs && dcs->flash);
  part.encoding = "GSM";
  const std::string& mt = fields[kMT];
  if (mt == "2") {
    part.text = Cp1252ToUtf8(fields[kMsg]);
    return part;
  }
  std::optional<std::string> octets = FromHex(fields[kMsg]);
  if (!octets || (mt != "3" && mt != "4")) return std::nullopt;
  if (mt == "3") {
    part.text =
        alphabet == EmiAlphabet::kGsm ? EncodeUtf8(FromGsmSeptets(*octets)) : Cp1252ToUtf8(*octets);
    return part;
  }
  const size_t bits = ParseNumberIn(fields[kNB], 0, 8 * static_cast<int>(octets->size()))
                          .value_or(8 * static_cast<int>(octets->size()));
  using Alphabet = DataCodingScheme::Alphabet;
  if (dcs && dcs->alphabet == Alphabet::kGsm) {
    part.text = EncodeUtf8(FromGsmSeptets(UnpackSeptets(*octets, bits / 7)));
  } else if (dcs && dcs->alphabet == Alphabet::kUcs2) {
    part.encoding = "UCS2";
    part.text = EncodeUtf8(DecodeUcs2(octets->substr(0, bits / 8)));
  } else {
    part.encoding = "8bit";
    part.text = "Binary message, " + std::to_string((bits + 7) / 8) + " bytes";
  }
  return part;
}

std::string EmiTime(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[16];
  std::strftime(text, sizeof text, "%d%m%y%H%M", &local);
  return text;
}

}  // namespace tolvane
