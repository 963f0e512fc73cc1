#include "core/program_location.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/settings_file.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

constexpr char kInstalledData[] = "../share/tolvane/";
constexpr fs::perms kOwnerFile = fs::perms::owner_read | fs::perms::owner_write;

TEST(ProgramLocationTest, AWritableFolderIsAPortableProgramOnlyWithAPhoneBook) {
  TempDir folder;
  folder.WriteFile("teledata.mdb", "book");
  TempDir home;
  ProgramLocation location =
      ProgramLocation::Choose(folder.FilePath("tolvane"), kInstalledData, home.Folder() + "T/");
  EXPECT_EQ(location.Folder(), folder.Folder());
  EXPECT_TRUE(location.Prepare());
  EXPECT_TRUE(fs::is_empty(home.path()));

  // Without a phone book its data is kept per user; with nothing to fill that
  // folder, nothing is created and the start-up reports the missing phone book.
  fs::remove(folder.path() / "teledata.mdb");
  location =
      ProgramLocation::Choose(folder.FilePath("tolvane"), kInstalledData, home.Folder() + "T/");
  EXPECT_TRUE(location.PerUser());
  EXPECT_FALSE(location.Prepare());
  EXPECT_TRUE(fs::is_empty(home.path()));
}

// As a package installs it: the program in usr/bin, the empty phone book and
// the manual in usr/share/tolvane, and a home of its own.
TEST(ProgramLocationTest, InstalledProgramFillsAnOwnerOnlyUserFolderOnce) {
  TempDir root;
  TempDir home;
  fs::create_directories(root.path() / "usr/bin");
  fs::create_directories(root.path() / "usr/share/tolvane");
  root.WriteFile("usr/share/tolvane/teledata.mdb", "empty phone book");
  const std::string executable = root.FilePath("usr/bin/tolvane");
  const std::string user_folder = home.Folder() + ".local/share/Tolvane/";
  ProgramLocation location = ProgramLocation::Choose(executable, kInstalledData, user_folder);
  EXPECT_EQ(location.Folder(), user_folder);
  EXPECT_EQ(location.InstalledFolder(), root.Folder() + "usr/share/tolvane/");

  ASSERT_TRUE(location.Prepare());
  const fs::path user = fs::path(user_folder) / "teledata.mdb";
  EXPECT_EQ(fs::status(user.parent_path()).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(user).permissions(), kOwnerFile);

  // The user's own phone book is never replaced by the empty one.
  home.WriteFile(".local/share/Tolvane/teledata.mdb", "Anna and Bo");
  ASSERT_TRUE(location.Prepare());
  EXPECT_EQ(home.ReadFile(".local/share/Tolvane/teledata.mdb"), "Anna and Bo");
  EXPECT_EQ(root.ReadFile("usr/share/tolvane/teledata.mdb"), "empty phone book");

  // Without a home the program stays in its folder.
  EXPECT_EQ(ProgramLocation::Choose(executable, kInstalledData, "").Folder(),
            root.Folder() + "usr/bin/");
}

TEST(ProgramLocationTest, TheProgramFolderKeepsOneTrailingSeparator) {
  EXPECT_EQ(ProgramFolderOf("/tolvane"), "/");
  EXPECT_EQ(ProgramFolderOf("C:\\x\\prog.exe"), "C:\\x\\");
  EXPECT_EQ(ProgramFolderOf("C:\\prog.exe"), "C:\\");
  EXPECT_EQ(ProgramFolderOf("tolvane"), "");
}

TEST(ProgramLocationTest, ReadOnlyCopyCarriesItsPhoneBookAndManualBesideItself) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into every folder";
  TempDir folder;
  folder.WriteFile("teledata.mdb", "book");
  TempDir home;
  fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
  ProgramLocation location =
      ProgramLocation::Choose(folder.FilePath("tolvane"), kInstalledData, home.Folder() + "T/");
  fs::permissions(folder.path(), fs::perms::owner_all);
  EXPECT_TRUE(location.PerUser());
  EXPECT_EQ(location.InstalledFolder(), folder.Folder());
  ASSERT_TRUE(location.Prepare());
  EXPECT_EQ(home.ReadFile("T/teledata.mdb"), "book");
}

}  // namespace
}  // namespace tolvane
