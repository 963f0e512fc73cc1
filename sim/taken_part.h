#ifndef TOLVANE_SIM_TAKEN_PART_H_
#define TOLVANE_SIM_TAKEN_PART_H_

#include <cstdio>
#include <string>
#include <string_view>

namespace tolvane::sim {

// A part a simulated centre took: answered positively (the SMPP and EMI
// centres) or passed to the network (the GSM modem).
struct TakenPart {
  std::string destination;  // the digits as they came
  // From the concatenation element (8- or 16-bit reference) or the SMPP sar
  // parameters; 0, 0, 1 for a message of one part.
  int reference = 0;
  int part = 0;
  int parts = 1;
  std::string text;  // UTF-8
};

// How the user data of a part is coded.
enum class UserDataCoding { kGsmSeptets, kUcs2, kOctets };

// The alphabet a data coding scheme of 3GPP TS 23.038 names.
UserDataCoding CodingOfDcs(unsigned char dcs);

// Reads the concatenation element of the user-data header `header` (its
// length octet first) into `part`; false when the header runs past its end.
bool ReadConcatenation(std::string_view header, TakenPart& part);

// Unpacked GSM septets (one a byte), big-endian UCS-2, or each octet as the
// Latin-1 character of its value, as UTF-8.
std::string DecodeUserText(std::string_view data, UserDataCoding coding);

// The record line of a taken part, without its newline: the running number,
// destination, reference, part, parts and text, tab-separated; a tab,
// newline, carriage return or backslash in the text as \t, \n, \r, \\.
std::string TakenPartLine(int number, const TakenPart& part);

// The --record line as the tools' usage texts describe it.
inline constexpr char kTakenPartUsage[] =
    "A --record line holds, tab-separated: a running number, the destination's digits,\n"
    "the concatenation reference, the part and the number of parts (0 0 1 for a single\n"
    "part), and the text as UTF-8 with tab, newline, return and backslash as \\t \\n \\r \\\\.\n";

// The lines of the parts of messages sent to the client.
inline constexpr char kDeliveredPartUsage[] =
    "A part sent to the client is recorded as a running number, \"delivered\", the\n"
    "sender, reference, part, parts and text; the client's answer to it as the same with\n"
    "\"acknowledged\" or \"refused\" (a refused part goes again after the next login).\n";

// The --record file of a simulator tool: one line per taken part, appended
// and flushed before the centre's answer leaves, so the file holds every
// part the centre took whatever happens to the client.
class TakenPartFile {
 public:
  // Numbers on from the lines the file already has; throws
  // std::runtime_error when it cannot be opened.
  explicit TakenPartFile(const std::string& path);
  ~TakenPartFile();
  TakenPartFile(const TakenPartFile&) = delete;
  TakenPartFile& operator=(const TakenPartFile&) = delete;

  void Write(const TakenPart& part);
  // A part of a message sent to the client: `event` ("delivered",
  // "acknowledged", "refused") behind the number, `part.destination` its
  // sender.
  void WriteEvent(std::string_view event, const TakenPart& part);

 private:
  void Append(const std::string& line);

  std::FILE* file_ = nullptr;
  int lines_ = 0;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_TAKEN_PART_H_
