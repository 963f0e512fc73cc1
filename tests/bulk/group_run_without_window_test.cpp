// A group run needs only its GroupHost: driven here by a host of plain
// fields, with no main window, against the simulated gateway.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "bulk/group_host.h"
#include "bulk/group_sending.h"
#include "gateway/gateway_transport.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/fake_dialogs.h"
#include "text/text_helpers.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;

// Holds the lines and controls as fields and logs each ended send as
// "number: receipt line".
class FieldHost : public GroupHost {
 public:
  explicit FieldHost(sim::SimEventLoop& loop) : client(loop, gateway), loop_(loop) {
    settings_.AccessTyp = "TCP";
  }

  SendState& State() override { return state_; }
  const ProgramSettings& Settings() const override { return settings_; }
  EventLoop& Loop() override { return loop_; }
  void SetStatusLine(const std::string& text) override { status_ = text; }
  void SetReceiptLine(const std::string& text) override { receipt_ = text; }
  const std::string& ReceiptLine() const override { return receipt_; }
  void SetReceiptCaption(const std::string&) override {}
  const std::string& MessageText() const override { return message_; }
  void SetMessageText(const std::string& text) override { message_ = text; }
  bool UsePrefix2() const override { return false; }
  void Beep() override {}
  void StartReceiptTimer() override {}
  void StopReceiptTimer() override {}
  void EndSend() override {
    ended_.push_back(state_.recipient_number + ": " + receipt_);
    transport_.StopTimers();
    if (!state_.keep_line) transport_.HangUp();
    state_.ended = true;
  }
  void EndMember(const EndedMessage&) override {}
  void LogReceived(const std::string&, const std::string&) override {}

  Transport& ActiveTransport() override { return transport_; }
  void StartSend() override {}
  const ControlState& Control(MainControl c) const override { return controls_[Index(c)]; }
  const ListState& List(MainList l) const override { return lists_[Index(l)]; }
  void SetEnabled(MainControl c, bool enabled) override { Mutable(c).enabled = enabled; }
  void SetEnabled(MainList l, bool enabled) override { MutableList(l).enabled = enabled; }
  void SetChecked(MainControl c, bool checked) override { Mutable(c).checked = checked; }
  void RefreshRecipientList() override {}
  PhoneBookStore* PhoneBookStoreOrNull() const override { return nullptr; }
  bool CommandLineMode() const override { return true; }
  bool AutosendInProgress() const override { return false; }
  void SetAutosendInProgress(bool) override {}
  bool MailCheckRunning() const override { return false; }

  ControlState& Mutable(MainControl c) override { return controls_[Index(c)]; }
  ListState& MutableList(MainList l) override { return lists_[Index(l)]; }
  void Changed() override {}
  void RequestFocus(MainControl) override {}
  void LockWindow() override { Mutable(MainControl::kCancel).enabled = true; }
  void UpdateCharCount() override {}
  void OnDoubleToggled(bool) override {}
  void Rensa_Nummer(const std::string& nummer) override {
    state_.recipient_number = DigitsOf(nummer);
  }

  sim::SimGateway gateway;
  sim::SimHttpClient client;
  std::string status_;
  std::vector<std::string> ended_;

 private:
  template <typename E>
  static size_t Index(E e) {
    return static_cast<size_t>(e);
  }

  sim::SimEventLoop& loop_;
  ProgramSettings settings_;
  SendState state_;
  std::string receipt_;
  std::string message_;
  std::array<ControlState, static_cast<size_t>(MainControl::kCount)> controls_;
  std::array<ListState, static_cast<size_t>(MainList::kCount)> lists_;
  GatewayTransport transport_{*this, client};
};

TEST(GroupRunWithoutWindowTest, AListRunSendsEachNumberThroughItsHost) {
  sim::SimEventLoop loop;
  FieldHost host(loop);
  FakeDialogs dialogs;
  GroupSending groups(host, dialogs);
  host.gateway.SetAnswer("0702", sim::GatewayAnswer::Status(433));
  host.SetMessageText("Hej");
  groups.SetGroupMembers({"0701", "x", "0702"});
  groups.SandGruppAuto();

  std::vector<std::string> posted;
  for (const sim::GatewayRequest& request : host.gateway.Requests()) {
    posted.push_back(request.Field("toPhoneNumber") + " " + request.Field("message") + " " +
                     request.Field("followingMessages"));
  }
  EXPECT_THAT(posted, ElementsAre("0701 Hej 1", "0702 Hej 0"));
  EXPECT_THAT(host.ended_, ElementsAre("0701: Message delivered to recipients phone",
                                       ": Not a number: x, skipped.", "0702: Account don´t exist"));
  EXPECT_EQ(host.status_, "2 of 3 members not sent");
  EXPECT_EQ(groups.LastRunAcceptedCount(), 1);
  EXPECT_TRUE(host.Control(MainControl::kCancel).enabled);
  EXPECT_FALSE(host.List(MainList::kGroups).enabled);
}

}  // namespace
}  // namespace tolvane::testing
