// The message store on a disk that fills up and in a folder the program may
// not write: what is stored stays and nothing goes unrecorded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/program.h"
#include "platform/sqlite_phone_book_store.h"
#include "platform/store_error.h"
#include "support/transport_scenario.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;
using S = MessageState;

constexpr char kFull[] = "The message store could not be written: database or disk is full";

// Adds a run of `size` messages.
void AddRun(MessageStore& store, int size) {
  StoredRun run;
  run.kind = "group";
  run.transport = "SMPP";
  StoredMessage message;
  message.number = "070";
  message.text = "Hej";
  std::vector<StoredMessage> messages(size, message);
  store.AddRun(run, messages);
}

// Every message in the file, as another program finds it.
std::vector<StoredMessage> StoredIn(const std::string& path) {
  MessageStore reader(path);
  std::vector<StoredMessage> messages;
  for (std::int64_t id = 1; id <= reader.MessageCount(); ++id)
    messages.push_back(*reader.Message(id));
  return messages;
}

// A run of 40 with the disk full after every so many bytes of its
// transaction: it is added whole or not at all, and what was there stays.
TEST(MessageStoreFaultTest, AFullDiskAddsARunWholeOrNotAtAll) {
  TempDir dir;
  const std::string path = dir.FilePath("messages.db");
  FaultySqliteVfs vfs(path);
  MessageStore store(path);
  std::int64_t stored = 0;
  int refused = 0;
  for (int room = 0; room <= 60000; room += 1999) {
    vfs.FillAfter(room);
    try {
      AddRun(store, 40);
      stored += 40;
    } catch (const StoreError& error) {
      EXPECT_EQ(error.number(), kStoreErrorDiskFull);
      EXPECT_STREQ(error.what(), "database or disk is full");
      ++refused;
    }
    vfs.FillAfter(-1);
    EXPECT_EQ(MessageStore(path).MessageCount(), stored) << room;
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(stored, 0);
}

// The main window over SMPP or UCP/EMI, its store on the faulty layer, one
// message unanswered at a time.
class FullDiskScenario : public TransportScenario,
                         public ::testing::WithParamInterface<const char*> {
 protected:
  FullDiskScenario() : TransportScenario(GetParam()) {
    settings.transports.Get<SmppSettings>().Window = "1";
    settings.transports.Get<EmiSettings>().Window = "1";
    Open();
  }

  size_t Submits() const {
    return Smpp() ? provider_.Submissions().size() : centre_.Submissions().size();
  }
  // Each stored message's text and its parts' states, the disk with room again.
  std::vector<std::pair<std::string, std::vector<S>>> Stored() {
    vfs_.FillAfter(-1);
    std::vector<std::pair<std::string, std::vector<S>>> rows;
    for (const StoredMessage& message : StoredIn(path_)) {
      auto& row =
          rows.emplace_back(message.number + " " + message.text.substr(0, 3), std::vector<S>{});
      for (const StoredPart& part : message.parts) row.second.push_back(part.state);
    }
    return rows;
  }
};

INSTANTIATE_TEST_SUITE_P(BothTransports, FullDiskScenario, ::testing::Values("SMPP", "EMI"));

TEST_P(FullDiskScenario, ARunQueuedOnAFullDiskIsRefusedBeforeAnythingGoes) {
  Send("Hej");
  ASSERT_EQ(Submits(), 1u);
  vfs_.FillAfter(0);
  Send("Hej igen");
  EXPECT_EQ(Receipt(), kFull);
  SendToGroupOf(3, "Hej alla");
  EXPECT_EQ(Receipt(), kFull);
  EXPECT_EQ(Submits(), 1u);
  EXPECT_THAT(LogLines(), ElementsAre(StartsWith("\"Temporary number")));
  EXPECT_THAT(Stored(), ElementsAre(std::pair{"+46701234567 Hej", std::vector{S::kDelivered}}));
}

// The disk fills while the first member's second part waits for its answer:
// that answer is not recorded (the part stays writing, which a resume counts
// as unknown), and no later part goes, as none can be marked first; the last
// member's cut is not recorded either, so it keeps its one queued part.
TEST_P(FullDiskScenario, AFullDiskAtASubmitKeepsItFromGoingAndLosesNothing) {
  At(500, [&] { vfs_.FillAfter(0); });
  SendToGroupOf(3, std::string(200, 'a'));
  EXPECT_EQ(Submits(), 2u);
  const std::string refused = std::string("\",\"") + kFull + "\",\"aaa";
  EXPECT_THAT(LogLines(), ElementsAre(StartsWith("\"Member 101 701000001" + refused),
                                      StartsWith("\"Member 102 701000002" + refused),
                                      StartsWith("\"Member 100 701000000\",\"Message delivered.")));
  EXPECT_THAT(Stored(),
              ElementsAre(std::pair{"701000000 aaa", std::vector{S::kAccepted, S::kWriting}},
                          std::pair{"701000001 aaa", std::vector{S::kQueued, S::kQueued}},
                          std::pair{"701000002 aaa", std::vector{S::kQueued}}));
  vfs_.FillAfter(-1);
  EXPECT_EQ(MessageStore(path_).OpenRuns().size(), 1u);
}

// A program folder the program may not write, with or without a store in it:
// it starts, says why once, and refuses every send with the reason.
TEST(ReadOnlyFolderTest, TheProgramStartsSaysWhyOnceAndRefusesSends) {
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "existing store" : "no store");
    WindowPeripherals peripherals;
    sim::SimEventLoop loop;
    SqlitePhoneBookStore phone_book;
    MainWindowServices services = peripherals.Services(loop);
    services.message_store = nullptr;
    Program program(services, phone_book, peripherals.host);
    const std::string path = peripherals.book.Folder() + "messages.db";
    if (existing) {
      MessageStore store(path);
      AddRun(store, 1);
    }
    {
      FaultySqliteVfs vfs(path);
      vfs.SetReadOnly(true);
      ASSERT_TRUE(program.Startup(peripherals.book.Folder(), ""));
      const std::string reason = "The message store " + path + " cannot be opened: " +
                                 (existing ? "the file or its folder is read-only"
                                           : "the file or its folder cannot be written");
      EXPECT_THAT(peripherals.dialogs.Texts(),
                  ElementsAre(reason + "\r\nNothing can be sent until it can."));
      MainWindow& window = program.Window();
      window.OnTemporaryNumberToggled(true);
      window.OnNumberEdited("070 123");
      for (int send = 0; send < 2; ++send) {
        TypeMessage(window, "Hej");
        window.StartSend();
        EXPECT_EQ(window.Control(MainControl::kReceiptLine).text, reason);
      }
      EXPECT_EQ(peripherals.dialogs.Texts().size(), 1u);
    }
    EXPECT_EQ(std::filesystem::exists(path), existing);
    EXPECT_EQ(existing ? StoredIn(path).size() : 0u, existing ? 1u : 0u);
  }
}

}  // namespace
}  // namespace tolvane::testing
