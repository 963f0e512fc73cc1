// Orders, group mode and group runs over the simulated gateway and modem.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/command_line_sending.h"
#include "bulk/group_sending.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using sim::GatewayAnswer;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

// Every field of an order: marker|number|message|receipt file (- for none)|count.
std::string Fields(const CommandLineOrder& order) {
  return order.field1 + "|" + order.field2 + "|" + order.message + "|" +
         (order.write_receipt_file ? order.receipt_file_name : "-") + "|" +
         std::to_string(order.doubled_separators);
}

TEST(CommandLineOrderTest, FieldsSitBetweenDoubledSeparatorsAndNumbersBetweenCommas) {
  const struct {
    const char* text;
    const char* separator;
    const char* fields;
  } kOrders[] = {
      {"N//070-123 45//Hello there", "/", "N|070-123 45|Hello there|-|2"},
      // A fourth field names the receipt file, without its line breaks.
      {"N##0701##Hi##out\r\n.txt\r\n", "#", "N|0701|Hi|out.txt|3"},
      // A doubled separator inside the message starts the receipt name.
      {"N//0701//see http://example.org", "/", "N|0701|see http:|example.org|3"},
      // An order may start with its delimiter: the marker is then empty.
      {"//0701//Hi", "/", "|0701|Hi|-|2"},
      // Three separators make a receipt file of the default name.
      {"N///0701//Hi", "/", "N|/0701|Hi|kvitto.txt|3"},
      {"N/0701/Hi", "/", "N/0701/Hi|||-|0"},
      {"N//0701", "/", "N|0701||-|1"},
      // The currency sign is one character of two bytes.
      {"N¤¤0701¤¤Hej ¤ då", "¤", "N|0701|Hej ¤ då|-|2"},
  };
  for (const auto& order : kOrders) {
    EXPECT_EQ(Fields(ParseCommandLineOrder(order.text, order.separator)), order.fields)
        << order.text;
  }
  // A trailing comma and a leading line feed make no difference to a list.
  EXPECT_THAT(SplitNumberList("\n0701,0702"), ElementsAre("0701", "0702"));
  // Only the first line feed goes; an empty entry stays an entry.
  EXPECT_THAT(SplitNumberList("\n\n0701,,"), ElementsAre("\n0701", ""));
}

constexpr char kFriends[] = "Vänner";
constexpr char kDelivered[] = "Message delivered to recipients phone";

// "0700000001,0700000002,..." with `count` numbers.
std::string NumberList(int count) {
  std::string list;
  for (int i = 1; i <= count; ++i) list += (i > 1 ? "," : "") + std::to_string(700000000 + i);
  return list;
}

class GroupGatewayTest : public GatewayScenario {
 protected:
  GroupGatewayTest() {
    window->SetPhoneBookStore(&book.store());
    window->SetPhoneBookCursor(&book.cursor());
    gateway.SetDefaultAnswer(GatewayAnswer::Status(200, 500));
  }
  void SendToFriends(const std::string& text) {
    window->OnGroupSendingToggled();
    TypeMessage(*window, text);
    window->Groups().SendToGroup();
  }
  OrderOutcome Order(const std::string& text) {
    window->SetCommandLineMode(true);
    return CommandLineSending(*window).ArgSandning(text);
  }
};

TEST_F(GroupGatewayTest, GroupModeLocksSingleSendsAndRefusesMailCheckingDoubleAndEmptyGroups) {
  SendToFriends("Hej");
  EXPECT_EQ(Receipt(), "No group exist!");
  book.store().CreateTable(kFriends);
  window->OnGroupSendingToggled();
  SendToFriends("Hej");
  EXPECT_EQ(Receipt(), "No recipients!");
  EXPECT_THAT(gateway.Requests(), IsEmpty());
  window->OnGroupSendingToggled();

  window->Mutable(MainControl::kMailchecking).checked = true;
  window->OnGroupSendingToggled();
  EXPECT_THAT(dialogs.Texts(), ElementsAre("Uncheck Mailchecking first!"));
  EXPECT_FALSE(window->Groups().GroupMode());

  // A ticked Double is refused on the way in, and cannot be ticked inside.
  dialogs.Clear();
  window->Mutable(MainControl::kMailchecking).checked = false;
  window->OnDoubleToggled(true);
  window->OnGroupSendingToggled();
  window->OnDoubleToggled(true);
  EXPECT_THAT(dialogs.Texts(), ElementsAre("Double message not allowed for groupsending",
                                           "Double message not allowed for groupsending"));
  EXPECT_FALSE(window->State().double_message);
  EXPECT_TRUE(window->Groups().GroupMode());
  EXPECT_FALSE(Enabled(MainControl::kSend));
  EXPECT_FALSE(Enabled(MainControl::kMailchecking));
}

TEST_F(GroupGatewayTest, ThreeMembersGetOneRequestEachAfterThePreviousAnswerUntilAFailure) {
  gateway.SetAnswer("46702222222", GatewayAnswer::Status(202, 500));
  SendToThreeFriends("Hej & välkomna");

  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701111111", "46702222222", "0703333333"));
  EXPECT_THAT(Sent("followingMessages"), ElementsAre("2", "1", "0"));
  EXPECT_THAT(Sent("message"), Each(std::string("Hej & v\xE4lkomna")));
  // Per member: the 2-second pause, then the answer after 500 ms, shown.
  EXPECT_EQ(receipts.FirstAt(kDelivered), 2500);
  EXPECT_EQ(receipts.FirstAt("Message placed in message queue, will be sent soon"), 5000);
  EXPECT_EQ(receipts.LastAt(kDelivered), 7500);
  EXPECT_THAT(LogLines(), ElementsAre(StartsWith("\"Anna 0701111111\",\"Message delivered"),
                                      StartsWith("\"Bertil 46702222222\",\"Message placed"),
                                      StartsWith("\"Cecilia 0703333333\",\"Message delivered")));
  EXPECT_EQ(Text(MainControl::kReceiptFrame), "Receipt for sending to: Cecilia");
  EXPECT_TRUE(window->Groups().LastRunAccepted());

  // A transport failure ends the run.
  gateway.SetAnswer("46702222222", GatewayAnswer::Close(100));
  window->Groups().SendToGroup();
  EXPECT_EQ(gateway.Requests().size(), 5u);
  const std::vector<std::string> log = LogLines();
  EXPECT_THAT(std::vector(log.begin() + 3, log.end()),
              ElementsAre(HasSubstr(kDelivered), StartsWith("\"Bertil 46702222222\",\"Error: ")));
  EXPECT_FALSE(Enabled(MainControl::kCancel));

  // A single send refused for want of a recipient no longer names the last member.
  window->OnGroupSendingToggled();
  window->StartSend();
  EXPECT_EQ(Receipt(), "No recipient!");
  EXPECT_EQ(Text(MainControl::kReceiptFrame), "Receipt:");
}

TEST_F(GroupGatewayTest, OrdersGoToEachNumberOrMemberAndARefusalFailsTheOrder) {
  AskForReceipts(false);
  gateway.SetDefaultAnswer(GatewayAnswer::Status(200));
  EXPECT_EQ(Order("N//+46 70-111 11 11,0702//Hej//kvitto.txt"), OrderOutcome::kAccepted);
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("46701111111", "0702"));
  EXPECT_THAT(book.dir().ReadFile("kvitto.txt"), HasSubstr("\"Group 0702\""));
  // The window is usable again, and the program waited three seconds.
  EXPECT_TRUE(Enabled(MainControl::kSend));
  EXPECT_EQ(loop.Elapsed().count(), 3000);

  // A refused number fails the order but not the others.
  gateway.SetAnswer("0702", GatewayAnswer::Status(450));
  EXPECT_EQ(Order("G//0701,0702,0703,//Hej"), OrderOutcome::kFailed);
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("46701111111", "0702", "0701", "0702", "0703"));
  EXPECT_EQ(Text(MainControl::kStatusLine), "1 of 3 members not sent, see the log");

  // A group is found in any letter case of the code page.
  gateway.SetAnswer("0702", GatewayAnswer::Status(200));
  book.AddToGroup(kFriends, "Anna", "0701");
  book.AddToGroup(kFriends, "Bertil", "0702");
  EXPECT_EQ(Order("G//vÄNNER//Hej alla"), OrderOutcome::kAccepted);
  const std::vector<std::string> sent = Sent("toPhoneNumber");
  EXPECT_THAT(std::vector(sent.begin() + 5, sent.end()), ElementsAre("0701", "0702"));
  // Group mode was entered for the order and left after it.
  EXPECT_FALSE(window->Groups().GroupMode());

  // An order in group mode leaves group mode on.
  window->OnGroupSendingToggled();
  EXPECT_EQ(Order("G//vänner//Hej"), OrderOutcome::kAccepted);
  EXPECT_TRUE(window->Groups().GroupMode());
}

// The frames the program wrote, as TRN, O or R and operation ("00 O30").
std::vector<std::string> FramesOnTheWire(const std::string& wire) {
  std::vector<std::string> frames;
  for (size_t stx = wire.find('\x02'); stx != std::string::npos; stx = wire.find('\x02', stx)) {
    size_t etx = wire.find('\x03', stx);
    std::string frame = wire.substr(stx + 1, etx - stx - 1);
    frames.push_back(frame.substr(0, 2) + " " + frame.substr(9, 1) + frame.substr(11, 2));
    stx = etx;
  }
  return frames;
}

class GroupModemTest : public ModemScenario {
 protected:
  GroupModemTest() {
    window->SetPhoneBookStore(&book.store());
    book.AddToGroup(kFriends, "Anna", "070-111 11 11");
    book.AddToGroup(kFriends, "Bertil", "0702222222");
    book.AddToGroup(kFriends, "Cecilia", "0703333333");
    window->OnGroupSendingToggled();
  }
  // An order given outside group mode.
  OrderOutcome Order(const std::string& text) {
    if (window->Groups().GroupMode()) window->OnGroupSendingToggled();
    window->SetCommandLineMode(true);
    return CommandLineSending(*window).ArgSandning(text);
  }
};

TEST_F(GroupModemTest, ThreeMembersGoAsThreeFramesOverOneCall) {
  window->Groups().SendToGroup();
  EXPECT_EQ(modem.DialCount(), 1);
  // Each notification is acknowledged before the next member's frame.
  EXPECT_THAT(FramesOnTheWire(port.Written()),
              ElementsAre("00 O30", "00 R01", "01 O30", "01 R01", "02 O30", "02 R01"));
  EXPECT_THAT(smsc.Problems(), IsEmpty());
  EXPECT_THAT(
      LogLines(),
      ElementsAre(HasSubstr("\"Anna 0701111111\",\"Message for 0701111111 delivered\""),
                  HasSubstr("\"Bertil 0702222222\",\"Message for 0702222222 delivered\""),
                  HasSubstr("\"Cecilia 0703333333\",\"Message for 0703333333 delivered\"")));
  EXPECT_EQ(statuses.Count("Hanging up..."), 2);  // the last exchange's end, then the run's
  EXPECT_TRUE(window->Groups().LastRunAccepted());

  // A refused member does not stop the call.
  smsc.Options().refused_recipients["0702222222"] = "06";
  TypeMessage(*window, "Hello");
  window->Groups().SendToGroup();
  EXPECT_EQ(modem.DialCount(), 2);
  EXPECT_THAT(FramesOnTheWire(port.Written().substr(port.Written().rfind("ATZ"))),
              ElementsAre("00 O30", "00 R01", "01 O30", "02 O30", "02 R01"));
  EXPECT_THAT(LogLines()[4], HasSubstr("\"Bertil 0702222222\",\"Wrong phonenumber\""));
  EXPECT_FALSE(window->Groups().LastRunAccepted());
}

TEST_F(GroupModemTest, DeferredMembersGoWithoutNotificationsAndCancelHangsUp) {
  window->State().deferred = true;
  window->State().delivery_time = "0612261600";
  window->Groups().SendToGroup();
  ASSERT_EQ(smsc.Submits().size(), 3u);
  // The deferred form always carries TRN 00.
  EXPECT_THAT(smsc.Submits(), Each(StartsWith("00/000")));
  EXPECT_THAT(smsc.Submits(), Each(HasSubstr("//1///1/0612261600//")));
  EXPECT_THAT(smsc.Acknowledgements(), IsEmpty());
  EXPECT_THAT(LogLines(), Each(HasSubstr("\"Message sent.\"")));

  // At 22 s the second member's exchange is settling.
  window->State().deferred = false;
  At(22000, [this] { window->CancelSend(); });
  window->Groups().SendToGroup();
  EXPECT_EQ(smsc.Submits().size(), 4u);
  const std::vector<std::string> log = LogLines();
  EXPECT_THAT(std::vector(log.begin() + 3, log.end()),
              ElementsAre(HasSubstr("\"Anna 0701111111\""),
                          HasSubstr("\"Bertil 0702222222\",\"Sending Cancelled.\"")));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(window->Groups().LastRunAccepted());
}

// A list of nobody dials nothing; forty numbers go over one call, TRN 00 to 39.
TEST_F(GroupModemTest, AListOrderGoesOverOneCallOnlyWhenItReachesSomebodyAndFailsForTheUnreached) {
  EXPECT_EQ(Order("N//none,-//Hej"), OrderOutcome::kFailed);
  EXPECT_EQ(port.OpenCount(), 0);
  EXPECT_THAT(LogLines(), ElementsAre(StartsWith("\"Group \",\"Not a number: none, skipped.\""),
                                      StartsWith("\"Group \",\"Not a number: -, skipped.\"")));
  EXPECT_EQ(Text(MainControl::kStatusLine), "2 of 2 members not sent, see the log");
  EXPECT_TRUE(Enabled(MainControl::kSend));

  EXPECT_EQ(Order("N//" + NumberList(40) + "//Hej"), OrderOutcome::kAccepted);
  EXPECT_EQ(modem.DialCount(), 1);
  ASSERT_EQ(smsc.Acknowledgements().size(), 40u);
  EXPECT_EQ(smsc.Acknowledgements()[39], "39/00019/R/01/A//74");
  EXPECT_THAT(smsc.Problems(), IsEmpty());
  EXPECT_EQ(LogLines().size(), 42u);

  // A positive answer counts without its notification; unreached members count against it.
  smsc.Options().notify = false;
  EXPECT_EQ(Order("N//0701//Hej"), OrderOutcome::kAccepted);
  EXPECT_EQ(Order("N//0701,//Hej"), OrderOutcome::kAccepted);
  EXPECT_EQ(Receipt(), "The operator didn´t send a receipt.");
  EXPECT_EQ(Text(MainControl::kStatusLine), "");
  EXPECT_EQ(Order("N//0701,0702//Hej"), OrderOutcome::kFailed);
  EXPECT_EQ(smsc.Submits().size(), 43u);
  EXPECT_EQ(Text(MainControl::kStatusLine), "1 of 2 members not sent, see the log");
}

}  // namespace
}  // namespace tolvane::testing
