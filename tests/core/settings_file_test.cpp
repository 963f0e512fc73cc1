#include "core/settings_file.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tolvane
