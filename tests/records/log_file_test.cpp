#include "records/log_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "records/log_record.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using ::testing::Each;
using ::testing::ElementsAre;
using testing::TempDir;

LogRecord Record(const std::string& message) {
  return {"03/07/24", "09:05", "Anna 0701234567", "Message sent.", message};
}

std::vector<std::string> Fields(const LogRecord& record) {
  return {record.date, record.time, record.recipient, record.result, record.message};
}

TEST(LogRecordTest, OneLineOfQuotedFieldsThatReadsBack) {
  LogRecord record{"d", "t", "Anna \"A\" 070", "Message\r\nsent.", "Say \"hi\",\r\nthen\ngo"};
  // (The fuzz target reads every record written back.)
  EXPECT_EQ(record.ToLine(),
            "\"d\",\"t\",\"Anna 'A' 070\",\"Message sent.\",\"Say 'hi', then go\"\r\n");

  // Fields are the texts between quote pairs, whatever stands outside them.
  EXPECT_THAT(Fields(LogRecord::FromLine("\"a\",\"b\" ,\"c,d\",\"\",\"e\"")),
              ElementsAre("a", "b", "c,d", "", "e"));
  EXPECT_THAT(Fields(LogRecord::FromLine("\"a\",\"b\",\"c")), ElementsAre("a", "b", "", "", ""));
  EXPECT_THAT(Fields(LogRecord::FromLine("no quotes at all")), Each(""));
  // The receipt file words a cancelled send its own way.
  EXPECT_EQ(ReceiptResult(true, "Busy"), "Sending cancelled");
  EXPECT_EQ(ReceiptResult(false, "Busy"), "Busy");
}

// Where the receipt file lands whatever the current folder is, the end-to-end
// runs show.
TEST(LogFileTest, LogAndReceiptFilesAppendOwnerOnlyRecordsThatReadBackLineByLine) {
  TempDir program;
  TempDir elsewhere;
  EXPECT_TRUE(ReadLogRecords(program.Folder()).empty());
  for (const char* message : {"first", "second"}) {
    ASSERT_EQ(WriteLogRecord(program.Folder(), Record(message)), 0);
    ASSERT_EQ(Skriv_Kvitto(program.Folder(), "kvitto.txt", Record(message)), 0);
  }
  const std::string lines = Record("first").ToLine() + Record("second").ToLine();
  EXPECT_EQ(program.ReadFile("loggfil.txt"), lines);
  EXPECT_EQ(program.ReadFile("kvitto.txt"), lines);
  const fs::perms owner = fs::perms::owner_read | fs::perms::owner_write;
  EXPECT_EQ(fs::status(program.path() / "loggfil.txt").permissions(), owner);
  EXPECT_EQ(fs::status(program.path() / "kvitto.txt").permissions(), owner);

  // A receipt file that another program shares keeps the mode it was given.
  const fs::perms shared = owner | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(program.path() / "kvitto.txt", shared);
  ASSERT_EQ(Skriv_Kvitto(program.Folder(), "kvitto.txt", Record("third")), 0);
  EXPECT_EQ(fs::status(program.path() / "kvitto.txt").permissions(), shared);

  // A name with a separator is used unchanged.
  ASSERT_EQ(Skriv_Kvitto(program.Folder(), elsewhere.FilePath("r.txt"), Record("a")), 0);
  EXPECT_EQ(elsewhere.ReadFile("r.txt"), Record("a").ToLine());
  EXPECT_EQ(ReceiptFilePath("/p/", "C:\\out\\kvitto.txt"), "C:\\out\\kvitto.txt");

  // Bare line feeds end lines too. (The log viewer shows the limit of 300.)
  program.WriteFile("loggfil.txt", "\"a\",\"b\",\"c\",\"d\",\"e\"\n\"f\"");
  std::vector<LogRecord> records = ReadLogRecords(program.Folder());
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].date, "f");
}

}  // namespace
}  // namespace tolvane
