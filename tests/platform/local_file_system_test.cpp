#include "platform/local_file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using ::testing::UnorderedElementsAre;

TEST(LocalFileSystemTest, ListsReadsStampsAndRemovesFilesOfAFolder) {
  testing::TempDir dir;
  LocalFileSystem files;
  dir.WriteFile("a.txt", "Line one\r\nLine two");
  dir.WriteFile(".hidden", "");
  fs::create_directory(dir.path() / "sub");
  EXPECT_THAT(files.List(dir.Folder()), UnorderedElementsAre("a.txt", ".hidden", "sub"));

  std::string content;
  EXPECT_EQ(files.ReadFile(dir.FilePath("a.txt"), content), 0);
  EXPECT_EQ(content, "Line one\r\nLine two");
  EXPECT_EQ(files.ReadFile(dir.FilePath("missing"), content), ENOENT);

  std::optional<FileStamp> before = files.Stamp(dir.FilePath("a.txt"));
  ASSERT_TRUE(before.has_value());
  EXPECT_EQ(before->size, 18u);
  dir.WriteFile("a.txt", "Line one\r\nLine two\r\n");
  EXPECT_NE(files.Stamp(dir.FilePath("a.txt")), before);
  EXPECT_FALSE(files.Stamp(dir.FilePath("sub")).has_value());

  fs::permissions(dir.path() / "a.txt", fs::perms::owner_read);
  EXPECT_TRUE(files.Remove(dir.FilePath("a.txt")));
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
}

}  // namespace
}  // namespace tolvane
