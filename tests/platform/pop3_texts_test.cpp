// The POP3 server's address, its answers and the header of each message.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/mail_header.h"
#include "platform/mail_server_address.h"
#include "platform/pop3_answer_reader.h"

namespace tolvane {
namespace {

using Result = Pop3AnswerReader::Result;

// The answers in `bytes` handed over `piece` bytes at a time; `multiline`
// says of each answer whether lines follow.
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
  for (size_t piece : {1u, 1000u}) {
    std::vector<Pop3Answer> answers = Answers(bytes, piece, {false, false, true, true, false});
    ASSERT_EQ(answers.size(), 5u) << piece;
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
}

TEST(Pop3AnswerReaderTest, StatCountIsTheFirstNumberOfAPositiveAnswer) {
  EXPECT_EQ(StatCount("+OK 2 320"), 2);
  EXPECT_EQ(StatCount("+OK   0 0"), 0);
  EXPECT_EQ(StatCount("+OK"), std::nullopt);
  // Beyond the range of a count: no count, not a wrapped or undefined one.
  EXPECT_EQ(StatCount("+OK 99999999999999999999 1"), std::nullopt);
  EXPECT_EQ(ServerText("-ERR [AUTH] Bad password"), " [AUTH] Bad password");
  EXPECT_EQ(ServerText("-ERR"), "");
}

TEST(MailHeaderTest, SenderNameOrAddressThenSubject) {
  EXPECT_EQ(MessageLine("Subject: Invoice\nFROM:  <bo@example.com>\n"), "bo@example.com: Invoice");
  EXPECT_EQ(MessageLine("From: \"Berg, Anna \\\"AB\\\"\" <a@x.se>\r\nSubject: Hi\r\n"),
            "Berg, Anna \"AB\": Hi");
  EXPECT_EQ(MessageLine("From: c@x.se (Carl Ek)\r\n"), "Carl Ek: ");
  // Folded lines are one line; tabs and line breaks become single blanks.
  EXPECT_EQ(MessageLine("Subject: a long\r\n\tsubject  line\r\nFrom: e@x.se\r\n"),
            "e@x.se: a long subject line");
  // A field whose name only starts alike is another field.
  EXPECT_EQ(MessageLine("Subjects: no\r\nSubject: yes\r\nFrom: f@x.se\r\n"), "f@x.se: yes");
}

TEST(MailHeaderTest, EncodedWordsAreDecodedToUtf8) {
  EXPECT_EQ(DecodeHeaderText("=?iso-8859-1?q?M=F6te_i_morgon?="), "Möte i morgon");
  // Blanks between encoded words vanish; blanks next to plain text stay.
  EXPECT_EQ(DecodeHeaderText("Re: =?utf-8?q?K=C3=B6p?= =?utf-8?q?_nu?= idag"), "Re: Köp nu idag");
  // Unknown character sets give "?".
  EXPECT_EQ(DecodeHeaderText("=?koi8-r?q?=F0=D2?= ok"), "?? ok");
  // Raw UTF-8 outside encoded words, and words that are not well formed.
  EXPECT_EQ(DecodeHeaderText("Gr\xC3\xBC\xC3\x9F"
                             "e"),
            "Grüß"
            "e");
  EXPECT_EQ(DecodeHeaderText("=?utf-8?x?abc?= =?broken"), "=?utf-8?x?abc?= =?broken");
}

TEST(MailServerAddressTest, SchemeAndPortChooseTheProtection) {
  using enum MailServerAddress::Security;
  auto parsed = [](const std::string& text) {
    const std::optional<MailServerAddress> address = ParseMailServer(text);
    return address ? std::tuple(address->host, address->port, address->security)
                   : std::tuple(std::string("none"), 0, kPlain);
  };
  EXPECT_EQ(parsed(" pop.example.com "), std::tuple("pop.example.com", 110, kStartTls));
  EXPECT_EQ(parsed("pop.example.com:995"), std::tuple("pop.example.com", 995, kImplicitTls));
  EXPECT_EQ(parsed("POP3S://pop.example.com"), std::tuple("pop.example.com", 995, kImplicitTls));
  EXPECT_EQ(parsed("pop3://localhost"), std::tuple("localhost", 110, kPlain));
  EXPECT_EQ(parsed("pop3://[::1]:1110"), std::tuple("::1", 1110, kPlain));
  for (const char* bad :
       {"", "imap://host", "host:0", "host:65536", "host:12a", "user@host", "host/path"}) {
    EXPECT_EQ(parsed(bad), std::tuple("none", 0, kPlain)) << bad;
  }
}

}  // namespace
}  // namespace tolvane
