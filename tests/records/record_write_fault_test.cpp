// A send whose log or receipt file cannot be written (a full disk at any step
// of either write): the receipt line tells which file failed and why, the
// window is unlocked, and the other file gets its record.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/command_line_sending.h"
#include "support/crashing_file_system.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using ::testing::EndsWith;

class RecordWriteFaultTest : public ModemScenario {
 protected:
  void Send() { CommandLineSending(*window).ArgSandning("N//0701234567//Hello//kvitto.txt"); }

  CrashingFileSystem files;
  ProgramFileSystemScope scope{files};
};

TEST_F(RecordWriteFaultTest, AFullDiskAtAnyStepOfEitherFileIsReported) {
  Send();
  const std::string delivered = Receipt();
  ASSERT_EQ(files.steps(), 2);  // an append to each file
  for (int step = 0; step < 2; ++step) {
    SCOPED_TRACE("full disk at step " + std::to_string(step));
    files.FailAt(step, ENOSPC);
    Send();
    const bool log_failed = step == 0;
    EXPECT_EQ(Receipt(), log_failed ? "Error 28 while writing to logfile."
                                    : "Error: 28 while writing to file.");
    EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
    EXPECT_FALSE(window->Control(MainControl::kCancel).enabled);
    // (What stands in the failed file the file-fault tests show.) The other
    // gets its record.
    const std::string other = book.dir().ReadFile(log_failed ? "kvitto.txt" : kLogFileName);
    EXPECT_THAT(other, EndsWith("\"" + delivered + "\",\"Hello\"\r\n"));
  }
}

}  // namespace
}  // namespace tolvane::testing
