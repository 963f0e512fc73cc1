#ifndef TOLVANE_EMI_EMI_OPERATIONS_H_
#define TOLVANE_EMI_EMI_OPERATIONS_H_

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "sms/message_splitter.h"
#include "sms/received_part.h"
#include "sms/sms_message.h"
#include "sms/status_report.h"
#include "ucp/ucp_frame.h"

namespace tolvane {

// The operations of a UCP session over TCP, as frame texts without STX and
// ETX (the modem's frame code seals them).
inline constexpr char kOperationSubmit[] = "51";
inline constexpr char kOperationDialUpSubmit[] = "30";
inline constexpr char kOperationAlert[] = "31";
inline constexpr char kOperationDeliver[] = "52";
inline constexpr char kOperationNotification[] = "53";
inline constexpr char kOperationLogin[] = "60";

// How AMsg writes a text: GSM 03.38 septets as hexadecimal pairs (the
// extension table behind the escape 1B), or IRA, the ASCII codes, for a
// centre that converts them itself.
enum class EmiAlphabet { kGsm, kIra };

// `[EMI] Alphabet`: "IRA", or GSM for anything else.
EmiAlphabet EmiAlphabetOf(std::string_view setting);

// The first character of the UTF-8 text IRA cannot carry; nothing when it
// carries them all.
std::optional<char32_t> FirstNonIra(std::string_view utf8);

// What every part of a message is submitted with.
struct EmiSubmit {
  // 51, or 30 for a centre that knows only the dial-up form.
  std::string operation = kOperationSubmit;
  // AdC: the number's digits, an international one behind "00".
  std::string recipient;
  // The sender: digits, or a name of at most 11 GSM characters.
  std::string sender;
  bool alphanumeric_sender = false;
  // NRq 1 with NT 3: a notification of delivery or failure.
  bool notification = false;
  // DDT and VP, "ddmmyyhhmm" in local time; empty for at once and for the
  // centre's own validity.
  std::string delivery_time;
  std::string validity;
  EmiAlphabet alphabet = EmiAlphabet::kGsm;
};

// Op 60 opening a session: OAdC the user, OTON 6, ONPI 5, STYP 1, the
// password in hexadecimal, VERS 0100.
std::string LoginFrame(int transaction_reference, std::string_view user, std::string_view password);

// Op 31, the keep-alive: AdC the user, PID 0539.
std::string AlertFrame(int transaction_reference, std::string_view user);

// The part's submit. GSM text goes as MT 3, AMsg in the submit's alphabet;
// UCS-2 as MT 4 with the bits in NB and DCS 08 in XSer; a linked part's
// header in XSer type 01. Nothing when operation 30, which has neither MT nor
// XSer, cannot carry the part, or IRA a character of it.
std::optional<std::string> SubmitFrame(int transaction_reference, const EmiSubmit& submit,
                                       const SmsPart& part, SmsEncoding encoding);

// The positive answer to an operation of the centre (31, 52, 53), or with
// `error_code` the negative one.
std::string ResultFrame(const UcpFrame& operation, std::string_view error_code = "");

// The frame of a text between STX and ETX, as ReadUcpFrame reads it but with
// checksum digits in either case, as some centres write them.
std::optional<UcpFrame> ReadEmiFrame(std::string_view text);

// An answer of the centre to one of the program's operations.
struct EmiResult {
  bool positive = false;
  std::string error_code;
  // The system message: of a positive op 51 (or 30) answer "AdC:SCTS", which
  // names the message in its notification.
  std::string system_message;
};

// Nothing for an operation, or an answer with neither "A" nor "N".
std::optional<EmiResult> ReadResult(const UcpFrame& frame);

// An op 53 notification. Its AdC is the notification's addressee (the
// account's own number), its OAdC the recipient of the message it reports.
struct EmiNotification {
  // "OAdC:SCTS": the "AdC:SCTS" of the submit's answer.
  std::string message_key;
  DeliveryOutcome outcome = DeliveryOutcome::kDelivered;
  // Why it is buffered or not delivered.
  std::string reason;
};

// Nothing for a frame that is no op 53 or has no Dst of 0, 1 or 2.
std::optional<EmiNotification> ReadNotification(const UcpFrame& frame);

// An op 52, a message to the account, decoded:
// - The sender: OAdC, behind "+" for OTOA 1139 (international), a name
//   packed as GSM septets for OTOA 5039 (as it came when it is no such name).
// - The centre's time stamp: SCTS (DDMMYYhhmmss) as "2026-12-08 15:10:12",
//   as it came when it is no such time.
// - The text: MT 2 the digits of NMsg; MT 3 AMsg in `alphabet` (GSM 03.38
//   code points, or IRA with the octets above 7F read as Windows-1252);
//   MT 4 the first NB bits of TMsg as the data coding scheme of XSer type 02
//   says: GSM septets packed, UCS-2 with surrogate pairs, 8-bit data (also
//   without a scheme) as "Binary message, n bytes".
// - A linked part's place from the user-data header of XSer type 01; a flash
//   message from MCLs 0 or the scheme's class 0.
// Nothing for another frame, another MT, or hexadecimal that is not sound.
std::optional<ReceivedPart> ReadDeliveredPart(const UcpFrame& frame, EmiAlphabet alphabet);

// A local time as the DDT and VP fields write it: "ddmmyyhhmm".
std::string EmiTime(std::time_t time);

}  // namespace tolvane

#endif  // TOLVANE_EMI_EMI_OPERATIONS_H_
