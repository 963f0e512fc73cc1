#ifndef TOLVANE_UCP_UCP_FRAME_H_
#define TOLVANE_UCP_UCP_FRAME_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// What a submit frame (operation 30) is made of. Text is Windows-1252 bytes.
struct SubmitFrameInput {
  std::string message;           // at most 160 characters
  std::string recipient_number;  // digits only
  std::string sender_number;     // digits only
  int transaction_reference = 0;
  bool ej_kvitto = false;  // no delivery notification wanted
  bool deferred = false;
  std::string delivery_time;  // ddmmyyhhmm, used by the deferred form
};

// One or two uppercase hexadecimal digits: the character's position in the
// GSM default alphabet. The caller adds a leading "0" to a single digit.
std::string EncodeIraChar(unsigned char c);

// The whole Windows-1252 text as EncodeIraChar writes it, two digits a
// character: the AMsg of a frame.
std::string EncodeIraText(std::string_view text);

// Decodes one pair of hexadecimal digits from the SMSC. Pairs naming one of
// the specially mapped national characters give that character; any other pair
// gives the character of its value. A pair that is not hexadecimal gives "?".
char DecodeIraPair(std::string_view pair);

// Decodes a whole hexadecimal text pair by pair (a lone last digit counts as a
// pair of its own).
std::string DecodeIraText(std::string_view hex);

// Sum of the 8-bit codes, as uppercase hexadecimal, last two digits. A sum
// below 16 has only one hexadecimal digit; it is given a leading "0" so the
// checksum always has two digits.
std::string UcpChecksum(std::string_view text);

// A frame of any operation, without STX/ETX: TRN (taken modulo 100), LEN,
// "O" or "R", the operation, each field followed by "/", and the checksum.
std::string SealUcpFrame(int transaction_reference, char kind, std::string_view operation,
                         const std::vector<std::string>& fields);

// The sealed frame with another TRN, its checksum made anew.
std::string RenumberUcpFrame(std::string_view frame, int transaction_reference);

// A frame as read, its fields after the operation in order.
struct UcpFrame {
  int transaction_reference = 0;
  bool result = false;  // "R"; an operation otherwise
  std::string operation;
  std::vector<std::string> fields;
};

// Reads a frame text (between STX and ETX). Only a well-formed frame counts:
// TRN of two digits, LEN of five digits that equals the text's length, "O" or
// "R", an operation of two digits, the last field closed by "/", and two
// uppercase checksum digits that match the text before them.
std::optional<UcpFrame> ReadUcpFrame(std::string_view frame);

// The acknowledgement frame for a delivery notification, with checksum and
// without STX/ETX. References outside 0 to 40 get the frame for 00.
std::string ReceiptFrame(int transaction_reference);

// The submit frame text with its checksum, without STX/ETX.
std::string BuildSubmitFrame(const SubmitFrameInput& input);

// The SMS centre's answer to a submit frame.
struct SubmitAnswer {
  bool positive = false;
  // Of a negative answer: the field after the fifth "/", empty when missing.
  std::string error_code;
  // Of a positive answer: its SM field, "AdC:SCTS", which names the message
  // at the centre; empty when missing.
  std::string system_message;
};

// Reads a frame text (between STX and ETX) as the answer to a submit. Only a
// well-formed result of operation 30 counts: TRN of two digits, LEN of five
// digits that equals the text's length, "R", "30", "A" or "N", and two
// uppercase checksum digits that match the text before them. Anything else
// (line noise, a frame garbled or cut short) is nullopt, so it can never pass
// for an acceptance.
std::optional<SubmitAnswer> ReadSubmitAnswer(std::string_view frame);

// The decoded text of a delivery notification: in an operation-53 frame the
// 25th field, in any other the 9th. Empty when the frame has no such field.
std::string NotificationText(std::string_view frame);

}  // namespace tolvane

#endif  // TOLVANE_UCP_UCP_FRAME_H_
