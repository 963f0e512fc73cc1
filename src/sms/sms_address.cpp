#include "sms/sms_address.h"

#include <algorithm>

#include "sms/gsm7_packing.h"
#include "sms/gsm_alphabet.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr size_t kMaxSemiOctets = 20;
constexpr size_t kMaxNameSeptets = 11;
constexpr size_t kMaxSenderName = 11;  // characters

size_t SemiOctetsOfSeptets(size_t septets) { return (septets * 7 + 3) / 4; }

}  // namespace

std::optional<SmsAddress> RecipientAddress(std::string_view number,
                                           std::string_view international_prefix) {
  std::string digits;
  for (char c : number) {
    if (c != ' ' && c != '-') digits += c;
  }
  SmsAddress address{0, 1, ""};
  if (digits.starts_with('+')) {
    digits.erase(0, 1);
    address.ton = 1;
  } else if (!international_prefix.empty() && digits.starts_with(international_prefix)) {
    digits.erase(0, international_prefix.size());
    address.ton = 1;
  }
  if (digits.empty() || digits.size() > kMaxSemiOctets ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  address.value = digits;
  return address;
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
  std::string digits;
  for (char c : number) {
    if (c != ' ') digits += c;
  }
  bool international = false;
  if (!digits.empty() && digits.front() == '+') {
    digits.erase(0, 1);
    international = true;
  } else if (!international_prefix.empty() && digits.starts_with(international_prefix)) {
    digits.erase(0, international_prefix.size());
    international = true;
  }
  if (digits.empty() || digits.size() > kMaxSemiOctets ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  std::string field;
  field += static_cast<char>(digits.size());
  field += static_cast<char>(international ? kInternationalNumber : kUnknownNumber);
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
    return EncodeUtf8(FromGsmSeptets(UnpackSeptets(value, semi_octets * 4 / 7)));
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

}  // namespace tolvane
