#include "ucp/ucp_frame.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <utility>

namespace tolvane {
namespace {

// The national characters whose GSM positions differ from their ANSI codes.
constexpr std::array<std::pair<unsigned char, unsigned char>, 14> kNationalChars = {{
    {163, 0x01},  // £
    {196, 0x5B},  // Ä
    {197, 0x0E},  // Å
    {198, 0x1C},  // Æ
    {201, 0x1F},  // É
    {214, 0x5C},  // Ö
    {216, 0x0B},  // Ø
    {220, 0x5E},  // Ü
    {228, 0x7B},  // ä
    {229, 0x0F},  // å
    {230, 0x1D},  // æ
    {233, 0x05},  // é
    {246, 0x7C},  // ö
    {252, 0x7E},  // ü
}};

std::string Hex(std::uint32_t value) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value != 0);
  return text;
}

std::string PadLeft(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

// The text after the `n`th "/" up to the next "/" (or the end).
std::string_view FieldAfterSlash(std::string_view frame, int n) {
  std::size_t start = 0;
  for (int i = 0; i < n; ++i) {
    std::size_t slash = frame.find('/', start);
    if (slash == std::string_view::npos) return {};
    start = slash + 1;
  }
  std::size_t end = frame.find('/', start);
  return frame.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace

std::string EncodeIraChar(unsigned char c) {
  if (c >= 128) {
    for (const auto& [ansi, gsm] : kNationalChars) {
      if (ansi == c) return PadLeft(Hex(gsm), 2);
    }
    return "3F";
  }
  switch (c) {
    case '@':
      return "00";
    case '\\':
      return "2F";
    case '\r':
      return "20";
    case '$':
      return "02";
    default:
      return Hex(c);
  }
}

char DecodeIraPair(std::string_view pair) {
  unsigned int value = 0;
  auto [end, error] = std::from_chars(pair.data(), pair.data() + pair.size(), value, 16);
  if (pair.empty() || error != std::errc() || end != pair.data() + pair.size() || value > 255) {
    return '?';
  }
  for (const auto& [ansi, gsm] : kNationalChars) {
    if (gsm == value) return static_cast<char>(ansi);
  }
  return static_cast<char>(value);
}

std::string EncodeIraText(std::string_view text) {
  std::string hex;
  for (char c : text) hex += PadLeft(EncodeIraChar(static_cast<unsigned char>(c)), 2);
  return hex;
}

std::string DecodeIraText(std::string_view hex) {
  std::string text;
  for (std::size_t i = 0; i < hex.size(); i += 2) text += DecodeIraPair(hex.substr(i, 2));
  return text;
}

std::string UcpChecksum(std::string_view text) {
  std::uint32_t sum = 0;
  for (char c : text) sum += static_cast<unsigned char>(c);
  std::string hex = PadLeft(Hex(sum), 2);
  return hex.substr(hex.size() - 2);
}

std::string ReceiptFrame(int transaction_reference) {
  if (transaction_reference < 0 || transaction_reference > 40) transaction_reference = 0;
  std::string text = PadLeft(std::to_string(transaction_reference), 2) + "/00019/R/01/A//";
  return text + UcpChecksum(text);
}

std::string BuildSubmitFrame(const SubmitFrameInput& input) {
  const std::size_t fixed = input.deferred ? 38 : 27;
  const std::size_t length =
      2 * input.message.size() + fixed + input.recipient_number.size() + input.sender_number.size();

  const std::string amsg = EncodeIraText(input.message);

  // TRN has two digits on the wire; wrapping keeps LEN true past 99 frames.
  std::string trn =
      input.deferred ? "00"
                     : PadLeft(std::to_string((input.transaction_reference % 100 + 100) % 100), 2);

  // LEN is never below 27, so five digits with leading zeros is "000"/"00" + n.
  std::string text = trn + "/" + PadLeft(std::to_string(length), 5) + "/O/30/" +
                     input.recipient_number + "/" + input.sender_number;
  if (input.deferred) {
    text += "//1///1/" + input.delivery_time + "//";
  } else {
    text += input.ej_kvitto ? "//0//////" : "//1//////";
  }
  text += amsg + "/";
  return text + UcpChecksum(text);
}

std::string SealUcpFrame(int transaction_reference, char kind, std::string_view operation,
                         const std::vector<std::string>& fields) {
  std::string rest = std::string(1, kind) + "/" + std::string(operation) + "/";
  for (const std::string& field : fields) rest += field + "/";
  // TRN and LEN with their slashes, and the checksum.
  const std::size_t length = 3 + 6 + rest.size() + 2;
  std::string text = PadLeft(std::to_string((transaction_reference % 100 + 100) % 100), 2) + "/" +
                     PadLeft(std::to_string(length), 5) + "/" + rest;
  return text + UcpChecksum(text);
}

std::string RenumberUcpFrame(std::string_view frame, int transaction_reference) {
  std::string text = PadLeft(std::to_string((transaction_reference % 100 + 100) % 100), 2) +
                     std::string(frame.substr(2, frame.size() - 4));
  return text + UcpChecksum(text);
}

std::optional<UcpFrame> ReadUcpFrame(std::string_view frame) {
  auto digits = [](std::string_view field, std::size_t count) {
    return field.size() == count && field.find_first_not_of("0123456789") == std::string_view::npos;
  };
  // The shortest frame: "00/00016/R/30/" and the checksum.
  constexpr std::size_t kShortest = 16;
  if (frame.size() < kShortest || frame[frame.size() - 3] != '/') return std::nullopt;
  const std::string_view len = FieldAfterSlash(frame, 1);
  const std::string_view kind = FieldAfterSlash(frame, 2);
  const std::string_view operation = FieldAfterSlash(frame, 3);
  if (!digits(FieldAfterSlash(frame, 0), 2) || !digits(len, 5) ||
      std::stoul(std::string(len)) != frame.size() || (kind != "O" && kind != "R") ||
      !digits(operation, 2)) {
    return std::nullopt;
  }
  const std::string_view body = frame.substr(0, frame.size() - 2);
  if (UcpChecksum(body) != frame.substr(frame.size() - 2)) return std::nullopt;
  UcpFrame read;
  read.transaction_reference = std::stoi(std::string(frame.substr(0, 2)));
  read.result = kind == "R";
  read.operation = std::string(operation);
  // What follows "TRN/LEN/O/OT/", each field closed by its "/".
  std::string_view rest = body.substr(14);
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    read.fields.emplace_back(rest.substr(0, slash));
    rest.remove_prefix(slash + 1);
  }
  return read;
}

std::optional<SubmitAnswer> ReadSubmitAnswer(std::string_view frame) {
  const std::optional<UcpFrame> read = ReadUcpFrame(frame);
  if (!read || !read->result || read->operation != "30" || read->fields.empty()) {
    return std::nullopt;
  }
  const std::string& ack = read->fields[0];
  if (ack != "A" && ack != "N") return std::nullopt;
  SubmitAnswer answer;
  answer.positive = ack == "A";
  if (!answer.positive && read->fields.size() > 1) answer.error_code = read->fields[1];
  // A positive answer is A, MVP, SM.
  if (answer.positive && read->fields.size() > 2) answer.system_message = read->fields[2];
  return answer;
}

std::string NotificationText(std::string_view frame) {
  const int slashes = frame.find("/O/53/") != std::string_view::npos ? 24 : 8;
  return DecodeIraText(FieldAfterSlash(frame, slashes));
}

}  // namespace tolvane
