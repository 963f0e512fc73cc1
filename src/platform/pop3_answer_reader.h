#ifndef TOLVANE_PLATFORM_POP3_ANSWER_READER_H_
#define TOLVANE_PLATFORM_POP3_ANSWER_READER_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// One answer of a POP3 server.
struct Pop3Answer {
  // The status line ("+OK ..." or "-ERR ..."), without its line end.
  std::string status;
  // Of a multi-line answer (TOP, RETR): the message's header lines, dot
  // stuffing undone, each ended by LF; at most kMaxHeaderBytes of them.
  std::string header;
};

// Cuts the bytes a POP3 server sends, in whatever pieces they arrive, into
// answers. A line longer than kMaxLineBytes, or a multi-line answer larger
// than kMaxAnswerBytes, is no answer a server gives.
class Pop3AnswerReader {
 public:
  static constexpr size_t kMaxLineBytes = 64 * 1024;
  static constexpr size_t kMaxAnswerBytes = 64 * 1024 * 1024;
  static constexpr size_t kMaxHeaderBytes = 256 * 1024;

  enum class Result { kNeedMore, kAnswer, kOversized };

  void Add(std::string_view bytes);
  // Forgets every byte that came and the answer under way.
  void Clear();
  // Takes the next whole answer. `multiline`: the command asked for lines
  // after a positive status, ended by a line holding only ".". After
  // kOversized the reader holds nothing.
  Result Take(bool multiline, Pop3Answer& answer);

 private:
  // The next line with its CR but not its LF, or nothing while it is
  // incomplete.
  std::optional<std::string_view> NextLine();

  std::string received_;
  // Bytes of received_ already taken.
  size_t taken_ = 0;
  // The multi-line answer under way.
  bool status_read_ = false;
  Pop3Answer answer_;
  bool header_done_ = false;
  size_t answer_bytes_ = 0;
};

bool IsPositive(std::string_view status);

// The message count of a positive answer to STAT ("+OK count size").
std::optional<int> StatCount(std::string_view status);

// The server's words after "+OK" or "-ERR", after a blank, for an error
// text; empty when there are none.
std::string ServerText(std::string_view status);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_POP3_ANSWER_READER_H_
