// Numbers that answered a stop word, on every way of sending over the
// simulated gateway: group runs, orders, autosending and the window's own
// send, with what the log, the receipt file and the store keep of them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "bulk/command_line_sending.h"
#include "records/log_file.h"
#include "store/message_state.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr char kQuestion[] =
    "+46701111111 asked to receive no more messages (opted out). Send anyway?";

class OptOutTest : public GatewayScenario {
 protected:
  OptOutTest() {
    gateway.SetDefaultAnswer(sim::GatewayAnswer::Status(200, 500));
    window->SetPhoneBookStore(&book.store());
    window->SetPhoneBookCursor(&book.cursor());
    // Anna's number is kept in the national form.
    book.AddToGroup("Friends", "Anna", "070-111 11 11");
    book.AddToGroup("Friends", "Bertil", "+46 70 222 22 22");
    book.AddToGroup("Friends", "Cecilia", "0703333333");
    ReceiveFromAnna("Stop!");
  }
  void ReceiveFromAnna(const std::string& text) {
    EXPECT_EQ(window->Receive({.sender = "+46701111111", .text = text, .encoding = "GSM"}),
              ReceiveOutcome::kKept);
  }
  void SendToFriends() {
    if (!window->Groups().GroupMode()) window->OnGroupSendingToggled();
    TypeMessage(*window, "Hej");
    window->Groups().SendToGroup();
  }
  OrderOutcome Order(const std::string& text) {
    window->SetCommandLineMode(true);
    return CommandLineSending(*window).ArgSandning(text);
  }
  // The log without the lines of received messages.
  std::vector<std::string> SendLines() const {
    std::vector<std::string> lines = LogLines();
    std::erase_if(lines,
                  [](const std::string& line) { return line.find("Received") != line.npos; });
    return lines;
  }
  // "number state detail" of every message sent, as the store keeps it.
  std::vector<std::string> StoredSends() const {
    std::vector<std::string> rows;
    for (std::int64_t id = 1; id <= messages.MessageCount(); ++id) {
      if (const auto message = messages.Message(id); message && !message->incoming) {
        rows.push_back(message->number + " " + std::string(StateName(message->state)) + " " +
                       message->detail);
      }
    }
    return rows;
  }
};

TEST_F(OptOutTest, AGroupRunSkipsTheMemberWhoSentStopUntilStart) {
  SendToFriends();
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("46702222222", "0703333333"));
  EXPECT_THAT(
      SendLines(),
      ElementsAre("\"Anna 0701111111\",\"Opted out\",\"Hej\"",
                  "\"Bertil 46702222222\",\"Message delivered to recipients phone\",\"Hej\"",
                  "\"Cecilia 0703333333\",\"Message delivered to recipients phone\",\"Hej\""));
  EXPECT_EQ(Text(MainControl::kStatusLine), "1 of 3 members not sent, see the log");
  EXPECT_EQ(StoredSends().front(), "0701111111 refused Opted out");
  EXPECT_FALSE(window->Groups().LastRunAccepted());

  ReceiveFromAnna(" start. ");
  SendToFriends();
  EXPECT_EQ(Sent("toPhoneNumber").size(), 5u);
  EXPECT_EQ(SendLines().at(3),
            "\"Anna 0701111111\",\"Message delivered to recipients phone\",\"Hej\"");
  EXPECT_TRUE(window->Groups().LastRunAccepted());
}

TEST_F(OptOutTest, OrdersLeaveOutTheNumberAndOneToItAloneFails) {
  const struct {
    const char* order;
    OrderOutcome outcome;
    std::vector<std::string> sent;
    const char* first_log_line;
  } kOrders[] = {
      {"N//+46 70-111 11 11//Hej//kvitto.txt",
       OrderOutcome::kFailed,
       {},
       "\"Temporary number 46701111111\",\"Opted out\",\"Hej\""},
      {"N//0701111111,0702222222//Hej",
       OrderOutcome::kFailed,
       {"0702222222"},
       "\"Group 0701111111\",\"Opted out\",\"Hej\""},
      {"G//Friends//Hej",
       OrderOutcome::kFailed,
       {"46702222222", "0703333333"},
       "\"Anna 0701111111\",\"Opted out\",\"Hej\""},
      // The numbers that did not opt out still go.
      {"N//0702222222//Hej//kvitto.txt",
       OrderOutcome::kAccepted,
       {"0702222222"},
       "\"Temporary number 0702222222\",\"Message delivered to recipients phone\",\"Hej\""},
  };
  for (const auto& order : kOrders) {
    const size_t requests = gateway.Requests().size();
    const size_t logged = SendLines().size();
    EXPECT_EQ(Order(order.order), order.outcome) << order.order;
    const std::vector<std::string> sent = Sent("toPhoneNumber");
    EXPECT_THAT(std::vector(sent.begin() + requests, sent.end()), ElementsAreArray(order.sent));
    EXPECT_EQ(SendLines().at(logged), order.first_log_line);
  }
  // The receipt file of the refused order says why.
  std::ifstream file(ReceiptFilePath(settings.ProgramFolder, "kvitto.txt"));
  std::string line;
  ASSERT_TRUE(std::getline(file, line));
  EXPECT_EQ(LogRecord::FromLine(line).result, "Opted out");
  EXPECT_EQ(StoredSends().front(), "+46701111111 refused Opted out");
}

TEST_F(OptOutTest, TheWindowAsksBeforeASingleSendAndNoLeavesItAsItWas) {
  window->OnTemporaryNumberToggled(true);
  window->OnNumberEdited("0701111111");
  TypeMessage(*window, "Hej");
  window->SetReceiptLine("Message delivered to recipients phone");
  window->StartSend();  // answered No
  EXPECT_THAT(dialogs.boxes(),
              ElementsAre(FakeDialogs::Box{kQuestion, "Opted out", MessageIcon::kQuestion,
                                           MessageButtons::kYesNo}));
  EXPECT_THAT(gateway.Requests(), IsEmpty());
  EXPECT_THAT(SendLines(), IsEmpty());
  EXPECT_THAT(StoredSends(), IsEmpty());
  EXPECT_EQ(Receipt(), "Message delivered to recipients phone");
  EXPECT_TRUE(Enabled(MainControl::kSend));

  dialogs.QueueAnswer(MessageAnswer::kYes);
  window->StartSend();
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701111111"));
  EXPECT_THAT(StoredSends(),
              ElementsAre("0701111111 accepted Message delivered to recipients phone"));

  // The mail forward goes to the user's own number without asking.
  window->State().to_own_number = true;
  window->StartSend();
  EXPECT_EQ(dialogs.boxes().size(), 2u);
  EXPECT_EQ(Sent("toPhoneNumber").size(), 2u);
}

TEST_F(OptOutTest, AutosendingSkipsTheNumberAndKeepsTheFileWithoutTryingAgain) {
  settings.AutoFil = "/out";
  settings.AutoTyp = "3";
  settings.AutoTabort = "1";
  settings.VTid = 1;
  files.MakeFolder("/out");
  book.Add("Anna", "070-111 11 11");
  window->RefreshRecipientList();
  window->OnRecipientChosen(0);
  files.Write("/out/a.txt", "Till Anna");
  // The folder is watched for five minutes: the file is not tried again.
  window->OnAutosendingClicked(true);
  WaitFor(loop, 5 * 60 * 1000);
  window->OnAutosendingClicked(false);
  EXPECT_THAT(gateway.Requests(), IsEmpty());
  EXPECT_TRUE(files.Exists("/out/a.txt"));
  EXPECT_THAT(SendLines(), ElementsAre("\"Anna 0701111111\",\"Opted out\",\"Till Anna\""));
  EXPECT_THAT(dialogs.boxes(), IsEmpty());
}

}  // namespace
}  // namespace tolvane::testing
