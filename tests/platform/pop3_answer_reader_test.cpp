#include "platform/pop3_answer_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

using Result = Pop3AnswerReader::Result;

// The answers in `bytes`, handed over `piece` bytes at a time; `multiline`
// says of each answer in turn whether lines follow a positive status.
std::vector<Pop3Answer> Answers(const std::string& bytes, size_t piece,
                                const std::vector<bool>& multiline, bool* oversized = nullptr) {
  Pop3AnswerReader reader;
  std::vector<Pop3Answer> answers;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    reader.Add(bytes.substr(at, piece));
    for (;;) {
      Pop3Answer answer;
      const bool lines = answers.size() < multiline.size() && multiline[answers.size()];
      const Result result = reader.Take(lines, answer);
      if (result == Result::kNeedMore) break;
      if (result == Result::kOversized) {
        if (oversized != nullptr) *oversized = true;
        return answers;
      }
      answers.push_back(answer);
    }
  }
  return answers;
}

TEST(Pop3AnswerReaderTest, StatusLinesAndTheHeaderOfAMessageInAnyPieces) {
  const std::string bytes =
      "+OK ready\r\n"
      "+OK 2 320\r\n"
      "+OK\r\nFrom: a@x.se\r\n..Subject: dots\r\n\r\n..\r\n..body\r\n.\r\n"
      "-ERR no such message\n"
      "+OK bye\r\n";
  // (The fuzz target shows any pieces read as the bytes at once.)
  for (size_t piece : {1u, 1000u}) {
    std::vector<Pop3Answer> answers = Answers(bytes, piece, {false, false, true, true, false});
    ASSERT_EQ(answers.size(), 5u) << piece;
    EXPECT_EQ(answers[1].status, "+OK 2 320");
    EXPECT_EQ(answers[2].status, "+OK");
    // Dot stuffing undone; the body is read past, not kept.
    EXPECT_EQ(answers[2].header, "From: a@x.se\n.Subject: dots\n");
    // A refusal has no lines after it, even where lines were asked for.
    EXPECT_EQ(answers[3].status, "-ERR no such message");
    EXPECT_EQ(answers[3].header, "");
    EXPECT_EQ(answers[4].status, "+OK bye");
  }
}

TEST(Pop3AnswerReaderTest, AnOverlongLineIsRefusedHoweverItArrives) {
  // The longest line taken, CR included, and one byte longer.
  for (const size_t length :
       {Pop3AnswerReader::kMaxLineBytes, Pop3AnswerReader::kMaxLineBytes + 1}) {
    const std::string line = "+OK " + std::string(length - 5, 'x') + "\r\n";
    const bool too_long = length > Pop3AnswerReader::kMaxLineBytes;
    for (size_t piece : {line.size(), size_t{4096}}) {
      SCOPED_TRACE(std::to_string(length) + " in pieces of " + std::to_string(piece));
      bool oversized = false;
      EXPECT_EQ(Answers("+OK\r\n" + line, piece, {}, &oversized).size(), too_long ? 1u : 2u);
      EXPECT_EQ(oversized, too_long);
    }
  }
  // A header past its limit is cut, the answer still read to its end.
  const std::string field = "X: " + std::string(1000, 'y') + "\r\n";
  std::string big = "+OK\r\n";
  for (size_t i = 0; i < 300; ++i) big += field;
  std::vector<Pop3Answer> answers = Answers(big + ".\r\n+OK\r\n", 4096, {true});
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_LE(answers[0].header.size(), Pop3AnswerReader::kMaxHeaderBytes);
  EXPECT_GT(answers[0].header.size(), Pop3AnswerReader::kMaxHeaderBytes - field.size());
}

TEST(Pop3AnswerReaderTest, StatCountIsTheFirstNumberOfAPositiveAnswer) {
  EXPECT_EQ(StatCount("+OK 2 320"), 2);
  EXPECT_EQ(StatCount("+OK   0 0"), 0);
  // (The fuzz target shows a count is the number shown, of a positive answer.)
  EXPECT_EQ(StatCount("+OK"), std::nullopt);
  // Beyond the range of a count: no count, not a wrapped or undefined one.
  EXPECT_EQ(StatCount("+OK 99999999999999999999 1"), std::nullopt);
  EXPECT_EQ(ServerText("-ERR [AUTH] Bad password"), " [AUTH] Bad password");
  EXPECT_EQ(ServerText("-ERR"), "");
}

}  // namespace
}  // namespace tolvane
