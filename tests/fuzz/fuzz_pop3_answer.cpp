// Whatever a POP3 server sends, in whatever pieces: the same answers as when
// the bytes come at once, one-line statuses, headers with their lines apart,
// a printable summary line, and the STAT count the status line shows.
//
// Input: four bytes saying which answers are multi-line, the sizes of the
// pieces, then the bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/mail_header.h"
#include "platform/pop3_answer_reader.h"

namespace tolvane {
namespace {

struct Reading {
  std::vector<Pop3Answer> answers;
  bool oversized = false;
};

Reading Read(const std::string& bytes, const std::vector<size_t>& pieces, uint32_t multiline) {
  Pop3AnswerReader reader;
  Reading reading;
  size_t at = 0;
  for (size_t piece = 0; at < bytes.size() || piece == 0; ++piece) {
    const size_t take = piece < pieces.size() ? pieces[piece] : bytes.size();
    reader.Add(std::string_view(bytes).substr(at, take));
    at += std::min(take, bytes.size() - at);
    for (;;) {
      Pop3Answer answer;
      const bool expect_lines = (multiline >> (reading.answers.size() % 32)) & 1;
      const Pop3AnswerReader::Result result = reader.Take(expect_lines, answer);
      if (result == Pop3AnswerReader::Result::kNeedMore) break;
      if (result == Pop3AnswerReader::Result::kOversized) {
        reading.oversized = true;
        return reading;
      }
      reading.answers.push_back(std::move(answer));
    }
  }
  return reading;
}

bool Printable(const std::string& text) {
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
  }
  return true;
}

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const uint32_t multiline = input.ConsumeIntegral<uint32_t>();
  std::vector<size_t> pieces;
  for (int i = input.ConsumeIntegralInRange(0, 8); i > 0; --i) {
    pieces.push_back(input.ConsumeIntegralInRange<size_t>(0, 300));
  }
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  const Reading whole = Read(bytes, {}, multiline);
  const Reading pieced = Read(bytes, pieces, multiline);
  FUZZ_CHECK(whole.oversized == pieced.oversized);
  FUZZ_CHECK(whole.answers.size() == pieced.answers.size());
  for (size_t i = 0; i < whole.answers.size(); ++i) {
    const Pop3Answer& answer = whole.answers[i];
    FUZZ_CHECK(answer.status == pieced.answers[i].status);
    FUZZ_CHECK(answer.header == pieced.answers[i].header);

    FUZZ_CHECK(answer.status.find('\n') == std::string::npos);
    FUZZ_CHECK(answer.header.size() <= Pop3AnswerReader::kMaxHeaderBytes);
    FUZZ_CHECK(answer.header.empty() || answer.header.back() == '\n');
    FUZZ_CHECK(answer.header.find("\n\n") == std::string::npos && !answer.header.starts_with('\n'));
    FUZZ_CHECK(answer.header.empty() || IsPositive(answer.status));

    const std::string line = MessageLine(answer.header);
    FUZZ_CHECK(Printable(line) && line.find(": ") != std::string::npos);
    FUZZ_CHECK(Printable(DecodeHeaderText(answer.status)));
    if (const std::optional<int> count = StatCount(answer.status)) {
      FUZZ_CHECK(*count >= 0 && IsPositive(answer.status));
      FUZZ_CHECK(answer.status.find(std::to_string(*count)) != std::string::npos);
    }
  }
  return 0;
}

}  // namespace tolvane
