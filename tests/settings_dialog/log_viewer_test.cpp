#include "settings_dialog/log_viewer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "records/log_file.h"
#include "records/log_record.h"
#include "support/fake_dialogs.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;

class LogViewerTest : public ::testing::Test {
 protected:
  void WriteLog(int lines) {
    std::string log;
    for (int i = 1; i <= lines; ++i) {
      log += "\"2026-12-06\",\"10:" + std::to_string(i % 60) +
             "\",\"Anna 0701\",\"Message sent.\",\"" + "message " + std::to_string(i) + "\"\r\n";
    }
    dir_.WriteFile(kLogFileName, log);
  }
  const std::string& Text(LogControl control) const { return viewer_.Control(control).text; }

  testing::TempDir dir_;
  testing::FakeDialogs dialogs_;
  LogViewer viewer_{dir_.Folder(), dialogs_};
};

// Jumps outside the records shown are refused.
TEST_F(LogViewerTest, ALongLogShowsItsFirst300RecordsAndJumpsOnlyToThem) {
  WriteLog(350);
  viewer_.Read();
  EXPECT_EQ(viewer_.RecordCount(), 300);
  EXPECT_EQ(Text(LogControl::kMessage), "message 1");

  viewer_.Last();
  EXPECT_EQ(Text(LogControl::kRecordNumber), "300");
  EXPECT_EQ(Text(LogControl::kMessage), "message 300");
  viewer_.Next();
  EXPECT_EQ(dialogs_.beeps(), 1);
  viewer_.First();
  viewer_.Previous();
  EXPECT_EQ(dialogs_.beeps(), 2);
  EXPECT_EQ(viewer_.Current(), 1);

  for (const char* typed : {"0", "301", "abc", "-3", "99999999999999"}) {
    viewer_.EditGoToBox(typed);
    viewer_.GoTo();
  }
  EXPECT_EQ(dialogs_.boxes().size(), 5u);
  EXPECT_EQ(dialogs_.boxes()[0].text, "Wrong record!");
  EXPECT_EQ(viewer_.Current(), 1);
  viewer_.EditGoToBox(" 300x");
  viewer_.GoTo();
  EXPECT_EQ(Text(LogControl::kMessage), "message 300");
  EXPECT_EQ(dialogs_.boxes().size(), 5u);
}

// Deleting asks first and clears the view; failures are told and change
// nothing shown.
TEST_F(LogViewerTest, DeletingAsksFirstAndClearsTheViewAndFailuresChangeNothingShown) {
  viewer_.Read();
  viewer_.Delete();
  EXPECT_THAT(dialogs_.Texts(), ElementsAre("No logfile exist yet!", "No logfile exist yet!"));
  dialogs_.Clear();

  WriteLog(3);
  viewer_.Read();
  viewer_.Next();
  viewer_.Delete();  // answered No
  EXPECT_TRUE(std::filesystem::exists(dir_.FilePath(kLogFileName)));
  EXPECT_EQ(Text(LogControl::kMessage), "message 2");
  EXPECT_EQ(dialogs_.boxes()[0].text, "Are you sure?");
  // A log emptied by another program has no record to show.
  dir_.WriteFile(kLogFileName, "");
  viewer_.Read();
  EXPECT_EQ(dialogs_.Texts().back(), "Error reading the logfile!");
  EXPECT_EQ(viewer_.Current(), 2);
  EXPECT_EQ(Text(LogControl::kMessage), "message 2");

  // The log turns into something that cannot be deleted while the question is up.
  dialogs_.QueueAnswer(MessageAnswer::kYes);
  dialogs_.SetOnBox([this](const testing::FakeDialogs::Box&) {
    std::error_code ignored;
    std::filesystem::remove(dir_.FilePath(kLogFileName), ignored);
    std::filesystem::create_directories(dir_.path() / kLogFileName / "inside", ignored);
  });
  viewer_.Delete();
  EXPECT_EQ(dialogs_.boxes().back().text, "Error while deleting logfile!");

  dialogs_.SetOnBox(nullptr);
  std::filesystem::remove_all(dir_.path() / kLogFileName);
  WriteLog(3);
  viewer_.Read();
  dialogs_.QueueAnswer(MessageAnswer::kYes);
  viewer_.Delete();
  EXPECT_FALSE(std::filesystem::exists(dir_.FilePath(kLogFileName)));
  EXPECT_EQ(viewer_.RecordCount(), 0);
}

}  // namespace
}  // namespace tolvane
