// Every way the program writes a data file, with a full disk (and for whole-file
// rewrites a crash) at each step: the next reader finds the old content or the
// whole new one, no temporary file stays behind, and a failure is reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "core/gateway_password_file.h"
#include "core/secret_store.h"
#include "platform/ini_file.h"
#include "records/log_file.h"
#include "records/quick_message_store.h"
#include "support/crashing_file_system.h"
#include "support/temp_dir.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

struct Writer {
  std::string name;
  bool rewrite;  // else an append
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
  auto write_key = [](const TempDir& dir) {
    return IniFile::WriteString(dir.FilePath("tolvmsg.ini"), "Modem", "Port", "3");
  };
  return {
      {"settings_key", true,
       [](const TempDir& dir) {
         dir.WriteFile("tolvmsg.ini", "; mine\r\n[Modem]\r\nPort= 1\r\nLogg=1\r\n");
       },
       write_key, ini},
      {"new_settings_file", true, [](const TempDir&) {}, write_key, ini},
      {"password_file", true,
       [](const TempDir& dir) { ASSERT_TRUE(WriteGatewayPassword(dir.Folder(), "old secret")); },
       [](const TempDir& dir) { return WriteGatewayPassword(dir.Folder(), "new secret"); },
       // Encrypted anew each time: what counts is what reads back.
       [](const TempDir& dir) { return ReadGatewayPassword(dir.Folder()); }},
      {"secrets_file", true,
       [](const TempDir& dir) {
         ASSERT_TRUE(SecretStore(dir.Folder()).WriteSecret("smpp", "old secret"));
         ASSERT_TRUE(SecretStore(dir.Folder()).WriteSecret("emi", "kept"));
       },
       [](const TempDir& dir) { return SecretStore(dir.Folder()).WriteSecret("smpp", "new"); },
       [](const TempDir& dir) {
         SecretStore store(dir.Folder());
         return store.ReadSecret("smpp") + " " + store.ReadSecret("emi");
       }},
      {"quick_messages", true,
       [](const TempDir& dir) {
         dir.WriteFile(kQuickMessageFileName, QuickMessageStore::Encode({"Hi", "Late"}));
       },
       [](const TempDir& dir) {
         QuickMessageStore store(ProgramFileSystem());
         if (store.Load(dir.Folder()) != 0) return false;
         // Written again after a crash, the list comes out the same.
         store.RemoveEqual("On my way");
         store.Append("On my way");
         return store.Save();
       },
       [](const TempDir& dir) { return FileText(dir, kQuickMessageFileName); }},
      {"log", false, [](const TempDir& dir) { dir.WriteFile(kLogFileName, kRecord.ToLine()); },
       [](const TempDir& dir) { return WriteLogRecord(dir.Folder(), kRecord) == 0; },
       [](const TempDir& dir) { return FileText(dir, kLogFileName); }},
      {"receipt_file", false, [](const TempDir&) {},
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
    names_ = Names(dir);
    CrashingFileSystem files;
    ProgramFileSystemScope scope(files);
    ASSERT_TRUE(writer.write(dir));
    after_ = writer.read(dir);
    for (const std::string& name : Names(dir)) names_.insert(name);
    steps_ = files.steps();
    ASSERT_NE(before_, after_);
    ASSERT_GT(steps_, 0);
  }

  std::string before_;
  std::string after_;
  std::set<std::string> names_;
  int steps_ = 0;
};

// A crash in the middle of an append may leave part of its last line,
// whatever the program does, so only rewrites are crashed.
TEST_P(FileFaultsTest, AFullDiskOrACrashAtAnyStepLeavesTheOldOrTheWholeNewFile) {
  const Writer& writer = GetParam();
  for (const bool crash : {false, true}) {
    for (int step = 0; step < steps_ && (writer.rewrite || !crash); ++step) {
      SCOPED_TRACE((crash ? "crash at step " : "full disk at step ") + std::to_string(step));
      TempDir dir;
      writer.prepare(dir);
      bool written = false;
      {
        CrashingFileSystem files;
        ProgramFileSystemScope scope(files);
        crash ? files.CrashAt(step) : files.FailAt(step);
        written = writer.write(dir);
        if (crash) {
          ASSERT_TRUE(files.crashed());
        }
      }
      const std::string found = writer.read(dir);
      EXPECT_TRUE(found == before_ || found == after_) << found;
      if (crash) {
        // The next run writes over what the crash left.
        ASSERT_TRUE(writer.write(dir));
        EXPECT_EQ(writer.read(dir), after_);
        continue;
      }
      if (found == before_) {
        EXPECT_FALSE(written);
      }
      if (written) {
        EXPECT_EQ(found, after_);
      }
      for (const std::string& name : Names(dir)) EXPECT_EQ(names_.count(name), 1u) << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Writes, FileFaultsTest, ::testing::ValuesIn(Writers()),
                         [](const ::testing::TestParamInfo<Writer>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace tolvane::testing
