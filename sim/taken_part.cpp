#include "sim/taken_part.h"

#include <stdexcept>

#include "sms/gsm_alphabet.h"
#include "sms/ucs2.h"
#include "text/utf8.h"

namespace tolvane::sim {
namespace {

constexpr unsigned char kConcatenation8 = 0x00;
constexpr unsigned char kConcatenation16 = 0x08;

int Octet(std::string_view octets, size_t at) { return static_cast<unsigned char>(octets[at]); }

}  // namespace

// The general and automatic-deletion groups name the alphabet in bits 3-2,
// the message-waiting groups store GSM or UCS-2 text, the class group GSM or
// 8-bit data; the reserved codings count as the GSM default alphabet.
UserDataCoding CodingOfDcs(unsigned char dcs) {
  if (dcs < 0x80) {
    const int bits = (dcs >> 2) & 0x03;
    return bits == 1   ? UserDataCoding::kOctets
           : bits == 2 ? UserDataCoding::kUcs2
                       : UserDataCoding::kGsmSeptets;
  }
  if ((dcs & 0xF0) == 0xE0) return UserDataCoding::kUcs2;
  if ((dcs & 0xF0) == 0xF0 && (dcs & 0x04)) return UserDataCoding::kOctets;
  return UserDataCoding::kGsmSeptets;
}

bool ReadConcatenation(std::string_view header, TakenPart& part) {
  if (header.empty() || static_cast<size_t>(Octet(header, 0)) >= header.size()) return false;
  const size_t end = 1 + Octet(header, 0);
  for (size_t element = 1; element + 2 <= end;) {
    const int id = Octet(header, element);
    const size_t length = Octet(header, element + 1);
    const size_t value = element + 2;
    if (value + length > end) return false;
    if (id == kConcatenation8 && length == 3) {
      part.reference = Octet(header, value);
      part.parts = Octet(header, value + 1);
      part.part = Octet(header, value + 2);
    } else if (id == kConcatenation16 && length == 4) {
      part.reference = Octet(header, value) << 8 | Octet(header, value + 1);
      part.parts = Octet(header, value + 2);
      part.part = Octet(header, value + 3);
    }
    element = value + length;
  }
  return true;
}

std::string DecodeUserText(std::string_view data, UserDataCoding coding) {
  switch (coding) {
    case UserDataCoding::kGsmSeptets:
      return EncodeUtf8(FromGsmSeptets(data));
    case UserDataCoding::kUcs2:
      return EncodeUtf8(DecodeUcs2(data));
    case UserDataCoding::kOctets:
      break;
  }
  std::u32string text;
  for (unsigned char octet : data) text += static_cast<char32_t>(octet);
  return EncodeUtf8(text);
}

std::string TakenPartLine(int number, const TakenPart& part) {
  std::string line = std::to_string(number) + '\t' + part.destination + '\t' +
                     std::to_string(part.reference) + '\t' + std::to_string(part.part) + '\t' +
                     std::to_string(part.parts) + '\t';
  for (char c : part.text) {
    switch (c) {
      case '\t':
        line += "\\t";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      case '\\':
        line += "\\\\";
        break;
      default:
        line += c;
    }
  }
  return line;
}

TakenPartFile::TakenPartFile(const std::string& path) {
  if (std::FILE* earlier = std::fopen(path.c_str(), "r")) {
    for (int c = std::fgetc(earlier); c != EOF; c = std::fgetc(earlier)) lines_ += c == '\n';
    std::fclose(earlier);
  }
  file_ = std::fopen(path.c_str(), "a");
  if (file_ == nullptr) throw std::runtime_error("cannot write " + path);
}

TakenPartFile::~TakenPartFile() { std::fclose(file_); }

void TakenPartFile::Write(const TakenPart& part) { Append(TakenPartLine(++lines_, part)); }

void TakenPartFile::WriteEvent(std::string_view event, const TakenPart& part) {
  const std::string line = TakenPartLine(++lines_, part);
  const size_t tab = line.find('\t');
  Append(line.substr(0, tab + 1) + std::string(event) + line.substr(tab));
}

void TakenPartFile::Append(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

}  // namespace tolvane::sim
