#ifndef TOLVANE_GSM_AT_LINE_READER_H_
#define TOLVANE_GSM_AT_LINE_READER_H_

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// What the GSM modem said: a line of text, or the "> " prompt that asks for
// the PDU of an AT+CMGS.
struct AtAnswer {
  enum class Kind { kLine, kPrompt };
  Kind kind = Kind::kLine;
  std::string text;  // the line without CR and LF; empty for the prompt
};

// Cuts what the modem sends, in whatever pieces the port hands it over, into
// lines and prompts. Empty lines are dropped. A line that never ends is cut
// at kMaxLine, so noise cannot grow the buffer without bound.
class AtLineReader {
 public:
  static constexpr size_t kMaxLine = 1024;

  void Feed(std::string_view bytes);
  // The next answer, or nothing until more bytes come.
  std::optional<AtAnswer> Next();
  void Clear() { buffer_.clear(); }

 private:
  std::string buffer_;
};

// The kinds of line the transport tells apart.
bool IsFinalOk(std::string_view line);
// ERROR, +CME ERROR: <n> or +CMS ERROR: <n>.
bool IsFinalError(std::string_view line);
// The number of a "+CME ERROR: <n>" or "+CMS ERROR: <n>" line.
std::optional<int> ErrorCode(std::string_view line, std::string_view prefix);
// The text after "<prefix>: " when the line starts so ("+CSQ: 21,99" gives
// "21,99" for "+CSQ"); nothing otherwise.
std::optional<std::string> Field(std::string_view line, std::string_view prefix);

}  // namespace tolvane

#endif  // TOLVANE_GSM_AT_LINE_READER_H_
