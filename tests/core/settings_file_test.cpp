#include "core/settings_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

TEST(ProgramFolderOfTest, KeepsOneTrailingSeparator) {
  EXPECT_EQ(ProgramFolderOf("/opt/tolvane/tolvane"), "/opt/tolvane/");
  EXPECT_EQ(ProgramFolderOf("/tolvane"), "/");
  EXPECT_EQ(ProgramFolderOf("C:\\x\\prog.exe"), "C:\\x\\");
  EXPECT_EQ(ProgramFolderOf("C:\\prog.exe"), "C:\\");
  EXPECT_EQ(ProgramFolderOf("tolvane"), "");
  EXPECT_EQ(SettingsFile(ProgramFolderOf("/tolvane")).Path(), "/tolvmsg.ini");
}

TEST(SettingsFileTest, ReadsAndWritesTolvmsgIni) {
  testing::TempDir dir;
  SettingsFile file(dir.Folder());
  EXPECT_EQ(file.ReadSetting("Modem", "Port", "2"), "2");
  ASSERT_TRUE(file.WriteSetting("Modem", "Port", "4"));
  EXPECT_EQ(file.ReadSetting("Modem", "Port", "2"), "4");
  EXPECT_TRUE(FileExists(dir.FilePath("tolvmsg.ini")));
  EXPECT_FALSE(FileExists(dir.FilePath("missing")));
  EXPECT_FALSE(FileExists(dir.path().string()));
}

}  // namespace
}  // namespace tolvane
