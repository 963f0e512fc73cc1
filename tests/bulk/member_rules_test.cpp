// The rules on each member's own message, the fields that greet it by name
// and a number that sent a stop word, on every way of sending over the
// simulated gateway: what went, the log, the receipt file and the store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "bulk/command_line_sending.h"
#include "core/message_fields.h"
#include "phonebook/group_tables.h"
#include "store/message_state.h"
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

// The group Vänner: Anna Andersson (kept in the national form), who has sent
// STOP, a record another program wrote without a name, Bertil Bengtsson, Bo
// and Dora, whose number is none.
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
  // "number state detail" of the stored message `id`.
  std::string Stored(std::int64_t id) const {
    const StoredMessage m = *messages.Message(id);
    return m.number + " " + std::string(StateName(m.state)) + " " + m.detail;
  }
};

TEST_F(MemberRulesTest, RunsAndOrdersFillEachMembersTextAndSkipTheNumberUntilStart) {
  // 160 characters for Bo go; 162 for Bertil are refused and the run goes on,
  // and the last member skipped still ends it: Bo's message is the last.
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
  std::vector<std::string> stored;
  for (const StoredMessage& message : messages.RunMessages(1)) {
    stored.push_back(message.text + " " + std::string(StateName(message.state)));
  }
  EXPECT_THAT(stored,
              ElementsAre("Hej Anna Andersson! " + tail + " refused", "Hej ! " + tail + " refused",
                          "Hej Bertil Bengtsson! " + tail + " refused",
                          "Hej Bo! " + tail + " accepted", "Hej Dora! " + tail + " refused"));
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
      {"N//+46 70-111 11 11//Hej//kvitto.txt",
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
      {"N//+46 70-9//{name}Till {number}",
       OrderOutcome::kAccepted,
       {"46709 0 Till +46 70-9"},
       {Line("Temporary number 46709", kDelivered, "Till +46 70-9")},
       kDelivered},
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
  std::ifstream file(ReceiptFilePath(settings.ProgramFolder, "kvitto.txt"));
  std::string line;
  ASSERT_TRUE(std::getline(file, line));
  EXPECT_EQ(LogRecord::FromLine(line).result, "Opted out");
  // 1 is the STOP received, 2 to 6 the group run.
  EXPECT_EQ(Stored(2), "0701111111 refused Opted out");
  EXPECT_EQ(Stored(7), "+46701111111 refused Opted out");
  // Without a log the status line points to none.
  settings.LoggOn = false;
  EXPECT_EQ(Order("G//Vänner//Hej"), OrderOutcome::kFailed);
  EXPECT_EQ(Text(MainControl::kStatusLine), "3 of 5 members not sent");
  EXPECT_FALSE(Enabled(MainControl::kCancel));
  settings.LoggOn = true;

  // A run continued after a restart skips her too; START puts her back.
  StoredRun run{.kind = "list", .transport = "TCP", .owner = "gone"};
  std::vector<StoredMessage> queued(1);
  queued[0].number_typed = "0701111111";
  messages.AddRun(run, queued);
  TypeMessage(*window, "Hej");
  window->Groups().ResumeRun(run, {{"Group", "0701111111", "", queued[0].id}}, {});
  EXPECT_EQ(messages.Message(queued[0].id)->detail, "Opted out");
  EXPECT_EQ(SendLines().back(), Line("Group 0701111111", "Opted out", "Hej"));
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
  EXPECT_EQ(SendLines().size(), 1u);
  EXPECT_EQ(messages.MessageCount(), 2);
  EXPECT_EQ(Receipt(), "Before");
  EXPECT_TRUE(Enabled(MainControl::kSend));
  dialogs.QueueAnswer(MessageAnswer::kYes);
  window->StartSend();
  // The mail forward goes to the user's own number without asking, its
  // braces its own.
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

TEST_F(MemberRulesTest, AutosendingToHerIsLoggedOnceAndTheFileStays) {
  settings.AutoFil = "/out";
  settings.AutoTyp = "3";
  settings.VTid = 1;
  files.MakeFolder("/out");
  book.Add("Anna", "070-111 11 11");
  window->RefreshRecipientList();
  window->OnRecipientChosen(0);
  files.Write("/out/a.txt", "Till Anna");
  window->OnAutosendingClicked(true);
  WaitFor(loop, 5 * 60 * 1000);
  window->OnAutosendingClicked(false);
  EXPECT_TRUE(gateway.Requests().empty() && dialogs.boxes().empty());
  EXPECT_TRUE(files.Exists("/out/a.txt"));
  EXPECT_THAT(SendLines(), ElementsAre(Line("Anna 0701111111", "Opted out", "Till Anna")));
}

}  // namespace
}  // namespace tolvane::testing
