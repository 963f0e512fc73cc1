// The message store on its own: a run's rows through a send, the cut,
// receipts by reference, listeners and the file's version.
#include "store/message_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "platform/store_error.h"
#include "support/temp_dir.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;
using S = MessageState;

const TimePoint kNow = Clock::from_time_t(1796725800);  // 2026-12-08 12:30:00 UTC

StoredMessage Outgoing(const std::string& number, const std::string& transport = "SMPP") {
  StoredMessage message;
  message.number_typed = message.number = number;
  message.text = "Hej";
  message.transport = transport;
  message.created = kNow;
  return message;
}

// Adds a run of the messages; their ids.
std::vector<std::int64_t> AddRun(MessageStore& store, std::vector<StoredMessage> messages,
                                 const std::string& owner = "a") {
  StoredRun run;
  run.kind = "group";
  run.title = "Vänner";
  run.owner = owner;
  run.created = kNow;
  store.AddRun(run, messages);
  std::vector<std::int64_t> ids;
  for (const StoredMessage& message : messages) ids.push_back(message.id);
  return ids;
}

std::vector<S> PartStates(const MessageStore& store, std::int64_t id) {
  std::vector<S> states;
  const StoredMessage message = *store.Message(id);
  for (const StoredPart& part : message.parts) states.push_back(part.state);
  return states;
}

TEST(MessageStateTest, AMessageStandsWhereItsPartsDo) {
  const struct {
    std::vector<S> parts;
    S message;
  } cases[] = {
      {{}, S::kQueued},
      {{S::kQueued, S::kQueued}, S::kQueued},
      {{S::kWriting, S::kQueued}, S::kWriting},
      {{S::kAccepted, S::kQueued}, S::kWriting},
      {{S::kAccepted, S::kAccepted}, S::kAccepted},
      {{S::kDelivered, S::kAccepted}, S::kAccepted},
      {{S::kDelivered, S::kDelivered}, S::kDelivered},
      {{S::kDelivered, S::kRefused}, S::kRefused},
      {{S::kAccepted, S::kUnknown}, S::kUnknown},
      {{S::kUnknown, S::kFailed}, S::kFailed},
      {{S::kExpired, S::kDelivered}, S::kExpired},
      {{S::kRefused, S::kFailed}, S::kRefused},
      {{S::kReceived}, S::kReceived},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageStateOf(c.parts), c.message) << ::testing::PrintToString(c.parts.size());
  }
}

// (How a message's state follows its parts is the table above; the window's
// runs show the parts going from queued to delivered.)
TEST(MessageStoreTest, ARunKeepsItsAnswersAndIsClaimedOnceAndEndedLeavingASkippedOneRefused) {
  MessageStore store(":memory:");
  StoredMessage skipped = Outgoing("070");
  skipped.state = S::kRefused;
  skipped.detail = "No number";
  const auto ids = AddRun(store, {Outgoing("+4670111"), skipped});
  EXPECT_THAT(PartStates(store, ids[1]), ElementsAre());
  store.SetCut(ids[0], 2, 77, "gsm7");
  store.MarkWriting({{ids[0], 0}, {ids[0], 1}}, kNow);
  store.SetPart({ids[0], 0}, S::kAccepted, "id1", "", kNow);
  store.SetPart({ids[0], 1}, S::kAccepted, "id2", "", kNow);
  store.SetPart({ids[0], 1}, S::kDelivered, "", "", kNow);
  const StoredMessage sent = *store.Message(ids[0]);
  EXPECT_EQ(sent.reference, 77);
  EXPECT_EQ(sent.sent, kNow);
  EXPECT_EQ(sent.parts[1].ref, "id2");  // a receipt without a reference keeps the answer's
  EXPECT_EQ(store.PartsSentSince("SMPP", kNow), 2);
  EXPECT_EQ(store.PartsSentSince("SMPP", kNow + std::chrono::milliseconds(1)), 0);
  EXPECT_EQ(store.PartsSentSince("EMI", kNow), 0);

  // Only the owner it was taken from hands a run over, and only while it is open.
  const std::int64_t run = store.OpenRuns()[0].id;
  EXPECT_TRUE(store.ClaimRun(run, "a", "b"));
  EXPECT_FALSE(store.ClaimRun(run, "a", "c"));
  EXPECT_EQ(store.OpenRuns()[0].owner, "b");
  for (std::int64_t id : ids) store.RefuseQueued(id, "Sending Cancelled.", kNow);
  store.EndRun(run, kNow);
  EXPECT_TRUE(store.OpenRuns().empty());
  EXPECT_FALSE(store.ClaimRun(run, "b", "c"));
  EXPECT_EQ(store.Message(ids[0])->state, S::kAccepted);
  EXPECT_EQ(store.Message(ids[1])->state, S::kRefused);
  EXPECT_EQ(store.Message(ids[1])->detail, "No number");

  // A run to a national number goes on in the conversation kept under its
  // international form; one without such a conversation stays as typed.
  StoredMessage received = Outgoing("+46701234567");
  store.AddReceived(received);
  const auto joined = AddRun(store, {Outgoing("0701234567"), Outgoing("0709999999")});
  EXPECT_EQ(store.Message(joined[0])->number, "+46701234567");
  EXPECT_EQ(store.Message(joined[0])->number_typed, "0701234567");
  EXPECT_EQ(store.Message(joined[1])->number, "0709999999");
}

TEST(MessageStoreTest, EndingAMessageRefusesPartsNeverWrittenAndCallsWrittenOnesUnknown) {
  MessageStore store(":memory:");
  const auto ids = AddRun(store, {Outgoing("1")});
  store.SetCut(ids[0], 3, 5, "gsm7");
  store.MarkWriting({{ids[0], 0}, {ids[0], 1}}, kNow);
  store.SetPart({ids[0], 0}, S::kAccepted, "x", "", kNow);
  store.EndMessage(ids[0], "Unknown: the connection broke", kNow);
  EXPECT_THAT(PartStates(store, ids[0]), ElementsAre(S::kAccepted, S::kUnknown, S::kRefused));
  EXPECT_EQ(store.Message(ids[0])->state, S::kRefused);
  EXPECT_EQ(store.Message(ids[0])->final, kNow);
}

TEST(MessageStoreTest, ACutGrowsAndShrinksOnlyPartsNeverWritten) {
  MessageStore store(":memory:");
  const auto ids = AddRun(store, {Outgoing("1")});
  store.SetCut(ids[0], 3, 9, "ucs2");
  store.MarkWriting({{ids[0], 2}}, kNow);
  const struct {
    int parts;
    std::vector<std::pair<int, S>> left;
  } cuts[] = {
      {1, {{0, S::kQueued}, {2, S::kWriting}}},
      {4, {{0, S::kQueued}, {1, S::kQueued}, {2, S::kWriting}, {3, S::kQueued}}},
  };
  for (const auto& cut : cuts) {
    store.SetCut(ids[0], cut.parts, 9, "ucs2");
    const StoredMessage message = *store.Message(ids[0]);
    std::vector<std::pair<int, S>> left;
    for (const StoredPart& part : message.parts) left.emplace_back(part.index, part.state);
    EXPECT_EQ(left, cut.left) << cut.parts;
    EXPECT_EQ(message.part_count, cut.parts);
  }
}

TEST(MessageStoreTest, AReceiptFindsTheLatestPartWithItsReferenceOverItsOwnTransport) {
  MessageStore store(":memory:");
  // The same reference from three sends: two over SMPP, the last over EMI.
  const auto ids = AddRun(store, {Outgoing("1"), Outgoing("2"), Outgoing("3", "EMI")});
  for (std::int64_t id : ids) {
    store.SetCut(id, 2, 1, "gsm7");
    store.SetPart({id, 1}, S::kAccepted, "0701:081226123000", "", kNow);
  }
  store.SetPart({ids[0], 0}, S::kAccepted, "other", "", kNow);
  EXPECT_THAT(store.FindPart("SMPP", "0701:081226123000"), Optional(PartKey{ids[1], 1}));
  EXPECT_THAT(store.FindPart("EMI", "0701:081226123000"), Optional(PartKey{ids[2], 1}));
  EXPECT_THAT(store.FindPart("SMPP", "other"), Optional(PartKey{ids[0], 0}));
  EXPECT_EQ(store.FindPart("GSM", "0701:081226123000"), std::nullopt);
  EXPECT_EQ(store.FindPart("SMPP", ""), std::nullopt);  // parts never answered have no reference
}

// Listeners hear, once committed, of each outgoing message whose state
// changed, a recipient skipped at queueing too, and of nothing else.
TEST(MessageStoreTest, ListenersHearOfEachChangedStateOfAMessageSent) {
  struct : MessageStateListener {
    void MessageStateChanged(const MessageStateChange& change) override {
      heard.push_back(change.number + " " + std::string(StateName(change.from)) + ">" +
                      std::string(StateName(change.to)));
    }
    std::vector<std::string> heard;
  } listener;
  MessageStore store(":memory:");
  store.AddListener(&listener);
  StoredMessage skipped = Outgoing("+46702222222");
  skipped.state = S::kRefused;
  const std::int64_t id = AddRun(store, {Outgoing("+46701111111"), skipped})[0];
  store.SetCut(id, 2, 7, "GSM");
  store.MarkWriting({{id, 0}, {id, 1}}, kNow);
  for (const S state : {S::kAccepted, S::kDelivered}) {
    for (int part : {0, 1}) store.SetPart({id, part}, state, "r", "", kNow);
  }
  store.EndMessage(id, "Message delivered.", kNow);
  store.RemoveListener(&listener);
  store.SetPart({id, 0}, S::kFailed, "r", "", kNow);
  EXPECT_THAT(listener.heard,
              ElementsAre("+46702222222 queued>refused", "+46701111111 writing>accepted",
                          "+46701111111 accepted>delivered"));
}

// A file the program cannot use is refused with words the user can act on;
// an empty one (version 0) becomes a store.
TEST(MessageStoreTest, AFileOfANewerVersionOrNoDatabaseIsRefusedWithAClearText) {
  const struct {
    std::string content;
    int version;
    std::string error;
  } cases[] = {
      {"", 0, ""},
      {"", MessageStore::kSchemaVersion + 1,
       "it was written by a newer version of the program (schema " +
           std::to_string(MessageStore::kSchemaVersion + 1) + ", this one knows " +
           std::to_string(MessageStore::kSchemaVersion) + ")"},
      {"Namn;Telefon\r\nAnna;070\r\n", -1, "it is not a database"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    TempDir dir;
    const std::string path = dir.FilePath("messages.db");
    dir.WriteFile("messages.db", c.content);
    if (c.version > 0) {
      sqlite3* db = nullptr;
      sqlite3_open(path.c_str(), &db);
      sqlite3_exec(db, ("PRAGMA user_version = " + std::to_string(c.version)).c_str(), nullptr,
                   nullptr, nullptr);
      sqlite3_close(db);
    }
    try {
      MessageStore store(path);
      EXPECT_EQ(c.error, "");
      EXPECT_EQ(store.MessageCount(), 0);
    } catch (const StoreError& error) {
      EXPECT_EQ(error.what(), c.error);
      EXPECT_EQ(error.number(), kStoreErrorUnrecognizedFormat);
    }
  }
}

}  // namespace
}  // namespace tolvane::testing
