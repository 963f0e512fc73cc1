#include "records/quick_message_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/local_file_system.h"
#include "support/quick_message_files.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using testing::QuickMessageRecords;

class QuickMessageStoreTest : public ::testing::Test {
 protected:
  std::vector<std::string> Messages() const { return testing::MessagesOf(store_); }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names = LocalFileSystem::Instance().List(dir_.Folder());
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempDir dir_;
  QuickMessageStore store_{LocalFileSystem::Instance()};
};

TEST_F(QuickMessageStoreTest, AnUnreadableStoreIsKeptAMissingOneCreatedAndAnOverfullOneKept) {
  // An unreadable store is reported and never overwritten.
  std::filesystem::create_directory(dir_.path() / "meddelnd.dat");
  EXPECT_EQ(store_.Load(dir_.Folder()), QuickMessageStore::kLoadError);
  store_.Append("Would replace what could not be read");
  EXPECT_FALSE(store_.Save());
  EXPECT_TRUE(std::filesystem::is_directory(dir_.path() / "meddelnd.dat"));

  // A missing store is created empty.
  std::filesystem::remove(dir_.path() / "meddelnd.dat");
  ASSERT_EQ(store_.Load(dir_.Folder()), 0);
  EXPECT_EQ(dir_.ReadFile("meddelnd.dat"), "");

  // Every record of an overfull store is kept (the fuzz target shows the
  // padding and a torn last record go).
  std::string bytes;
  for (int i = 1; i <= 55; ++i) bytes += QuickMessageRecords({"Message " + std::to_string(i)});
  dir_.WriteFile("meddelnd.dat", bytes);
  ASSERT_EQ(store_.Load(dir_.Folder()), 0);
  EXPECT_EQ(store_.Count(), 55);
  EXPECT_EQ(store_.RemoveEqual("Message 3"), 1);
  ASSERT_TRUE(store_.Save());
  EXPECT_EQ(dir_.ReadFile("meddelnd.dat").size(), 54u * 400);
}

// (The fuzz target loads the store, or its temporary file alone, under any
// letter case.) Beside the store the temporary file is an unfinished
// rewrite, and the store wins.
TEST_F(QuickMessageStoreTest, ALeftoverTemporaryFileBesideTheStoreLoses) {
  dir_.WriteFile("meddelnd.dat", QuickMessageRecords({"Saved", "Lists"}));
  dir_.WriteFile("Meddelnd.Tmp", QuickMessageRecords({"Half"}));
  ASSERT_EQ(store_.Load(dir_.Folder()), 0);
  EXPECT_THAT(Messages(), ElementsAre("Saved", "Lists"));
  store_.Append("New");
  ASSERT_TRUE(store_.Save());
  EXPECT_THAT(FolderEntries(), ElementsAre("meddelnd.dat"));
}

TEST_F(QuickMessageStoreTest, TextsAreCutToOneRecordAndEqualOnesGoByTheWalkRule) {
  ASSERT_EQ(store_.Load(dir_.Folder()), 0);
  store_.Append(std::string(399, 'x') + "yz");
  EXPECT_EQ(store_.Message(1), std::string(399, 'x') + "y");

  auto remove = [this](std::vector<std::string> list, const std::string& text) {
    EXPECT_EQ(store_.Load(dir_.Folder()), 0);  // the file is still empty
    for (const std::string& message : list) store_.Append(message);
    store_.RemoveEqual(text);
    return Messages();
  };
  // Of equal neighbours the first goes and the one that moved up stays.
  EXPECT_THAT(remove({"A", "A", "B"}, "A"), ElementsAre("A", "B"));
  EXPECT_THAT(remove({"A", "A", "A"}, "A"), ElementsAre("A"));
  // Equal messages apart are all removed; padding does not count.
  EXPECT_THAT(remove({"A", "B", "A ", "C", "A"}, "A  "), ElementsAre("B", "C"));
  // A message that differs is never removed.
  EXPECT_THAT(remove({"A", "a", "A!", " A"}, "A"), ElementsAre("a", "A!", " A"));
}

}  // namespace
}  // namespace tolvane
