#include "records/log_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

using testing::TempDir;

LogRecord Record(const std::string& message) {
  return {"03/07/24", "09:05", "Anna 0701234567", "Message sent.", message};
}

TEST(LogFileTest, AppendsRecordsAndReadsThemBack) {
  TempDir dir;
  ASSERT_EQ(WriteLogRecord(dir.Folder(), Record("first")), 0);
  ASSERT_EQ(WriteLogRecord(dir.Folder(), Record("second\r\nline")), 0);
  EXPECT_EQ(dir.ReadFile("loggfil.txt"),
            "\"03/07/24\",\"09:05\",\"Anna 0701234567\",\"Message sent.\",\"first\"\r\n"
            "\"03/07/24\",\"09:05\",\"Anna 0701234567\",\"Message sent.\",\"second line\"\r\n");
  std::vector<LogRecord> records = ReadLogRecords(dir.Folder());
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].message, "second line");
  EXPECT_EQ(records[1].date, "03/07/24");
}

TEST(LogFileTest, NewLogAndReceiptFilesAreOwnerOnlyAndOldOnesKeepTheirMode) {
  namespace fs = std::filesystem;
  TempDir dir;
  ASSERT_EQ(WriteLogRecord(dir.Folder(), Record("first")), 0);
  ASSERT_EQ(Skriv_Kvitto(dir.Folder(), "kvitto.txt", Record("first")), 0);
  const fs::perms owner = fs::perms::owner_read | fs::perms::owner_write;
  EXPECT_EQ(fs::status(dir.path() / "loggfil.txt").permissions(), owner);
  EXPECT_EQ(fs::status(dir.path() / "kvitto.txt").permissions(), owner);

  // A receipt file that another program shares keeps the mode it was given.
  const fs::perms shared = owner | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(dir.path() / "kvitto.txt", shared);
  ASSERT_EQ(Skriv_Kvitto(dir.Folder(), "kvitto.txt", Record("second")), 0);
  EXPECT_EQ(fs::status(dir.path() / "kvitto.txt").permissions(), shared);
}

TEST(LogFileTest, WriteErrorGivesTheErrorNumber) {
  TempDir dir;
  int error = WriteLogRecord(dir.Folder() + "missing/", Record("x"));
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(LogWriteErrorText(error), "Error 2 while writing to logfile.");
  EXPECT_EQ(ReceiptWriteErrorText(error), "Error: 2 while writing to file.");
}

TEST(LogFileTest, ReadsAtMost300Lines) {
  TempDir dir;
  std::string log;
  for (int i = 1; i <= 350; ++i) log += Record(std::to_string(i)).ToLine();
  dir.WriteFile("loggfil.txt", log);
  std::vector<LogRecord> records = ReadLogRecords(dir.Folder());
  ASSERT_EQ(records.size(), 300u);
  EXPECT_EQ(records.front().message, "1");
  EXPECT_EQ(records.back().message, "300");
}

TEST(LogFileTest, ReadToleratesBareLineFeedsAndMissingLog) {
  TempDir dir;
  EXPECT_TRUE(ReadLogRecords(dir.Folder()).empty());
  dir.WriteFile("loggfil.txt", "\"a\",\"b\",\"c\",\"d\",\"e\"\n\"f\"");
  std::vector<LogRecord> records = ReadLogRecords(dir.Folder());
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].message, "e");
  EXPECT_EQ(records[1].date, "f");
}

TEST(ReceiptFileTest, PlainNameLandsInProgramFolderWhateverTheCurrentDirectory) {
  TempDir program;
  TempDir elsewhere;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  int error = Skriv_Kvitto(program.Folder(), "kvitto.txt", Record("hi"));
  std::filesystem::current_path(previous);

  EXPECT_EQ(error, 0);
  EXPECT_EQ(program.ReadFile("kvitto.txt"), Record("hi").ToLine());
  EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "kvitto.txt"));
}

TEST(ReceiptFileTest, NameWithSeparatorIsUsedUnchanged) {
  TempDir program;
  TempDir other;
  ASSERT_EQ(Skriv_Kvitto(program.Folder(), other.FilePath("r.txt"), Record("a")), 0);
  ASSERT_EQ(Skriv_Kvitto(program.Folder(), other.FilePath("r.txt"), Record("b")), 0);
  EXPECT_EQ(other.ReadFile("r.txt"), Record("a").ToLine() + Record("b").ToLine());
  EXPECT_EQ(ReceiptFilePath("/p/", "C:\\out\\kvitto.txt"), "C:\\out\\kvitto.txt");
  EXPECT_EQ(ReceiptFilePath("/p/", "kvitto.txt"), "/p/kvitto.txt");
}

}  // namespace
}  // namespace tolvane
