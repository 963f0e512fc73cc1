// Fields that greet each member by name: the rule, then over the simulated
// gateway a group run, orders and single sends, each member's own text on
// the wire, in the log and in the store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/command_line_sending.h"
#include "core/message_fields.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using sim::GatewayAnswer;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

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
      {"Hej {förnamn}", "Hej ", "Unknown field {förnamn}: use {name}, {first} or {number}"},
      {"Hej {first, du", "Hej {first, du", "Field {first has no closing brace"},
      {"Hej first} {{name}", "Hej first} {name}", "Field first} has no opening brace"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FillFields(c.text, anna), c.filled);
    EXPECT_EQ(FieldProblem(c.text), c.problem);
  }
  EXPECT_EQ(FillFields("Hej {first}{name}!", {"", "0701"}), "Hej !");
  EXPECT_FALSE(HasFields("a {{name}} }{"));
  // A text that must go as it is (the mail forward's) survives filling.
  EXPECT_EQ(FillFields(EscapeFields("{x} }{ {{"), anna), "{x} }{ {{");
}

class PersonalMessageTest : public GatewayScenario {
 protected:
  PersonalMessageTest() {
    window->SetPhoneBookStore(&book.store());
    window->SetPhoneBookCursor(&book.cursor());
    gateway.SetDefaultAnswer(GatewayAnswer::Status(200));
    AskForReceipts(false);
    book.AddToGroup("Vänner", "Anna Andersson", "0701");
    book.AddToGroup("Vänner", "Bertil Bengtsson", "0702");
    book.AddToGroup("Vänner", "Bo", "0703");
  }
  OrderOutcome Order(const std::string& text) {
    window->SetCommandLineMode(true);
    return CommandLineSending(*window).ArgSandning(text);
  }
};

TEST_F(PersonalMessageTest, AGroupRunSendsEachMemberItsOwnTextAndSkipsOneThatIsTooLong) {
  // 160 characters for Anna goes; 162 for Bertil is refused and the run goes on.
  const std::string tail(140, 'x');
  window->OnGroupSendingToggled();
  TypeMessage(*window, "Hej {name}! " + tail);
  EXPECT_EQ(Text(MainControl::kStatusLine), "up to 162 character in message (Max 160).");
  EXPECT_TRUE(window->Control(MainControl::kStatusLine).warning);
  EXPECT_EQ(window->Control(MainControl::kMessageBox).tool_tip,
            "To Anna Andersson: Hej Anna Andersson! " + tail);
  window->Groups().SendToGroup();

  EXPECT_THAT(Sent("message"), ElementsAre("Hej Anna Andersson! " + tail, "Hej Bo! " + tail));
  EXPECT_THAT(LogLines(),
              ElementsAre(Line("Anna Andersson 0701", kDelivered, "Hej Anna Andersson! " + tail),
                          Line("Bertil Bengtsson 0702", "Message exceeds 160 character!",
                               "Hej Bertil Bengtsson! " + tail),
                          Line("Bo 0703", kDelivered, "Hej Bo! " + tail)));
  EXPECT_EQ(Text(MainControl::kStatusLine), "1 of 3 members not sent, see the log");
  std::vector<std::string> stored;
  for (const StoredMessage& message : messages.RunMessages(1)) stored.push_back(message.text);
  EXPECT_THAT(stored, ElementsAre("Hej Anna Andersson! " + tail, "Hej Bertil Bengtsson! " + tail,
                                  "Hej Bo! " + tail));
  // The box keeps what the user typed.
  EXPECT_EQ(window->MessageText(), "Hej {name}! " + tail);
}

TEST_F(PersonalMessageTest, OrdersTakeTheFieldsAndAnUnknownOneSendsNothing) {
  const struct {
    const char* order;
    const char* sent;  // the texts, "|" between them
    const char* refused;
  } cases[] = {
      {"G//Vänner//Hej {first}!", "Hej Anna!|Hej Bertil!|Hej Bo!", ""},
      {"N//0701,0702//Hej{first}, ring {number}", "Hej, ring 0701|Hej, ring 0702", ""},
      {"N//+46 70-9//{name}Till {number}", "Till +46 70-9", ""},
      {"G//Vänner//Hej {nmae}!", "", "Unknown field {nmae}: use {name}, {first} or {number}"},
      {"N//0701,0702//Hej {first", "", "Field {first has no closing brace"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.order);
    const size_t before = gateway.Requests().size();
    const bool refused = *c.refused != '\0';
    EXPECT_EQ(Order(c.order), refused ? OrderOutcome::kBadOrder : OrderOutcome::kAccepted);
    std::string sent;
    for (size_t i = before; i < gateway.Requests().size(); ++i)
      sent += (i > before ? "|" : "") + gateway.Requests()[i].Field("message");
    EXPECT_EQ(sent, c.sent);
    EXPECT_EQ(Receipt(), refused ? c.refused : kDelivered);
  }
}

// The window's own refusals and counter are in the window's test.
TEST_F(PersonalMessageTest, TheWindowFillsTheFieldsForThePersonOrTheTypedNumber) {
  book.Add("Anna Andersson", "070-111");
  window->SetRecipientListStale(true);
  window->RefreshRecipientList();
  Send("Hej {first}!");
  // A typed number has no name; the mail forward's braces are its own.
  window->OnTemporaryNumberToggled(true);
  window->OnNumberEdited("0709");
  Send("Hej{name}, {number}");
  window->State().to_own_number = true;
  Send("{x} mail");
  EXPECT_THAT(Sent("message"), ElementsAre("Hej Anna!", "Hej, 0709", "{x} mail"));
  EXPECT_THAT(LogLines(), ElementsAre(HasSubstr("\"Hej Anna!\""), HasSubstr("\"Hej, 0709\""),
                                      HasSubstr("\"{x} mail\"")));
}

}  // namespace
}  // namespace tolvane::testing
