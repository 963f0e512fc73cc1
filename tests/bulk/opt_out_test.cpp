// A number that sent a stop word, on every way of sending over the simulated
// gateway: what went, the log, the receipt file and the store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "bulk/command_line_sending.h"
#include "store/message_state.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr char kDelivered[] = "Message delivered to recipients phone";

std::string Line(const std::string& recipient, const std::string& result,
                 const std::string& text = "Hej") {
  return "\"" + recipient + "\",\"" + result + "\",\"" + text + "\"";
}

// Anna (kept in the national form) has sent STOP.
class OptOutTest : public GatewayScenario {
 protected:
  OptOutTest() {
    gateway.SetDefaultAnswer(sim::GatewayAnswer::Status(200, 500));
    window->SetPhoneBookStore(&book.store());
    window->SetPhoneBookCursor(&book.cursor());
    book.AddToGroup("Friends", "Anna", "070-111 11 11");
    book.AddToGroup("Friends", "Bertil", "+46 70 222 22 22");
    Receive("Stop!");
    TypeMessage(*window, "Hej");
  }
  void Receive(const std::string& text) {
    EXPECT_EQ(window->Receive({.sender = "+46701111111", .text = text, .encoding = "GSM"}),
              ReceiveOutcome::kKept);
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

TEST_F(OptOutTest, RunsSkipTheNumberUntilStartAndOrdersToItAloneFail) {
  const struct {
    const char* order;  // empty: "Send to &Group" in the window
    OrderOutcome outcome;
    std::vector<std::string> sent;
    std::vector<std::string> log;
  } kSends[] = {
      {"",
       OrderOutcome::kFailed,
       {"46702222222"},
       {Line("Anna 0701111111", "Opted out"), Line("Bertil 46702222222", kDelivered)}},
      {"N//+46 70-111 11 11//Hej//kvitto.txt",
       OrderOutcome::kFailed,
       {},
       {Line("Temporary number 46701111111", "Opted out")}},
      {"N//0701111111,0702222222//Hej",
       OrderOutcome::kFailed,
       {"0702222222"},
       {Line("Group 0701111111", "Opted out"), Line("Group 0702222222", kDelivered)}},
      {"G//Friends//Hej",
       OrderOutcome::kFailed,
       {"46702222222"},
       {Line("Anna 0701111111", "Opted out"), Line("Bertil 46702222222", kDelivered)}},
      {"N//0702222222//Hej",
       OrderOutcome::kAccepted,
       {"0702222222"},
       {Line("Temporary number 0702222222", kDelivered)}},
  };
  for (const auto& send : kSends) {
    const size_t requests = gateway.Requests().size();
    const size_t logged = SendLines().size();
    if (*send.order == '\0') {
      window->OnGroupSendingToggled();
      window->Groups().SendToGroup();
      EXPECT_EQ(Text(MainControl::kStatusLine), "1 of 2 members not sent, see the log");
      window->OnGroupSendingToggled();
    } else {
      window->SetCommandLineMode(true);
      EXPECT_EQ(CommandLineSending(*window).ArgSandning(send.order), send.outcome);
    }
    const std::vector<std::string> sent = Sent("toPhoneNumber");
    EXPECT_THAT(std::vector(sent.begin() + requests, sent.end()), ElementsAreArray(send.sent));
    EXPECT_THAT(SendLines(logged), ElementsAreArray(send.log)) << send.order;
  }
  std::ifstream file(ReceiptFilePath(settings.ProgramFolder, "kvitto.txt"));
  std::string line;
  ASSERT_TRUE(std::getline(file, line));
  EXPECT_EQ(LogRecord::FromLine(line).result, "Opted out");
  // 1 is the STOP received.
  EXPECT_EQ(Stored(2), "0701111111 refused Opted out");
  EXPECT_EQ(Stored(4), "+46701111111 refused Opted out");

  // A run continued after a restart skips her too; START puts her back.
  StoredRun run{.kind = "list", .transport = "TCP", .owner = "gone"};
  std::vector<StoredMessage> queued(1);
  queued[0].number_typed = "0701111111";
  messages.AddRun(run, queued);
  window->Groups().ResumeRun(run, {{"Group", "0701111111", "", queued[0].id}}, {});
  EXPECT_EQ(messages.Message(queued[0].id)->detail, "Opted out");
  EXPECT_EQ(SendLines().back(), Line("Group 0701111111", "Opted out"));
  Receive(" start. ");
  const size_t logged = SendLines().size();
  EXPECT_EQ(CommandLineSending(*window).ArgSandning("G//Friends//Hej"), OrderOutcome::kAccepted);
  EXPECT_THAT(SendLines(logged), ElementsAre(Line("Anna 0701111111", kDelivered),
                                             Line("Bertil 46702222222", kDelivered)));
}

TEST_F(OptOutTest, TheWindowAsksBeforeASingleSendAndNoLeavesItAsItWas) {
  window->OnTemporaryNumberToggled(true);
  window->OnNumberEdited("0701111111");
  window->SetReceiptLine("Before");
  window->StartSend();  // No
  EXPECT_THAT(dialogs.boxes(),
              ElementsAre(FakeDialogs::Box{
                  "+46701111111 asked to receive no more messages (opted out). Send anyway?",
                  "Opted out", MessageIcon::kQuestion, MessageButtons::kYesNo}));
  EXPECT_TRUE(gateway.Requests().empty() && SendLines().empty());
  EXPECT_EQ(messages.MessageCount(), 1);
  EXPECT_EQ(Receipt(), "Before");
  EXPECT_TRUE(Enabled(MainControl::kSend));
  dialogs.QueueAnswer(MessageAnswer::kYes);
  window->StartSend();
  // The mail forward goes to the user's own number without asking.
  window->State().to_own_number = true;
  window->StartSend();
  EXPECT_EQ(dialogs.boxes().size(), 2u);
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701111111", "0701111111"));
}

TEST_F(OptOutTest, AutosendingToHerIsLoggedOnceAndTheFileStays) {
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
