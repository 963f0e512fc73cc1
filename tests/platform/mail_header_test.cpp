#include "platform/mail_header.h"

#include <gtest/gtest.h>

#include "platform/mail_server_address.h"

namespace tolvane {
namespace {

// (The POP3 client's tests against a real server read a plain sender with
// its subject, and encoded words of UTF-8.)
TEST(MailHeaderTest, SenderNameOrAddressThenSubject) {
  EXPECT_EQ(MessageLine("Subject: Invoice\nFROM:  <bo@example.com>\n"), "bo@example.com: Invoice");
  EXPECT_EQ(MessageLine("From: \"Berg, Anna \\\"AB\\\"\" <a@x.se>\r\nSubject: Hi\r\n"),
            "Berg, Anna \"AB\": Hi");
  EXPECT_EQ(MessageLine("From: c@x.se (Carl Ek)\r\n"), "Carl Ek: ");
  EXPECT_EQ(MessageLine("From: d@x.se\r\nSubject:\r\n"), "d@x.se: ");
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
  EXPECT_EQ(DecodeHeaderText("=?ISO-8859-15?Q?5_=A4?="), "5 €");
  EXPECT_EQ(DecodeHeaderText("=?utf-8*sv?Q?=E2=82=AC?="), "€");
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
  using Security = MailServerAddress::Security;
  auto parsed = [](const std::string& text) {
    std::optional<MailServerAddress> address = ParseMailServer(text);
    return address ? address->host + " " + std::to_string(address->port) + " " +
                         std::to_string(static_cast<int>(address->security))
                   : std::string("none");
  };
  const std::string starttls = std::to_string(static_cast<int>(Security::kStartTls));
  const std::string tls = std::to_string(static_cast<int>(Security::kImplicitTls));
  const std::string plain = std::to_string(static_cast<int>(Security::kPlain));
  EXPECT_EQ(parsed(" pop.example.com "), "pop.example.com 110 " + starttls);
  EXPECT_EQ(parsed("pop.example.com:1110"), "pop.example.com 1110 " + starttls);
  EXPECT_EQ(parsed("pop.example.com:995"), "pop.example.com 995 " + tls);
  EXPECT_EQ(parsed("POP3S://pop.example.com"), "pop.example.com 995 " + tls);
  EXPECT_EQ(parsed("pop3s://pop.example.com:2995/"), "pop.example.com 2995 " + tls);
  EXPECT_EQ(parsed("pop3://localhost"), "localhost 110 " + plain);
  EXPECT_EQ(parsed("pop3://[::1]:1110"), "::1 1110 " + plain);
  for (const char* bad : {"", "imap://host", "host:", "host:0", "host:65536", "host:12a", "pop3://",
                          "[::1", "user@host", "host/path"}) {
    EXPECT_EQ(parsed(bad), "none") << bad;
  }
}

}  // namespace
}  // namespace tolvane
