// Every way the program writes a data file, with a full disk or a crash at
// each step of the write in turn: what the next reader finds is the old
// content or the whole new one, never a part, and a failure is reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "core/gateway_password_file.h"
#include "platform/ini_file.h"
#include "records/log_file.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

// One kind of write: the files as they stand before it, the write itself, and
// what a reader makes of the files afterwards.
struct Writer {
  std::string name;
  std::function<void(const TempDir&)> prepare;
  std::function<bool(const TempDir&)> write;
  std::function<std::string(const TempDir&)> read;
};

const LogRecord kRecord{"06.12.2026", "10:00", "Anna 46701234567", "Message sent.", "Hello"};

// The file's bytes; a missing file reads as an empty one, as both hold no record.
std::string FileText(const TempDir& dir, const std::string& name) {
  return fs::exists(dir.FilePath(name)) ? dir.ReadFile(name) : "";
}

std::set<std::string> Names(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

std::vector<Writer> Writers() {
  auto ini = [](const TempDir& dir) { return FileText(dir, "tolvmsg.ini"); };
  return {
      {"settings key",
       [](const TempDir& dir) {
         dir.WriteFile("tolvmsg.ini", "; mine\r\n[Modem]\r\nPort= 1\r\nLogg=1\r\n");
       },
       [](const TempDir& dir) {
         return IniFile::WriteString(dir.FilePath("tolvmsg.ini"), "Modem", "Port", "3");
       },
       ini},
      {"new settings file", [](const TempDir&) {},
       [](const TempDir& dir) {
         return IniFile::WriteString(dir.FilePath("tolvmsg.ini"), "Modem", "Port", "3");
       },
       ini},
      {"password file",
       [](const TempDir& dir) { ASSERT_TRUE(WriteGatewayPassword(dir.Folder(), "old secret")); },
       [](const TempDir& dir) { return WriteGatewayPassword(dir.Folder(), "new secret"); },
       // Encrypted anew each time: what counts is what reads back.
       [](const TempDir& dir) { return ReadGatewayPassword(dir.Folder()); }},
      {"log", [](const TempDir& dir) { dir.WriteFile(kLogFileName, kRecord.ToLine()); },
       [](const TempDir& dir) { return WriteLogRecord(dir.Folder(), kRecord) == 0; },
       [](const TempDir& dir) { return FileText(dir, kLogFileName); }},
      {"receipt file", [](const TempDir&) {},
       [](const TempDir& dir) { return Skriv_Kvitto(dir.Folder(), "kvitto.txt", kRecord) == 0; },
       [](const TempDir& dir) { return FileText(dir, "kvitto.txt"); }},
  };
}

class FileFaultsTest : public ::testing::TestWithParam<Writer> {
 protected:
  // The files before and after a write without faults, and its step count.
  void SetUp() override {
    const Writer& writer = GetParam();
    TempDir dir;
    writer.prepare(dir);
    before_ = writer.read(dir);
    names_before_ = Names(dir);
    files_.Reset();
    ASSERT_TRUE(writer.write(dir));
    after_ = writer.read(dir);
    names_after_ = Names(dir);
    steps_ = files_.Steps();
    ASSERT_NE(before_, after_);
    ASSERT_GT(steps_, 0);
  }

  // The files as they stand before the write, and a fresh step count.
  void Prepare(const Writer& writer, const TempDir& dir) {
    files_.Reset();
    writer.prepare(dir);
    files_.Reset();
  }

  FaultyFileSystem files_;
  std::string before_;
  std::string after_;
  std::set<std::string> names_before_;
  std::set<std::string> names_after_;
  int steps_ = 0;
};

TEST_P(FileFaultsTest, AFullDiskAtAnyStepKeepsTheOldFileAndIsReported) {
  const Writer& writer = GetParam();
  for (int step = 0; step < steps_; ++step) {
    TempDir dir;
    Prepare(writer, dir);
    files_.FailAt(step);
    const bool written = writer.write(dir);
    const std::string found = writer.read(dir);
    // Only a failure to close a file whose data is all there may leave the
    // new content while reporting the error.
    EXPECT_TRUE(found == before_ || found == after_) << "step " << step << ": " << found;
    if (found == before_) EXPECT_FALSE(written) << "step " << step;
    if (written) EXPECT_EQ(found, after_) << "step " << step;
    // No temporary file is left behind.
    for (const std::string& name : Names(dir)) {
      EXPECT_TRUE(names_before_.count(name) + names_after_.count(name) > 0)
          << "step " << step << ": " << name;
    }
  }
}

TEST_P(FileFaultsTest, ACrashAtAnyStepLeavesTheOldOrTheWholeNewFile) {
  const Writer& writer = GetParam();
  for (int step = 0; step < steps_; ++step) {
    TempDir dir;
    Prepare(writer, dir);
    files_.CrashAt(step);
    writer.write(dir);
    ASSERT_TRUE(files_.Crashed());
    const std::string found = writer.read(dir);
    EXPECT_TRUE(found == before_ || found == after_) << "step " << step << ": " << found;
  }
}

INSTANTIATE_TEST_SUITE_P(Writes, FileFaultsTest, ::testing::ValuesIn(Writers()),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& c : name) {
                             if (c == ' ') c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace tolvane::testing
