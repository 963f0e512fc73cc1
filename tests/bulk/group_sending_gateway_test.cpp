// Group mode of the main window and group runs over the simulated gateway,
// as the user sees them: captions, lists, receipt line, log, and what the
// gateway received in which order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>

#include "bulk/group_sending.h"
#include "core/main_window.h"
#include "records/log_file.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/window_peripherals.h"

namespace tolvane {
namespace {

using sim::GatewayAnswer;
using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

constexpr char kFriends[] = "V\xE4nner";
constexpr char kDelivered[] = "Message delivered to recipients phone";
constexpr char kQueued[] = "Message placed in message queue, will be sent soon";
constexpr char kUnknownSubscriber[] = "Unknown subscriber or not a valid phone number";

class GroupSendingGatewayTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  GroupSendingGatewayTest() {
    settings.AccessTyp = "TCP";
    settings.Logg = "1";
    settings.LoggOn = true;
    window_.SetPhoneBookStore(&book.store());
    window_.SetPhoneBookCursor(&book.cursor());
    window_.Gateway().ConfigureClient();
    gateway_.SetDefaultAnswer(GatewayAnswer::Status(200, 500));
    // Every answer shown, with how many requests the gateway had by then.
    window_.SetOnChanged([this] {
      const std::string& receipt = window_.Control(MainControl::kReceiptLine).text;
      if (!receipt.empty() && (answers_.empty() || answers_.back().first != receipt)) {
        answers_.emplace_back(receipt, gateway_.Requests().size());
      }
    });
  }

  void AddFriends() {
    book.AddToGroup(kFriends, "Anna", "070-111 11 11");
    book.AddToGroup(kFriends, "Bertil", "+46 70 222 22 22");
    book.AddToGroup(kFriends, "Cecilia", "0703333333");
  }
  void SendToFriends(const std::string& text) {
    window_.OnGroupSendingToggled();
    testing::TypeMessage(window_, text);
    window_.Groups().SendToGroup();
  }

  std::vector<std::string> Sent(const char* field) const {
    std::vector<std::string> values;
    for (const sim::GatewayRequest& request : gateway_.Requests()) {
      values.push_back(request.Field(field));
    }
    return values;
  }
  std::vector<std::pair<std::string, std::string>> Log() const {
    std::vector<std::pair<std::string, std::string>> lines;
    for (const LogRecord& record : ReadLogRecords(book.Folder())) {
      lines.emplace_back(record.recipient, record.result);
    }
    return lines;
  }
  const ControlState& Control(MainControl control) const { return window_.Control(control); }
  const ListState& List(MainList list) const { return window_.List(list); }

  sim::SimEventLoop loop_;
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop_, gateway_};
  MainWindow window_{settings, Services(loop_, client_), host};
  std::vector<std::pair<std::string, size_t>> answers_;
};

TEST_F(GroupSendingGatewayTest, GroupModeShowsTheGroupsAndTheFirstGroupsMembers) {
  AddFriends();
  book.AddToGroup("Jobb", "Dora", "0704");
  testing::TypeMessage(window_, "Hej");
  EXPECT_EQ(window_.Groups().WindowHeightTwips(), 5230);

  window_.OnGroupSendingToggled();
  EXPECT_EQ(Control(MainControl::kGroupSending).text, "&Groupsending <<");
  EXPECT_EQ(window_.Groups().WindowHeightTwips(), 7700);
  EXPECT_TRUE(List(MainList::kGroups).visible);
  EXPECT_THAT(List(MainList::kGroups).items, ElementsAre(kFriends, "Jobb"));
  EXPECT_EQ(List(MainList::kGroups).selected, 0);
  EXPECT_THAT(List(MainList::kMembers).items, ElementsAre("Anna", "Bertil", "Cecilia"));
  EXPECT_FALSE(Control(MainControl::kSend).enabled);
  EXPECT_FALSE(Control(MainControl::kNow).enabled);
  EXPECT_FALSE(Control(MainControl::kMailchecking).enabled);
  EXPECT_FALSE(List(MainList::kRecipients).enabled);
  EXPECT_EQ(Control(MainControl::kStatusLine).text, "3 character in message (Max 160).");

  window_.Groups().OnGroupChosen(1);
  EXPECT_THAT(List(MainList::kMembers).items, ElementsAre("Dora"));

  window_.OnGroupSendingToggled();
  EXPECT_EQ(Control(MainControl::kGroupSending).text, "&Groupsending >>");
  EXPECT_EQ(window_.Groups().WindowHeightTwips(), 5230);
  EXPECT_FALSE(List(MainList::kGroups).visible);
  EXPECT_TRUE(Control(MainControl::kSend).enabled);
  EXPECT_TRUE(Control(MainControl::kMailchecking).enabled);
  EXPECT_TRUE(List(MainList::kRecipients).enabled);
  EXPECT_THAT(dialogs.Texts(), IsEmpty());
}

TEST_F(GroupSendingGatewayTest, GroupModeRefusesMailCheckingAndDouble) {
  window_.Mutable(MainControl::kMailchecking).checked = true;
  window_.OnGroupSendingToggled();
  EXPECT_THAT(dialogs.boxes(),
              ElementsAre(testing::FakeDialogs::Box{"Uncheck Mailchecking first!",
                                                    "Not Mailchecing AND groupsending!",
                                                    MessageIcon::kCritical, MessageButtons::kOk}));
  EXPECT_EQ(Control(MainControl::kGroupSending).text, "&Groupsending >>");
  EXPECT_FALSE(window_.Groups().GroupMode());

  // A ticked Double is refused on the way in.
  dialogs.Clear();
  window_.Mutable(MainControl::kMailchecking).checked = false;
  window_.OnDoubleToggled(true);
  window_.OnGroupSendingToggled();
  EXPECT_THAT(dialogs.Texts(), ElementsAre("Double message not allowed for groupsending"));
  EXPECT_FALSE(Control(MainControl::kDouble).checked);
  EXPECT_TRUE(window_.Groups().GroupMode());
}

TEST_F(GroupSendingGatewayTest, NoGroupOrNoMembersSendsNothing) {
  SendToFriends("Hej");
  EXPECT_EQ(Control(MainControl::kReceiptLine).text, "No group exist!");
  book.store().CreateTable(kFriends);
  window_.OnGroupSendingToggled();
  SendToFriends("Hej");
  EXPECT_EQ(Control(MainControl::kReceiptLine).text, "No recipients!");
  EXPECT_THAT(gateway_.Requests(), IsEmpty());
  EXPECT_FALSE(window_.State().sending);
}

TEST_F(GroupSendingGatewayTest, ThreeMembersGetOneRequestEachAfterThePreviousAnswer) {
  AddFriends();
  gateway_.SetAnswer("46702222222", GatewayAnswer::Status(202, 500));
  SendToFriends("Hej & v\xE4lkomna");

  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701111111", "46702222222", "0703333333"));
  EXPECT_THAT(Sent("followingMessages"), ElementsAre("2", "1", "0"));
  EXPECT_THAT(Sent("message"),
              ElementsAre("Hej & v\xE4lkomna", "Hej & v\xE4lkomna", "Hej & v\xE4lkomna"));
  // Each answer arrived while the gateway had seen only the requests up to it.
  EXPECT_THAT(answers_, ElementsAre(Pair(kDelivered, 1u), Pair(kQueued, 2u), Pair(kDelivered, 3u)));
  // Per member: the 2-second pause, then the answer after 500 ms.
  EXPECT_EQ(loop_.Elapsed(), milliseconds(3 * 2500));
  EXPECT_THAT(Log(),
              ElementsAre(Pair("Anna 0701111111", kDelivered), Pair("Bertil 46702222222", kQueued),
                          Pair("Cecilia 0703333333", kDelivered)));
  EXPECT_EQ(Control(MainControl::kReceiptFrame).text, "Receipt for sending to: Cecilia");
  EXPECT_TRUE(window_.Groups().LastRunAccepted());

  // Still in group mode: the group controls usable, "&Send" and "No&w" not.
  EXPECT_EQ(List(MainList::kMembers).selected, 2);
  EXPECT_EQ(Control(MainControl::kStatusLine).text, "");
  EXPECT_FALSE(Control(MainControl::kCancel).enabled);
  EXPECT_FALSE(Control(MainControl::kSend).enabled);
  EXPECT_FALSE(Control(MainControl::kNow).enabled);
  EXPECT_FALSE(List(MainList::kRecipients).enabled);
  EXPECT_TRUE(List(MainList::kGroups).enabled);
  EXPECT_TRUE(Control(MainControl::kSendToGroup).enabled);
  EXPECT_TRUE(Control(MainControl::kGroupSending).enabled);
  EXPECT_TRUE(Control(MainControl::kMenuPhonebook).enabled);
  EXPECT_FALSE(window_.State().sending);
}

TEST_F(GroupSendingGatewayTest, RefusedMemberDoesNotStopTheRun) {
  AddFriends();
  gateway_.SetAnswer("46702222222", GatewayAnswer::Status(450, 500));
  SendToFriends("Hej");
  EXPECT_EQ(gateway_.Requests().size(), 3u);
  EXPECT_THAT(Log(), ElementsAre(Pair("Anna 0701111111", kDelivered),
                                 Pair("Bertil 46702222222", kUnknownSubscriber),
                                 Pair("Cecilia 0703333333", kDelivered)));
  EXPECT_FALSE(window_.Groups().LastRunAccepted());
}

TEST_F(GroupSendingGatewayTest, CancelAfterTheFirstMemberLeavesTheOthersUnsent) {
  AddFriends();
  // The first answer comes at 2.5 s; the second member is in its pause then.
  loop_.After(milliseconds(3000), [this] { window_.CancelSend(); });
  SendToFriends("Hej");
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701111111"));
  EXPECT_THAT(Log(), ElementsAre(Pair("Anna 0701111111", kDelivered),
                                 Pair("Bertil 46702222222", "Sending Cancelled.")));
  EXPECT_FALSE(window_.Groups().LastRunAccepted());
  EXPECT_FALSE(window_.State().sending);
  EXPECT_FALSE(Control(MainControl::kCancel).enabled);
  EXPECT_TRUE(Control(MainControl::kSendToGroup).enabled);
}

TEST_F(GroupSendingGatewayTest, TransportFailureEndsTheRun) {
  AddFriends();
  gateway_.SetAnswer("46702222222", GatewayAnswer::Close(100));
  SendToFriends("Hej");
  EXPECT_EQ(gateway_.Requests().size(), 2u);
  EXPECT_EQ(Log().size(), 2u);
  EXPECT_EQ(Log()[1].second.rfind("Error: ", 0), 0u) << Log()[1].second;
  EXPECT_FALSE(window_.State().sending);
}

TEST_F(GroupSendingGatewayTest, MembersThatCannotBeSentAreSkippedAndLogged) {
  book.AddToGroup(kFriends, "Anna", "070-111 11 11");
  // A record another program wrote without a name: its line finds no record.
  auto table = book.store().OpenCursor(kFriends);
  table->AddNew();
  table->SetField(kFieldTelenummer, "0709");
  table->Update();
  book.AddToGroup(kFriends, "Bertil", "unknown");
  book.AddToGroup(kFriends, "Cecilia", "0703333333");
  SendToFriends("Hej");
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701111111", "0703333333"));
  EXPECT_THAT(Sent("followingMessages"), ElementsAre("1", "0"));
  EXPECT_THAT(Log(), ElementsAre(Pair("Anna 0701111111", kDelivered),
                                 Pair(" ", "No record of  in the group, skipped."),
                                 Pair("Bertil ", "Not a number: unknown, skipped."),
                                 Pair("Cecilia 0703333333", kDelivered)));
  EXPECT_FALSE(window_.Groups().LastRunAccepted());
}

TEST_F(GroupSendingGatewayTest, SkippedLastMemberStillEndsTheRun) {
  book.AddToGroup(kFriends, "Anna", "0701");
  book.AddToGroup(kFriends, "Bertil", "none");
  SendToFriends("Hej");
  EXPECT_THAT(Sent("followingMessages"), ElementsAre("0"));
  EXPECT_EQ(Control(MainControl::kReceiptLine).text, "Not a number: none, skipped.");
  EXPECT_FALSE(window_.State().sending);
  EXPECT_FALSE(Control(MainControl::kCancel).enabled);
  EXPECT_TRUE(Control(MainControl::kSendToGroup).enabled);
}

}  // namespace
}  // namespace tolvane
