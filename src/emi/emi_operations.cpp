#include "emi/emi_operations.h"

#include <vector>

#include "emi/emi_errors.h"
#include "platform/text_codec.h"
#include "sms/gsm_alphabet.h"
#include "sms/hex_octets.h"
#include "sms/sms_address.h"
#include "sms/ucs2.h"
#include "text/utf8.h"

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
  kOTOA = 28,
  kXSer = 30,
  kFieldCount5x = 33,
};

// XSer types: the user-data header, and the data coding scheme.
constexpr char kXSerHeader[] = "01";
constexpr char kXSerUcs2[] = "020108";

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
    fields[kOTOA] = "5039";
  } else {
    fields[kOAdC] = submit.sender;
    fields[kOTOA] = "1139";
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

std::optional<EmiDelivered> ReadDelivered(const UcpFrame& frame, EmiAlphabet alphabet) {
  if (frame.result || frame.operation != kOperationDeliver || frame.fields.size() <= kMsg) {
    return std::nullopt;
  }
  const std::string octets = FromHex(frame.fields[kMsg]).value_or("");
  std::string text;
  if (frame.fields[kMT] == "4") {
    const bool ucs2 =
        frame.fields.size() > kXSer && frame.fields[kXSer].find(kXSerUcs2) != std::string::npos;
    text = ucs2 ? EncodeUtf8(DecodeUcs2(octets)) : Cp1252ToUtf8(octets);
  } else {
    text =
        alphabet == EmiAlphabet::kGsm ? EncodeUtf8(FromGsmSeptets(octets)) : Cp1252ToUtf8(octets);
  }
  return EmiDelivered{frame.fields[kOAdC], text};
}

std::string EmiTime(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[16];
  std::strftime(text, sizeof text, "%d%m%y%H%M", &local);
  return text;
}

}  // namespace tolvane
