// Group runs over the simulated modem and SMS centre: every member through
// one call, frame after frame.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/group_sending.h"
#include "modem/modem_scenario.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr char kFriends[] = "V\xE4nner";

// The frames the program wrote, in order, each as its TRN, "/", O or R and
// the operation ("00 O30", "00 R01").
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

std::vector<std::string> Fields(const std::string& frame) {
  std::vector<std::string> fields(1);
  for (char c : frame) {
    if (c == '/') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

class GroupSendingModemTest : public ModemScenario {
 protected:
  GroupSendingModemTest() {
    window->SetPhoneBookStore(&book.store());
    book.AddToGroup(kFriends, "Anna", "070-111 11 11");
    book.AddToGroup(kFriends, "Bertil", "0702222222");
    book.AddToGroup(kFriends, "Cecilia", "0703333333");
  }

  void SendToFriends() {
    window->OnGroupSendingToggled();
    window->Groups().SendToGroup();
  }
};

TEST_F(GroupSendingModemTest, ThreeMembersGoAsThreeFramesOverOneCall) {
  SendToFriends();

  EXPECT_EQ(modem.DialCount(), 1);
  EXPECT_EQ(port.OpenCount(), 1);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(modem.Carrier());
  // Every notification is acknowledged, with its own reference, before the
  // next member's frame goes out.
  EXPECT_THAT(FramesOnTheWire(port.Written()),
              ElementsAre("00 O30", "00 R01", "01 O30", "01 R01", "02 O30", "02 R01"));
  EXPECT_THAT(port.Written(), HasSubstr("\x02"
                                        "02/00019/R/01/A//6A\x03"));
  ASSERT_EQ(smsc.Submits().size(), 3u);
  EXPECT_THAT(smsc.Submits()[0], HasSubstr("/O/30/0701111111/46707654321//1//////48656C6C6F/"));
  EXPECT_THAT(smsc.Submits()[2], HasSubstr("/O/30/0703333333/"));
  EXPECT_THAT(smsc.Problems(), IsEmpty());

  EXPECT_THAT(
      LogLines(),
      ElementsAre(HasSubstr("\"Anna 0701111111\",\"Message for 0701111111 delivered\""),
                  HasSubstr("\"Bertil 0702222222\",\"Message for 0702222222 delivered\""),
                  HasSubstr("\"Cecilia 0703333333\",\"Message for 0703333333 delivered\"")));
  EXPECT_EQ(window->Control(MainControl::kReceiptFrame).text, "Receipt for sending to: Cecilia");
  EXPECT_EQ(statuses.Count("Hanging up..."), 2);  // the last exchange's end, then the run's
  EXPECT_TRUE(window->Groups().LastRunAccepted());
  EXPECT_FALSE(window->Control(MainControl::kCancel).enabled);
  EXPECT_TRUE(window->Control(MainControl::kSendToGroup).enabled);
}

TEST_F(GroupSendingModemTest, RefusedMemberDoesNotStopTheCall) {
  smsc.Options().refused_recipients["0702222222"] = "06";
  SendToFriends();
  EXPECT_EQ(modem.DialCount(), 1);
  EXPECT_THAT(FramesOnTheWire(port.Written()),
              ElementsAre("00 O30", "00 R01", "01 O30", "02 O30", "02 R01"));
  EXPECT_THAT(LogLines(), ElementsAre(HasSubstr("delivered"),
                                      HasSubstr("\"Bertil 0702222222\",\"Wrong phonenumber\""),
                                      HasSubstr("delivered")));
  EXPECT_FALSE(window->Groups().LastRunAccepted());
}

TEST_F(GroupSendingModemTest, CancelAfterTheFirstMemberHangsUpWithTheOthersUnsent) {
  // The first member's exchange is over after about 21 s; the second one is
  // settling then.
  window->OnGroupSendingToggled();
  At(22000, [this] { window->CancelSend(); });
  window->Groups().SendToGroup();
  EXPECT_EQ(smsc.Submits().size(), 1u);
  EXPECT_THAT(LogLines(), ElementsAre(HasSubstr("\"Anna 0701111111\""),
                                      HasSubstr("\"Bertil 0702222222\",\"Sending Cancelled.\"")));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(window->State().sending);
  EXPECT_FALSE(window->Groups().LastRunAccepted());
}

TEST_F(GroupSendingModemTest, FailingDialIsLoggedUnderTheGroupsName) {
  modem.Options().outcome = sim::ModemOptions::DialOutcome::kNoCarrier;
  SendToFriends();
  EXPECT_THAT(smsc.Submits(), IsEmpty());
  EXPECT_EQ(Receipt(), "No answer, try again later.");
  EXPECT_THAT(LogLines(), ElementsAre(HasSubstr("\"V\xE4nner \",\"No answer, try again later.\"")));
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(GroupSendingModemTest, DeferredMembersGoAsDeferredFramesWithoutNotifications) {
  window->State().deferred = true;
  window->State().delivery_time = "0612261600";
  SendToFriends();
  ASSERT_EQ(smsc.Submits().size(), 3u);
  for (const std::string& frame : smsc.Submits()) {
    std::vector<std::string> fields = Fields(frame);
    ASSERT_EQ(fields.size(), 15u) << frame;
    EXPECT_EQ(fields[0], "00") << "the deferred form always carries TRN 00";
    EXPECT_EQ(std::stoul(fields[1]), frame.size());
    EXPECT_EQ(fields[7], "1");
    EXPECT_EQ(fields[10], "1");
    EXPECT_EQ(fields[11], "0612261600");
  }
  // 2 x 5 message characters + 38 + 10 + 11 digits.
  EXPECT_EQ(Fields(smsc.Submits()[0])[1], "00069");
  EXPECT_THAT(smsc.Acknowledgements(), IsEmpty());
  EXPECT_THAT(smsc.Problems(), IsEmpty());
  EXPECT_THAT(LogLines(),
              ElementsAre(HasSubstr("\"Message sent.\""), HasSubstr("\"Message sent.\""),
                          HasSubstr("\"Message sent.\"")));
  EXPECT_EQ(modem.DialCount(), 1);
}

}  // namespace
}  // namespace tolvane::testing
