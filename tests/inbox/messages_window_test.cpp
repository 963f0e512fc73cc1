// The Messages window over a real store on the disk: conversations listed a
// page at a time, read, answered over the transport in use, searched, copied
// and deleted; and what a received message shows where the window is closed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/messages_scenario.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;
using ::testing::Pair;
using ConversationStoreTest = ConversationStore;
using MessagesWindowTest = MessagesScenario;

TEST_F(ConversationStoreTest, ReaderListsPagesSearchesMarksReadAndDeletes) {
  SendTo("+46701111111", "Hello Anna", 1);
  Receive("+46701111111", "Hi!\nSecond line", 3);
  SendTo("+46702222222", "50% off_sale", 2);
  Receive("+46703333333", "Who is this?", 4);
  Receive("+46703333333", "Hello?", 5);
  SendTo("+46703333333", "Still queued", 6, /*open=*/true);
  ConversationReader reader(path);

  EXPECT_EQ(reader.ConversationCount(), 3);
  auto summary = [](const Conversation& c) {
    return c.number + "|" + c.name + "|" + c.last_line + "|" + std::to_string(c.unread);
  };
  std::vector<std::string> all;
  for (const Conversation& c : reader.Conversations(0, 10)) all.push_back(summary(c));
  EXPECT_THAT(all, ElementsAre("+46703333333||Still queued|2", "+46701111111||Hi!|1",
                               "+46702222222|Bertil|50% off_sale|0"));
  ASSERT_EQ(reader.Conversations(1, 1).size(), 1u);
  EXPECT_EQ(reader.Conversations(1, 1)[0].number, "+46701111111");
  EXPECT_EQ(reader.Conversations(1, 1)[0].last_time, TimePoint(std::chrono::minutes(3)));
  EXPECT_THAT(reader.Conversations(3, 10), IsEmpty());

  // In time order, a page at a time.
  EXPECT_EQ(reader.MessageCount("+46703333333"), 3);
  EXPECT_THAT(reader.Messages("+46703333333", 1, 5),
              ElementsAre(Field(&StoredMessage::text, "Hello?"),
                          Field(&StoredMessage::text, "Still queued")));

  // Any letter case; % and _ are letters, not wildcards; numbers and names too.
  auto texts = [&](const std::string& query) {
    std::vector<std::string> found;
    for (const StoredMessage& m : reader.Search(query, 10)) found.push_back(m.text);
    return found;
  };
  EXPECT_THAT(texts("hello"), ElementsAre("Hello?", "Hello Anna"));
  EXPECT_THAT(texts("0% o"), ElementsAre("50% off_sale"));
  EXPECT_THAT(texts("f_s"), ElementsAre("50% off_sale"));
  EXPECT_THAT(texts("bertil"), ElementsAre("50% off_sale"));
  EXPECT_THAT(texts("3333333"), ElementsAre("Still queued", "Hello?", "Who is this?"));

  reader.MarkRead("+46703333333");
  EXPECT_EQ(reader.UnreadTotal(), 1);
  // A message of a run still open stays for the run to go on.
  reader.Delete("+46703333333");
  EXPECT_THAT(reader.Messages("+46703333333", 0, 5),
              ElementsAre(Field(&StoredMessage::text, "Still queued")));
  reader.Delete("+46701111111");
  EXPECT_EQ(reader.ConversationCount(), 2);
  EXPECT_EQ(reader.UnreadTotal(), 0);
}

TEST_F(MessagesWindowTest, AConversationArrivesIsReadAnsweredSearchedCopiedAndDeleted) {
  Receive("+46702222222", "Old news", 1);
  window->Refresh();
  EXPECT_EQ(window->ButtonText(), "Messages (1)");

  // Closed: a notice with the phone-book name and the first line only.
  window->Arrived(Receive("+46701111111", "Can we meet?\nAt six", 2));
  EXPECT_THAT(notifier.notices, ElementsAre(Pair("Anna", "Can we meet?")));
  EXPECT_EQ(window->ButtonText(), "Messages (2)");

  window->Open();
  EXPECT_EQ(window->ReceiveLine(), MessagesWindow::kCannotReceive);
  EXPECT_THAT(Rows(), ElementsAre("Anna|Can we meet?|1", "+46702222222|Old news|1"));
  EXPECT_FALSE(window->DeleteEnabled());

  window->OnConversationChosen("+46701111111");
  EXPECT_EQ(window->ShownTitle(), "Anna (+46701111111)");
  EXPECT_THAT(Shown(), ElementsAre("< Can we meet?\nAt six"));
  EXPECT_THAT(Rows(), ElementsAre("Anna|Can we meet?|0", "+46702222222|Old news|1"));
  EXPECT_EQ(window->ButtonText(), "Messages (1)");

  // Shown: no notice, read at once.
  window->Arrived(Receive("+46701111111", "Or seven?", 3));
  EXPECT_THAT(Shown(), ElementsAre("< Can we meet?\nAt six", "< Or seven?"));
  EXPECT_EQ(window->ButtonText(), "Messages (1)");
  EXPECT_EQ(notifier.notices.size(), 1u);

  // The main window's counter; the reply goes like an order to one number.
  main->OnMessageEdited("Draft of mine");
  main->OnTemporaryNumberToggled(true);
  main->OnNumberEdited("0705555555");
  window->OnReplyEdited("Seven is fine");
  EXPECT_EQ(window->Counter(), "147 left · 1 SMS");
  ASSERT_TRUE(window->SendEnabled());
  window->Send();
  ASSERT_EQ(smsc.Submits().size(), 1u);
  EXPECT_THAT(smsc.Submits()[0], ::testing::HasSubstr("46701111111"));
  EXPECT_EQ(window->Reply(), "");
  EXPECT_EQ(main->MessageText(), "Draft of mine");
  EXPECT_TRUE(main->Control(MainControl::kTemporaryNumber).checked);
  EXPECT_EQ(main->Control(MainControl::kNumberField).text, "0705555555");
  EXPECT_THAT(Shown(),
              ElementsAre("< Can we meet?\nAt six", "< Or seven?", "> Seven is fine delivered"));
  EXPECT_EQ(window->StatusLine(), main->ReceiptLine());
  EXPECT_THAT(Rows()[0], "Anna|Seven is fine|0");

  window->OnSearchEdited("SEVEN");
  EXPECT_THAT(Rows(), ElementsAre("Anna|Seven is fine|0", "Anna|Or seven?|0"));
  window->CopyMessage(1);
  EXPECT_EQ(clipboard.Text(), "Or seven?");

  // Asked first: No keeps it.
  window->DeleteShown();
  EXPECT_EQ(dialogs.boxes().back().text,
            "Delete the conversation with Anna (+46701111111) (3 messages)?");
  EXPECT_EQ(window->ShownMessages().size(), 3u);
  dialogs.QueueAnswer(MessageAnswer::kYes);
  window->DeleteShown();
  EXPECT_THAT(window->ShownMessages(), IsEmpty());
  window->OnSearchEdited("");
  EXPECT_THAT(Rows(), ElementsAre("+46702222222|Old news|1"));

  // A receipt that comes after the send shows in the conversation shown.
  const std::int64_t later = SendTo("+46701111111", "Later", 4, /*open=*/true);
  window->OnConversationChosen("+46701111111");
  store->SetPart({later, 0}, MessageState::kDelivered, "r", "", TimePoint());
  EXPECT_THAT(Shown(), ElementsAre("> Later delivered"));
}

TEST_F(MessagesWindowTest, AReplyOverTheLimitOrWithoutAConversationCannotGo) {
  settings.MaxParts = 1;
  window->Open();
  window->OnReplyEdited("Hi");
  EXPECT_FALSE(window->SendEnabled());
  // Open on no conversation: a notice all the same.
  window->Arrived(Receive("+46709999999", "Hi", 1));
  window->OnConversationChosen("+46709999999");
  EXPECT_TRUE(window->SendEnabled());
  window->OnReplyEdited(std::string(161, 'a'));
  EXPECT_TRUE(window->CounterOverLimit());
  EXPECT_FALSE(window->SendEnabled());
  window->OnReplyEdited(std::string(160, 'a'));
  EXPECT_TRUE(window->SendEnabled());
  // Closed, a flash message opens the window on its conversation at once,
  // without a notice.
  window->Closed();
  StoredMessage flash = Receive("+46708888888", "Ring mig!", 3);
  flash.flash = true;
  window->Arrived(flash);
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->ShownTitle(), "+46708888888");
  EXPECT_THAT(notifier.notices, ElementsAre(Pair("+46709999999", "Hi")));
}

TEST_F(MessagesWindowTest, ALongConversationShowsItsNewest500AndDeletesAll) {
  Sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 501) "
      "INSERT INTO messages (direction, number_typed, number, text, transport, created, state) "
      "SELECT 'in', '+46708888888', '+46708888888', 'No ' || i, 'GSM', "
      "printf('2026-01-01T00:%02d:%02d.000Z', i / 60, i % 60), 'received' FROM n");
  window->Open();
  window->OnConversationChosen("+46708888888");
  ASSERT_EQ(window->ShownMessages().size(), 500u);
  EXPECT_EQ(window->ShownMessages().front().text, "No 2");
  EXPECT_EQ(window->ShownMessages().back().text, "No 501");
  dialogs.QueueAnswer(MessageAnswer::kYes);
  window->DeleteShown();
  EXPECT_EQ(dialogs.boxes().back().text,
            "Delete the conversation with +46708888888 (501 messages)?");
  EXPECT_EQ(reader.MessageCount("+46708888888"), 0);
}

TEST_F(MessagesWindowTest, TheOptOutListTakesNumbersAsTheStoreKeepsThem) {
  window->Open();
  ASSERT_TRUE(window->OptOutsShown());
  // What is typed, and whether it can be added.
  const std::pair<const char*, bool> kTyped[] = {{"070-123 45 67", true},
                                                 {"+46 70 123 45 67", true},
                                                 {"0046709999999", true},
                                                 {"   ", false},
                                                 {"abc", false}};
  for (const auto& [typed, addable] : kTyped) {
    window->OnOptOutNumberEdited(typed);
    EXPECT_EQ(window->AddOptOutEnabled(), addable) << typed;
    window->AddOptOut();
  }
  EXPECT_THAT(window->OptOuts(), ElementsAre("+46701234567", "+46709999999", "0701234567"));
  window->RemoveOptOut(1);
  window->RemoveOptOut(2);
  EXPECT_THAT(window->OptOuts(), ElementsAre("+46701234567", "0701234567"));
  EXPECT_EQ(window->OptOutNumber(), "abc");
}

}  // namespace
}  // namespace tolvane::testing
