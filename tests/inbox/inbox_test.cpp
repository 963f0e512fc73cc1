// What the transports receive, kept in a real store on the simulated loop
// (parts in any order and twice are the receiving scenarios').
#include "inbox/inbox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "inbox/inbox_listener.h"
#include "sim/sim_event_loop.h"
#include "support/temp_dir.h"

namespace tolvane::testing {
namespace {

using sim::SimEventLoop;
using std::chrono::hours;
using std::chrono::minutes;
using ::testing::ElementsAre;
using R = ReceiveOutcome;

constexpr char kSender[] = "+46701234567";

class InboxTest : public ::testing::Test, public InboxHost, public InboxListener {
 protected:
  InboxTest() { Restart(); }

  // The program ends and starts again on the same store.
  void Restart() {
    inbox_.reset();
    store_.reset();
    store_ = std::make_unique<MessageStore>(path_);
    inbox_ = std::make_unique<Inbox>(store_.get(), loop_, *this, settings_);
    inbox_->AddListener(this);
  }
  R Take(const std::string& text, int index = 0, int total = 3, const std::string& time = "") {
    ReceivedPart part{.sender = kSender, .centre_time = time, .text = text, .encoding = "GSM"};
    if (index > 0) part.link = PartLink{.reference = 200, .total = total, .index = index};
    return inbox_->Take("SMPP", part);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const StoredMessage& message : arrived_) texts.push_back(message.text);
    return texts;
  }

  std::string NameOf(const std::string& number) override { return names_[number]; }
  void LogReceived(const std::string& sender, const std::string& text) override {
    log_.push_back(sender + " " + text);
  }
  void Arrived(const StoredMessage& message) override { arrived_.push_back(message); }

  TempDir dir_;
  std::string path_ = dir_.FilePath("messages.db");
  SimEventLoop loop_;
  InboxSettings settings_;
  std::map<std::string, std::string> names_{{kSender, "Åsa"}};
  std::unique_ptr<MessageStore> store_;
  std::unique_ptr<Inbox> inbox_;
  std::vector<std::string> log_;
  std::vector<StoredMessage> arrived_;
};

TEST_F(InboxTest, PartsWaitAcrossARestartAndAnIncompleteOneIsStoredAfterPartsWait) {
  settings_.PartsWait = 2;
  EXPECT_EQ(Take("A", 1, 4), R::kKept);
  Restart();
  EXPECT_EQ(Take("C", 3, 4), R::kKept);
  loop_.RunFor(hours(2) - minutes(1));
  EXPECT_TRUE(arrived_.empty());
  loop_.RunFor(minutes(2));
  EXPECT_THAT(Texts(), ElementsAre("A[…]C[…]"));
  EXPECT_EQ(store_->Message(arrived_[0].id)->part_count, 4);
  EXPECT_EQ(store_->Message(arrived_[0].id)->name, "Åsa");

  // Split by a restart, a message completes at once when its last part comes.
  EXPECT_EQ(Take("x", 2, 2), R::kKept);
  Restart();
  EXPECT_EQ(Take("w", 1, 2), R::kKept);
  EXPECT_THAT(Texts(), ElementsAre("A[…]C[…]", "wx"));
  // A part again after its message was stored is dropped.
  EXPECT_EQ(Take("w", 1, 2), R::kDuplicate);
}

TEST_F(InboxTest, AMessageDeliveredAgainIsKeptOnce) {
  // With a centre time stamp: the same stamp is the same message, however late.
  EXPECT_EQ(Take("Hej", 0, 0, "26-12-08 10:00:00 +01:00"), R::kKept);
  loop_.RunFor(hours(5));
  EXPECT_EQ(Take("Hej", 0, 0, "26-12-08 10:00:00 +01:00"), R::kDuplicate);
  EXPECT_EQ(Take("Hej", 0, 0, "26-12-08 10:05:00 +01:00"), R::kKept);
  // Without one: the same text within ten minutes.
  EXPECT_EQ(Take("Tack"), R::kKept);
  loop_.RunFor(minutes(9));
  EXPECT_EQ(Take("Tack"), R::kDuplicate);
  loop_.RunFor(minutes(2));
  EXPECT_EQ(Take("Tack"), R::kKept);
  EXPECT_THAT(Texts(), ElementsAre("Hej", "Hej", "Tack", "Tack"));
  EXPECT_EQ(inbox_->Take("GSM", {.sender = kSender, .text = "Ring!", .flash = true}), R::kKept);
  EXPECT_TRUE(arrived_.back().flash);
  // Without a store nothing is kept.
  Inbox without_store(nullptr, loop_, *this, settings_);
  EXPECT_EQ(without_store.Take("SMPP", {.sender = kSender, .text = "x"}), R::kNotKept);
}

TEST_F(InboxTest, AReplyInInternationalFormGoesOnInTheConversationOfItsNationalForm) {
  EXPECT_EQ(inbox_->Take("GSM", {.sender = "0701234567", .text = "Hej"}), R::kKept);
  EXPECT_EQ(inbox_->Take("GSM", {.sender = "+4670123456", .text = "Annan"}), R::kKept);
  EXPECT_EQ(Take("Svar"), R::kKept);
  ASSERT_EQ(arrived_.size(), 3u);
  EXPECT_EQ(arrived_[1].number, "+4670123456");
  EXPECT_EQ(arrived_[2].number, "0701234567");
  EXPECT_EQ(arrived_[2].number_typed, kSender);
}

TEST_F(InboxTest, StopAndStartWordsAsWholeMessagesIgnoringCaseSpacesAndPunctuation) {
  const std::pair<const char*, bool> kCases[] = {
      {"Stopp!", true},  {" s t a r t. ", false},
      {"avsluta", true}, {"stop now", true},  // not a stop word: no change
      {"START", false},  {"Stop, please", false}};
  for (const auto& [text, opted_out] : kCases) {
    SCOPED_TRACE(text);
    loop_.RunFor(minutes(11));
    EXPECT_EQ(Take(text), R::kKept);
    EXPECT_EQ(store_->OptedOut(kSender), opted_out);
  }
  settings_.StopWords = "SLUTA, Nej tack";
  settings_.StartWords = "";
  EXPECT_EQ(Take("nej TACK"), R::kKept);
  EXPECT_THAT(store_->OptOuts(), ElementsAre(kSender));
}

}  // namespace
}  // namespace tolvane::testing
