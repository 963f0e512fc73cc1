// The modem's bytes cut into lines and prompts, in whatever pieces they come.
#include "gsm/at_line_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace tolvane {
namespace {

using ::testing::ElementsAre;

// Every answer as "> " for the prompt or the line's text.
std::vector<std::string> Answers(AtLineReader& reader) {
  std::vector<std::string> answers;
  while (std::optional<AtAnswer> answer = reader.Next()) {
    answers.push_back(answer->kind == AtAnswer::Kind::kPrompt ? "> " : answer->text);
  }
  return answers;
}

TEST(AtLineReaderTest, LinesComeWholeWhateverThePiecesAndThePromptEvenWithALineBehindIt) {
  AtLineReader reader;
  reader.Feed("\r\n+CMGS: 1");
  EXPECT_TRUE(Answers(reader).empty());
  reader.Feed("2\r\n\r\nOK\r\n\r\n> \r\nRING\r\n\n");
  EXPECT_THAT(Answers(reader), ElementsAre("+CMGS: 12", "OK", "> ", "RING"));
  reader.Feed("\r\n>");
  EXPECT_THAT(Answers(reader), ElementsAre("> "));

  // Noise that never ends a line is cut, not kept for ever.
  reader.Feed(std::string(3000, 'x'));
  const std::vector<std::string> cut = Answers(reader);
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[0].size(), AtLineReader::kMaxLine);
}

}  // namespace
}  // namespace tolvane
