// Each member's own message, its fields and opted-out numbers on every way of sending.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/command_line_sending.h"
#include "core/message_fields.h"
#include "phonebook/group_tables.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr char kDelivered[] = "Message delivered to recipients phone";

// A log line without its date and time.
std::string Line(const std::string& who, const std::string& result, const std::string& text) {
  return "\"" + who + "\",\"" + result + "\",\"" + text + "\"";
}

TEST(MessageFieldsTest, FieldsAreFilledBracesKeptAndSlipsNamed) {
  const FieldMember anna{" Anna Maria Berg ", "070-111 11 11"};
  const struct {
    const char* text;
    const char* filled;  // for Anna
    const char* problem;
  } cases[] = {
      {"Hej {first}! {name}, {NUMBER}", "Hej Anna! Anna Maria Berg, 070-111 11 11", ""},
      {"a } b { c {} :-{ { name } {1x", "a } b { c {} :-{ { name } {1x", ""},
      {"{{name}} {{{first}}} }}{{", "{name} {Anna} }{", ""},
      {"Hej {nmae}, {first}", "Hej , Anna",
       "Unknown field {nmae}: use {name}, {first} or {number}"},
      {"Hej {first, du", "Hej {first, du", "Field {first has no closing brace"},
      {"Hej first} {{name}", "Hej first} {name}", "Field first} has no opening brace"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FillFields(c.text, anna), c.filled);
    EXPECT_EQ(FieldProblem(c.text), c.problem);
  }
  EXPECT_EQ(FillFields("Hej {first}{name}!", {"", "0701"}), "Hej !");
}

// Vänner: Anna (opted out), a nameless record, Bertil, Bo and Dora (number none).
class MemberRulesTest : public GatewayScenario {
 protected:
  MemberRulesTest() {
    gateway.SetDefaultAnswer(sim::GatewayAnswer::Status(200, 500));
    window->SetPhoneBookStore(&book.store());
    window->SetPhoneBookCursor(&book.cursor());
    book.AddToGroup("Vänner", "Anna Andersson", "070-111 11 11");
    auto nameless = book.store().OpenCursor("Vänner");
    nameless->AddNew();
    nameless->SetField(kFieldTelenummer, "0709");
    nameless->Update();
    book.AddToGroup("Vänner", "Bertil Bengtsson", "+46 70 222 22 22");
    book.AddToGroup("Vänner", "Bo", "0703");
    book.AddToGroup("Vänner", "Dora", "none");
    Receive("Stop!");
  }
  void Receive(const std::string& text) {
    EXPECT_EQ(window->Receive({.sender = "+46701111111", .text = text, .encoding = "GSM"}),
              ReceiveOutcome::kKept);
  }
  OrderOutcome Order(const std::string& text) {
    window->SetCommandLineMode(true);
    return CommandLineSending(*window).ArgSandning(text);
  }
  // "number following text" of each request from the `from`th on.
  std::vector<std::string> SentFrom(size_t from) const {
    std::vector<std::string> sent;
    for (size_t i = from; i < gateway.Requests().size(); ++i) {
      const sim::GatewayRequest& request = gateway.Requests()[i];
      sent.push_back(request.Field("toPhoneNumber") + " " + request.Field("followingMessages") +
                     " " + request.Field("message"));
    }
    return sent;
  }
  // The log after its first `from` lines, without the received messages.
  std::vector<std::string> SendLines(size_t from = 0) const {
    std::vector<std::string> lines = LogLines();
    std::erase_if(lines, [](const std::string& l) { return l.find("Received") != l.npos; });
    return {lines.begin() + from, lines.end()};
  }
};

TEST_F(MemberRulesTest, RunsAndOrdersFillEachMembersTextAndSkipTheNumberUntilStart) {
  // 160 characters for Bo go; 162 for Bertil are refused and the run goes on.
  const std::string tail(140, 'x');
  window->OnGroupSendingToggled();
  TypeMessage(*window, "Hej {name}! " + tail);
  EXPECT_EQ(Text(MainControl::kStatusLine), "up to 162 character in message (Max 160).");
  EXPECT_TRUE(window->Control(MainControl::kStatusLine).warning);
  EXPECT_EQ(window->Control(MainControl::kMessageBox).tool_tip,
            "To Anna Andersson: Hej Anna Andersson! " + tail);
  window->Groups().SendToGroup();
  EXPECT_THAT(SentFrom(0), ElementsAre("0703 0 Hej Bo! " + tail));
  EXPECT_THAT(
      SendLines(),
      ElementsAre(Line("Anna Andersson 0701111111", "Opted out", "Hej Anna Andersson! " + tail),
                  Line(" ", "No record of  in the group, skipped.", "Hej ! " + tail),
                  Line("Bertil Bengtsson 46702222222", "Message exceeds 160 character!",
                       "Hej Bertil Bengtsson! " + tail),
                  Line("Bo 0703", kDelivered, "Hej Bo! " + tail),
                  Line("Dora ", "Not a number: none, skipped.", "Hej Dora! " + tail)));
  EXPECT_EQ(Text(MainControl::kStatusLine), "4 of 5 members not sent, see the log");
  EXPECT_FALSE(window->Groups().LastRunAccepted());
  // The box keeps what the user typed.
  EXPECT_EQ(window->MessageText(), "Hej {name}! " + tail);
  window->OnGroupSendingToggled();

  const struct {
    const char* order;
    OrderOutcome outcome;
    std::vector<std::string> sent;
    std::vector<std::string> log;
    const char* receipt;
  } kOrders[] = {
      {"N//+46 70-111 11 11//Hej",
       OrderOutcome::kFailed,
       {},
       {Line("Temporary number 46701111111", "Opted out", "Hej")},
       "Opted out"},
      {"N//0701111111,0702222222//Hej{first}, ring {number}",
       OrderOutcome::kFailed,
       {"0702222222 0 Hej, ring 0702222222"},
       {Line("Group 0701111111", "Opted out", "Hej, ring 0701111111"),
        Line("Group 0702222222", kDelivered, "Hej, ring 0702222222")},
       kDelivered},
      {"G//Vänner//Hej {first}!",
       OrderOutcome::kFailed,
       {"46702222222 1 Hej Bertil!", "0703 0 Hej Bo!"},
       {Line("Anna Andersson 0701111111", "Opted out", "Hej Anna!"),
        Line(" ", "No record of  in the group, skipped.", "Hej !"),
        Line("Bertil Bengtsson 46702222222", kDelivered, "Hej Bertil!"),
        Line("Bo 0703", kDelivered, "Hej Bo!"),
        Line("Dora ", "Not a number: none, skipped.", "Hej Dora!")},
       "Not a number: none, skipped."},
  };
  for (const auto& order : kOrders) {
    SCOPED_TRACE(order.order);
    const size_t requests = gateway.Requests().size();
    const size_t logged = SendLines().size();
    EXPECT_EQ(Order(order.order), order.outcome);
    EXPECT_THAT(SentFrom(requests), ElementsAreArray(order.sent));
    EXPECT_THAT(SendLines(logged), ElementsAreArray(order.log));
    EXPECT_EQ(Receipt(), order.receipt);
  }
  // Without a log the status line points to none.
  settings.LoggOn = false;
  EXPECT_EQ(Order("G//Vänner//Hej"), OrderOutcome::kFailed);
  EXPECT_EQ(Text(MainControl::kStatusLine), "3 of 5 members not sent");
  settings.LoggOn = true;

  // START puts her back.
  Receive(" start. ");
  const size_t requests = gateway.Requests().size();
  EXPECT_EQ(Order("N//0701111111//Hej"), OrderOutcome::kAccepted);
  EXPECT_THAT(SentFrom(requests), ElementsAre("0701111111 0 Hej"));
}

// The window's own refusals and counter are in the window's test.
TEST_F(MemberRulesTest, TheWindowAsksBeforeASingleSendAndFillsTheFieldsButNotTheMailForwards) {
  book.Add("Bo Berg", "0703");
  window->SetRecipientListStale(true);
  window->RefreshRecipientList();
  Send("Hej {first}!");
  window->OnTemporaryNumberToggled(true);
  window->OnNumberEdited("0701111111");
  window->SetReceiptLine("Before");
  Send("Hej{name}, {number}");  // No
  EXPECT_THAT(dialogs.boxes(),
              ElementsAre(FakeDialogs::Box{
                  "+46701111111 asked to receive no more messages (opted out). Send anyway?",
                  "Opted out", MessageIcon::kQuestion, MessageButtons::kYesNo}));
  EXPECT_EQ(Receipt(), "Before");
  dialogs.QueueAnswer(MessageAnswer::kYes);
  window->StartSend();
  // The mail forward goes to the user's own number without asking, braces kept.
  window->State().to_own_number = true;
  Send("{x} mail");
  EXPECT_EQ(dialogs.boxes().size(), 2u);
  EXPECT_THAT(SentFrom(0), ElementsAre("0703 0 Hej Bo!", "0701111111 0 Hej, 0701111111",
                                       "0701111111 0 {x} mail"));
  EXPECT_THAT(SendLines(),
              ElementsAre(Line("Bo Berg 0703", kDelivered, "Hej Bo!"),
                          Line("Temporary number 0701111111", kDelivered, "Hej, 0701111111"),
                          Line("Temporary number 0701111111", kDelivered, "{x} mail")));
}

}  // namespace
}  // namespace tolvane::testing
