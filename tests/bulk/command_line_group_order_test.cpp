// Orders naming a list of numbers or a group, sent through the main window
// to the simulated gateway and modem.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/command_line_sending.h"
#include "bulk/group_sending.h"
#include "modem/modem_scenario.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"

namespace tolvane::testing {
namespace {

using sim::GatewayAnswer;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// "0700000001,0700000002,..." with `count` numbers.
std::string NumberList(int count) {
  std::string list;
  for (int i = 1; i <= count; ++i) list += (i > 1 ? "," : "") + std::to_string(700000000 + i);
  return list;
}

class GatewayOrderTest : public ::testing::Test, protected WindowPeripherals {
 protected:
  GatewayOrderTest() {
    settings.AccessTyp = "TCP";
    settings.EjKvitto = "1";
    settings.EjKvittoOn = true;
    window_.SetCommandLineMode(true);
    window_.SetPhoneBookStore(&book.store());
    window_.SetPhoneBookCursor(&book.cursor());
    history_.Follow(window_, loop_);
  }

  OrderOutcome Order(const std::string& text) { return sending_.ArgSandning(text); }
  std::vector<std::string> Sent(const char* field) const {
    std::vector<std::string> values;
    for (const sim::GatewayRequest& request : gateway_.Requests()) {
      values.push_back(request.Field(field));
    }
    return values;
  }
  const std::string& Text(MainControl control) const { return window_.Control(control).text; }

  sim::SimEventLoop loop_;
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop_, gateway_};
  MainWindow window_{settings, Services(loop_, client_), host};
  CommandLineSending sending_{window_};
  WindowHistory history_;
};

TEST_F(GatewayOrderTest, ListOfTwoNumbersIsSentToGroup) {
  EXPECT_EQ(Order("N//+46 70-111 11 11,0702//Hej//kvitto.txt"), OrderOutcome::kAccepted);
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("46701111111", "0702"));
  EXPECT_THAT(Sent("followingMessages"), ElementsAre("1", "0"));
  EXPECT_THAT(Sent("message"), ElementsAre("Hej", "Hej"));
  EXPECT_EQ(Text(MainControl::kReceiptFrame), "Receipt for sending to: Group");
  std::string receipts = book.dir().ReadFile("kvitto.txt");
  EXPECT_THAT(receipts, HasSubstr("\"Group 46701111111\""));
  EXPECT_THAT(receipts, HasSubstr("\"Group 0702\""));
  // The window is usable again, and the program waited three seconds.
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  EXPECT_FALSE(window_.State().write_receipt_file);
  EXPECT_EQ(loop_.Elapsed().count(), 3000);
}

TEST_F(GatewayOrderTest, RefusedNumberInAListFailsTheOrderButNotTheOthers) {
  gateway_.SetAnswer("0702", GatewayAnswer::Status(450));
  EXPECT_EQ(Order("N//0701,0702,0703,//Hej"), OrderOutcome::kFailed);
  EXPECT_EQ(gateway_.Requests().size(), 3u);
}

TEST_F(GatewayOrderTest, FortyNumbersGoAndFortyOneAreRefusedWhole) {
  EXPECT_EQ(Order("N//" + NumberList(40) + "//Hej"), OrderOutcome::kAccepted);
  ASSERT_EQ(gateway_.Requests().size(), 40u);
  EXPECT_EQ(Sent("followingMessages").front(), "39");
  EXPECT_EQ(Sent("followingMessages").back(), "0");

  EXPECT_EQ(Order("N//" + NumberList(41) + "//Hej"), OrderOutcome::kBadOrder);
  EXPECT_EQ(gateway_.Requests().size(), 40u);
  EXPECT_EQ(Text(MainControl::kReceiptLine), "More than 40 numbers in the order, nothing sent!");
}

TEST_F(GatewayOrderTest, GroupIsFoundInAnyLetterCaseOfTheCodePage) {
  book.AddToGroup("V\xE4nner", "Anna", "0701");
  book.AddToGroup("V\xE4nner", "Bertil", "0702");
  EXPECT_EQ(Order("G//v\xC4NNER//Hej alla"), OrderOutcome::kAccepted);
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701", "0702"));
  EXPECT_THAT(Sent("followingMessages"), ElementsAre("1", "0"));
  // Group mode was entered for the order and left after it.
  EXPECT_FALSE(window_.Groups().GroupMode());
  EXPECT_EQ(Text(MainControl::kGroupSending), "&Groupsending >>");
  EXPECT_EQ(Text(MainControl::kReceiptFrame), "Receipt for sending to: Bertil");
}

TEST_F(GatewayOrderTest, UnknownGroupSendsNothing) {
  book.AddToGroup("V\xE4nner", "Anna", "0701");
  EXPECT_EQ(Order("G//Fiender//Hej"), OrderOutcome::kBadOrder);
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Can\xB4t find the Fiender group!");
  // The people's own table is no group, in any letter case.
  EXPECT_EQ(Order("G//tELELIST//Hej"), OrderOutcome::kBadOrder);
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Can\xB4t find the tELELIST group!");
  EXPECT_THAT(gateway_.Requests(), IsEmpty());
  EXPECT_FALSE(window_.Groups().GroupMode());
}

TEST_F(GatewayOrderTest, HostileGroupNamesAreOnlyNames) {
  const std::vector<std::string> names = {"x\"; DROP TABLE Telelist; --", "[Fam] 'a'", "a;b"};
  for (const std::string& name : names) book.AddToGroup(name, "Anna", "0701");
  for (const std::string& name : names) {
    EXPECT_EQ(Order("G//" + name + "//Hej"), OrderOutcome::kAccepted) << name;
  }
  EXPECT_EQ(gateway_.Requests().size(), names.size());
  EXPECT_NO_THROW(book.store().OpenCursor(kPhoneBookTable));
}

TEST_F(GatewayOrderTest, GroupOrderInGroupModeLeavesGroupModeOn) {
  book.AddToGroup("Jobb", "Dora", "0704");
  window_.OnGroupSendingToggled();
  EXPECT_EQ(Order("G//jobb//Hej"), OrderOutcome::kAccepted);
  EXPECT_TRUE(window_.Groups().GroupMode());
}

TEST_F(GatewayOrderTest, MarkerGWithAListSendsTheList) {
  EXPECT_EQ(Order("G//0701,0702//Hej"), OrderOutcome::kAccepted);
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701", "0702"));
}

class ModemOrderTest : public ModemScenario {
 protected:
  ModemOrderTest() {
    window->SetCommandLineMode(true);
    window->SetPhoneBookStore(&book.store());
  }
  CommandLineSending sending{*window};
};

TEST_F(ModemOrderTest, FortyNumbersGoOverOneCallWithReferences00To39) {
  EXPECT_EQ(sending.ArgSandning("N//" + NumberList(40) + "//Hej"), OrderOutcome::kAccepted);
  EXPECT_EQ(modem.DialCount(), 1);
  ASSERT_EQ(smsc.Submits().size(), 40u);
  EXPECT_EQ(smsc.Submits()[0].substr(0, 3), "00/");
  EXPECT_EQ(smsc.Submits()[39].substr(0, 3), "39/");
  ASSERT_EQ(smsc.Acknowledgements().size(), 40u);
  EXPECT_EQ(smsc.Acknowledgements()[39], "39/00019/R/01/A//74");
  EXPECT_THAT(smsc.Problems(), IsEmpty());
  EXPECT_EQ(window->Control(MainControl::kReceiptFrame).text, "Receipt for sending to: Group");
  EXPECT_EQ(LogLines().size(), 40u);
  EXPECT_THAT(LogLines(), Each(HasSubstr("\"Group 7000000")));
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(ModemOrderTest, ModemThatFailsToStartFailsTheOrder) {
  modem.Options().init_reply = sim::ModemOptions::InitReply::kError;
  EXPECT_EQ(sending.ArgSandning("N//0701,0702//Hej"), OrderOutcome::kFailed);
  EXPECT_EQ(Receipt(), "Error in Initstring!");
  EXPECT_THAT(smsc.Submits(), IsEmpty());
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
}

}  // namespace
}  // namespace tolvane::testing
