// Runs cut short by a program that ended abruptly, continued by the next one
// over the simulated SMPP provider.
#include "bulk/run_resumption.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "core/secret_store.h"
#include "platform/local_time.h"
#include "platform/run_ownership.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_settings.h"
#include "smpp/smpp_time.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr MessageState Q = MessageState::kQueued;
constexpr MessageState W = MessageState::kWriting;
constexpr MessageState A = MessageState::kAccepted;
// Two parts in the GSM alphabet.
const std::string kText(200, 'x');

std::string Number(size_t member) { return "07010000" + std::to_string(member); }

// Owners other than this program's are gone.
struct OnlyThisOneRuns : RunOwnership {
  std::string Take() override { return "alive"; }
  bool Alive(const std::string& owner) override { return owner == "alive"; }
};

class RunResumptionTest : public WindowScenario {
 protected:
  RunResumptionTest() {
    settings.AccessTyp = "SMPP";
    settings.Avs = "+46 70-765 43 21";
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
    EXPECT_TRUE(SecretStore(settings.ProgramFolder).WriteSecret(kSmppSecret, "secret"));
    AskForReceipts(false);
    smpp_connection = &tcp_;
    Open(serial, http);
    window->ConfigureTransports();
    window->Messages().SetOwner(owners_.Take());
  }
  ~RunResumptionTest() override { window.reset(); }

  // A group run to Member 0, 1, ... left by a program now gone with each
  // message's parts in `states` (none: never cut).
  StoredRun LeaveRun(const std::vector<std::vector<MessageState>>& states,
                     std::optional<TimePoint> scheduled = {}, std::string kind = "group",
                     const std::vector<std::string>& texts = {}) {
    MessageLedger gone(loop);
    gone.Use(&messages);
    gone.SetOwner("gone");
    std::vector<RunRecipient> recipients;
    for (size_t i = 0; i < states.size(); ++i) {
      recipients.push_back(
          {"Member " + std::to_string(i), Number(i), "", 0, i < texts.size() ? texts[i] : ""});
    }
    const std::string title = kind == "group" ? "Vänner" : "";
    EXPECT_EQ(gone.BeginRun({kind, title, "", "SMPP", kText, scheduled}, recipients), "");
    for (size_t i = 0; i < states.size(); ++i) {
      const std::int64_t id = recipients[i].message_id;
      if (states[i].empty()) continue;
      gone.Cut(id, static_cast<int>(states[i].size()), 40 + static_cast<int>(i), "GSM");
      // It went: a cut message with nothing written counts as not sent yet.
      gone.MessageGoes(id);
      for (int part = 0; part < static_cast<int>(states[i].size()); ++part) {
        if (states[i][part] == Q) continue;
        EXPECT_EQ(gone.Writing({{id, part}}), "");
        if (states[i][part] == A) gone.Answered({id, part}, A, "ref", "");
      }
    }
    return messages.OpenRuns().back();
  }
  RunResumption Resumption() { return RunResumption(*window, files); }
  // Claims the runs cut short and continues each; true when all were accepted.
  bool ResumeAll() {
    RunResumption resumption = Resumption();
    bool accepted = true;
    for (const StoredRun& run : resumption.ClaimCutShort(owners_)) {
      accepted = resumption.Continue(run) && accepted;
    }
    return accepted;
  }
  OnlyThisOneRuns owners_;
  sim::SimSmppProvider provider_{Schedule(loop)};
  sim::SimTcpConnection tcp_{loop, provider_};
};

TEST_F(RunResumptionTest, EveryPartGoesOnceAndAnUnansweredOneOnlyWhenAskedTo) {
  // Per member: the parts that go now, "-" none; "U" when logged "Unknown".
  const struct {
    const char* point;
    std::vector<std::vector<MessageState>> states;
    bool resend;
    std::vector<std::string> sent;
  } cases[] = {
      {"before the first submit", {{}, {}, {}}, false, {"12", "12", "12"}},
      {"between a submit and its answer", {{W, Q}, {}, {}}, false, {"2U", "12", "12"}},
      {"after an answer", {{A, Q}, {Q, Q}, {}}, false, {"2", "12", "12"}},
      {"between members", {{A, A}, {}, {}}, false, {"-", "12", "12"}},
      {"written, never answered", {{A, A}, {W, W}, {}}, false, {"-", "U", "12"}},
      {"written, never answered, resent", {{A, A}, {A, W}, {}}, true, {"-", "2", "12"}},
      {"nothing left", {{A, A}, {A, A}}, false, {"-", "-"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.point);
    settings.transports.Get<SmppSettings>().ResendUnanswered = c.resend ? "1" : "0";
    LeaveRun(c.states);
    const size_t before = provider_.Submissions().size();
    const size_t logged = LogLines().size();
    const bool unknown = std::any_of(c.sent.begin(), c.sent.end(),
                                     [](const std::string& parts) { return parts.ends_with('U'); });
    EXPECT_EQ(ResumeAll(), !unknown);
    std::vector<std::string> sent(c.states.size());
    const std::vector<sim::SmppSubmission>& submits = provider_.Submissions();
    for (size_t i = before; i < submits.size(); ++i) {
      const std::string& udh = submits[i].short_message;
      ASSERT_EQ(udh.substr(0, 3), std::string("\x05\x00\x03", 3));
      const size_t member = submits[i].destination.value.back() - '0';
      sent[member] += std::to_string(udh[5]);
      // A message cut before keeps its reference.
      if (!c.states[member].empty()) {
        EXPECT_EQ(udh[3], 40 + static_cast<int>(member));
      }
    }
    // Every member is logged once.
    std::vector<std::string> log = LogLines();
    log.erase(log.begin(), log.begin() + logged);
    EXPECT_EQ(log.size(), c.states.size());
    for (size_t i = 0; i < sent.size(); ++i) {
      const std::string who = "\"Member " + std::to_string(i) + " " + Number(i) + "\",\"";
      const std::string text = "\",\"" + kText + "\"";
      if (std::count(log.begin(), log.end(), who + "Unknown" + text) == 1) {
        sent[i] += "U";
      } else {
        EXPECT_THAT(log, ::testing::Contains(who + "Message sent." + text)) << i;
      }
      if (sent[i].empty()) sent[i] = "-";
    }
    EXPECT_EQ(sent, c.sent);
    EXPECT_TRUE(messages.OpenRuns().empty());
    // Nothing is continued twice.
    EXPECT_TRUE(Resumption().ClaimCutShort(owners_).empty());
  }
}

// Each member's text goes as the store keeps it, braces and all.
TEST_F(RunResumptionTest, EachMemberKeepsItsOwnText) {
  const std::string first = "Hej Anna! " + std::string(190, 'a');
  LeaveRun({{A, Q}, {}}, {}, "group", {first, "Hej Bertil {x}!"});
  EXPECT_TRUE(ResumeAll());
  const std::vector<sim::SmppSubmission>& submits = provider_.Submissions();
  ASSERT_EQ(submits.size(), 2u);
  EXPECT_EQ(submits[0].part.text, first.substr(153));
  EXPECT_EQ(submits[1].part.text, "Hej Bertil {x}!");
  EXPECT_THAT(LogLines(), ElementsAre(HasSubstr(first), HasSubstr("\"Hej Bertil {x}!\"")));
}

TEST_F(RunResumptionTest, ADelayedMessageKeepsItsTimeOrIsRefusedAsLate) {
  const struct {
    int late_after;
    int minutes_ago;
    bool goes;
  } cases[] = {{0, 100000, true}, {60, 60, true}, {60, 61, false}, {1, -30, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.late_after) + "/" + std::to_string(c.minutes_ago));
    settings.LateAfter = c.late_after;
    const TimePoint due = loop.Now() - std::chrono::minutes(c.minutes_ago);
    const size_t before = provider_.Submissions().size();
    LeaveRun({{}}, due, "single");
    EXPECT_EQ(ResumeAll(), c.goes);
    EXPECT_EQ(provider_.Submissions().size() - before, c.goes ? 2u : 0u);
    if (!c.goes) {
      const std::string late = "Too late: it was to go at " + LocalTimeText(due, "%Y-%m-%d %H:%M") +
                               ", more than " + std::to_string(c.late_after) + " minutes ago.";
      EXPECT_EQ(LogLines().back(), "\"Member 0 070100000\",\"" + late + "\",\"" + kText + "\"");
      continue;
    }
    EXPECT_EQ(
        provider_.Submissions().back().schedule_delivery_time,
        c.minutes_ago < 0
            ? SmppAbsoluteTime(Clock::to_time_t(std::chrono::floor<std::chrono::minutes>(due)))
            : "");
  }
}

// A run the HTTP API queued without receipts asks for none on a later start.
TEST_F(RunResumptionTest, ARunKeepsItsReceiptChoice) {
  AskForReceipts(true);
  for (const bool receipt : {false, true}) {
    StoredRun run{.kind = "api", .transport = "SMPP", .owner = "gone", .receipt = receipt};
    std::vector<StoredMessage> queued{{.number_typed = Number(0), .text = "Hej"}};
    messages.AddRun(run, queued);
    EXPECT_TRUE(ResumeAll());
    EXPECT_EQ(provider_.Submissions().back().registered_delivery, receipt);
  }
}

TEST_F(RunResumptionTest, TheWindowAsksToContinueShowOrDrop) {
  const StoredRun group = LeaveRun({{A, A}, {A, Q}, {Q, Q}, {}});
  const StoredRun list = LeaveRun({{}, {}}, {}, "list");
  const StoredRun single = LeaveRun({{}}, {}, "single");
  RunResumption resumption = Resumption();
  EXPECT_EQ(resumption.ClaimCutShort(owners_).size(), 3u);
  EXPECT_EQ(resumption.Description(group), "A run to the group Vänner was cut short: 2 of 4 sent.");
  EXPECT_EQ(resumption.Description(list), "A run to 2 numbers was cut short: 0 of 2 sent.");
  EXPECT_EQ(resumption.Description(single), "A message to Member 0 was cut short.");

  // Show lists the members and asks again; Drop sends nothing.
  for (MessageAnswer answer : {MessageAnswer::kShow, MessageAnswer::kOk, MessageAnswer::kDrop}) {
    dialogs.QueueAnswer(answer);
  }
  resumption.Ask(group, dialogs);
  ASSERT_EQ(dialogs.boxes().size(), 3u);
  EXPECT_EQ(dialogs.boxes()[0].buttons, MessageButtons::kContinueShowDrop);
  EXPECT_THAT(dialogs.boxes()[1].text, HasSubstr("\r\nMember 1 070100001: writing"));
  EXPECT_THAT(dialogs.boxes()[1].text, HasSubstr("\r\nMember 2 070100002: queued"));
  EXPECT_EQ(dialogs.boxes()[2].text, dialogs.boxes()[0].text);
  EXPECT_TRUE(provider_.Submissions().empty());
  std::vector<std::string> states;
  for (const StoredMessage& message : messages.RunMessages(group.id)) {
    states.push_back(std::string(StateName(message.state)) + " " + message.detail);
  }
  // The member taken before the stop is logged as its run would have.
  EXPECT_THAT(states, ElementsAre("accepted Message sent.", "refused Dropped.", "refused Dropped.",
                                  "refused Dropped."));

  // A box closed unanswered leaves the run for the next start.
  resumption.Ask(list, dialogs);
  EXPECT_EQ(messages.OpenRuns().size(), 2u);
  dialogs.QueueAnswer(MessageAnswer::kContinue);
  resumption.Ask(list, dialogs);
  EXPECT_EQ(provider_.Submissions().size(), 4u);
  const std::string sent = "\",\"Message sent.\",\"" + kText + "\"";
  EXPECT_THAT(LogLines(), ElementsAre("\"Member 0 070100000" + sent, "\"Member 0 070100000" + sent,
                                      "\"Member 1 070100001" + sent));
  EXPECT_EQ(messages.OpenRuns().size(), 1u);
}

}  // namespace
}  // namespace tolvane::testing
