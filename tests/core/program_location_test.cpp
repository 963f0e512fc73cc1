#include "core/program_location.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

constexpr char kInstalledData[] = "../share/tolvane/";
constexpr fs::perms kOwnerFile = fs::perms::owner_read | fs::perms::owner_write;

// A tree as a package installs it: the program in usr/bin, the empty phone
// book and the manual in usr/share/tolvane, and a home of its own.
class InstalledTree {
 public:
  InstalledTree() {
    fs::create_directories(root_.path() / "usr/bin");
    fs::create_directories(root_.path() / "usr/share/tolvane");
    root_.WriteFile("usr/share/tolvane/teledata.mdb", "empty phone book");
  }
  std::string Executable() const { return root_.FilePath("usr/bin/tolvane"); }
  std::string SharedData() const { return root_.Folder() + "usr/share/tolvane/"; }
  std::string UserFolder() const { return home_.Folder() + ".local/share/Tolvane/"; }
  const TempDir& root() const { return root_; }
  const TempDir& home() const { return home_; }

 private:
  TempDir root_;
  TempDir home_;
};

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

TEST(ProgramLocationTest, InstalledProgramFillsAnOwnerOnlyUserFolderOnce) {
  InstalledTree tree;
  ProgramLocation location =
      ProgramLocation::Choose(tree.Executable(), kInstalledData, tree.UserFolder());
  EXPECT_EQ(location.Folder(), tree.UserFolder());
  EXPECT_EQ(location.InstalledFolder(), tree.SharedData());

  ASSERT_TRUE(location.Prepare());
  const fs::path user = fs::path(tree.UserFolder()) / "teledata.mdb";
  EXPECT_EQ(fs::status(user.parent_path()).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(user).permissions(), kOwnerFile);

  // The user's own phone book is never replaced by the empty one.
  tree.home().WriteFile(".local/share/Tolvane/teledata.mdb", "Anna and Bo");
  ASSERT_TRUE(location.Prepare());
  EXPECT_EQ(tree.home().ReadFile(".local/share/Tolvane/teledata.mdb"), "Anna and Bo");
  EXPECT_EQ(tree.root().ReadFile("usr/share/tolvane/teledata.mdb"), "empty phone book");

  // Without a home the program stays in its folder.
  ProgramLocation homeless = ProgramLocation::Choose(tree.Executable(), kInstalledData, "");
  EXPECT_EQ(homeless.Folder(), tree.root().Folder() + "usr/bin/");
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
