#include "sms/sms_address.h"

#include <algorithm>
#include <cctype>

#include "sms/gsm7_packing.h"
#include "sms/gsm_alphabet.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr size_t kMaxSemiOctets = 20;
constexpr size_t kMaxNameSeptets = 11;
constexpr size_t kMaxSenderName = 11;  // characters

size_t SemiOctetsOfSeptets(size_t septets) { return (septets * 7 + 3) / 4; }

// A number's digits without the characters `ignored`, and whether it was
// international ("+" or the international prefix, both taken off); nullopt
// when what is left is not 1 to 20 digits.
struct NumberDigits {
  bool international = false;
  std::string digits;
};
std::optional<NumberDigits> ReadNumber(std::string_view number,
                                       std::string_view international_prefix,
                                       std::string_view ignored) {
  NumberDigits read;
  for (char c : number) {
    if (ignored.find(c) == std::string_view::npos) read.digits += c;
  }
  if (read.digits.starts_with('+')) {
    read.digits.erase(0, 1);
    read.international = true;
  } else if (!international_prefix.empty() && read.digits.starts_with(international_prefix)) {
    read.digits.erase(0, international_prefix.size());
    read.international = true;
  }
  if (read.digits.empty() || read.digits.size() > kMaxSemiOctets ||
      read.digits.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return read;
}

}  // namespace

std::optional<SmsAddress> RecipientAddress(std::string_view number,
                                           std::string_view international_prefix) {
  const std::optional<NumberDigits> read = ReadNumber(number, international_prefix, " -");
  if (!read) return std::nullopt;
  return SmsAddress{static_cast<uint8_t>(read->international ? 1 : 0), 1, read->digits};
}

std::optional<SmsAddress> SenderAddress(std::string_view avs, std::string_view international_prefix,
                                        std::string& refusal) {
  const bool has_letter = std::any_of(avs.begin(), avs.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           static_cast<unsigned char>(c) >= 0x80;
  });
  if (!has_letter) {
    if (auto number = RecipientAddress(avs, international_prefix)) return number;
    refusal = "The sender \"" + std::string(avs) + "\" is neither a number nor a name";
    return std::nullopt;
  }
  if (Utf8Length(avs) > kMaxSenderName || !ToGsmSeptets(DecodeUtf8(avs))) {
    refusal = "The sender name \"" + std::string(avs) +
              "\" must be at most 11 characters of the GSM alphabet";
    return std::nullopt;
  }
  return SmsAddress{5, 0, std::string(avs)};
}

std::optional<std::string> EncodeNumberAddress(std::string_view number,
                                               std::string_view international_prefix) {
  const std::optional<NumberDigits> read = ReadNumber(number, international_prefix, " ");
  if (!read) return std::nullopt;
  const std::string& digits = read->digits;
  std::string field;
  field += static_cast<char>(digits.size());
  field += static_cast<char>(read->international ? kInternationalNumber : kUnknownNumber);
  for (size_t at = 0; at < digits.size(); at += 2) {
    const int low = digits[at] - '0';
    const int high = at + 1 < digits.size() ? digits[at + 1] - '0' : 0x0F;
    field += static_cast<char>((high << 4) | low);
  }
  return field;
}

std::optional<std::string> EncodeAlphanumericAddress(std::string_view utf8_name) {
  const std::optional<std::string> septets = ToGsmSeptets(DecodeUtf8(utf8_name));
  if (!septets || septets->empty() || septets->size() > kMaxNameSeptets) return std::nullopt;
  return static_cast<char>(SemiOctetsOfSeptets(septets->size())) + PackSeptets(*septets);
}

std::optional<std::string> ReadAddress(std::string_view octets, size_t& at) {
  if (at + 2 > octets.size()) return std::nullopt;
  const auto semi_octets = static_cast<unsigned char>(octets[at]);
  const auto type = static_cast<unsigned char>(octets[at + 1]);
  const size_t value_octets = (semi_octets + 1) / 2;
  if (semi_octets > kMaxSemiOctets || at + 2 + value_octets > octets.size()) return std::nullopt;
  const std::string_view value = octets.substr(at + 2, value_octets);
  at += 2 + value_octets;

  if ((type & 0x70) == (kAlphanumericName & 0x70)) {
    std::string septets = UnpackSeptets(value, semi_octets * 4 / 7);
    // Some centres count every semi-octet of the value: the zero bits after
    // the name's last septet then read as one more, "@".
    if (semi_octets % 7 == 0 && !septets.empty() && septets.back() == '\0') septets.pop_back();
    return EncodeUtf8(FromGsmSeptets(septets));
  }
  static constexpr char kSemiOctetDigits[] = "0123456789*#abc";
  std::string address = (type & 0x70) == (kInternationalNumber & 0x70) ? "+" : "";
  for (size_t i = 0; i < semi_octets; ++i) {
    const unsigned digit = (static_cast<unsigned char>(value[i / 2]) >> (i % 2 * 4)) & 0x0F;
    if (digit == 0x0F) break;
    address += kSemiOctetDigits[digit];
  }
  return address;
}

std::string NormalisedNumber(const std::string& typed) {
  const std::string trimmed = TrimBlanks(typed);
  if (std::any_of(trimmed.begin(), trimmed.end(),
                  [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c < 0; })) {
    return trimmed;
  }
  const std::string digits = DigitsOf(trimmed);
  // Read as a recipient's address is: "+" or the international prefix.
  const std::optional<SmsAddress> address =
      RecipientAddress((trimmed.starts_with('+') ? "+" : "") + digits, kInternationalPrefix);
  if (!address) return digits;
  return (address->ton == 1 ? "+" : "") + address->value;
}

}  // namespace tolvane
