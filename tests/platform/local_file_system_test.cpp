#include "platform/local_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

// (The quick-message store's tests list and read real folders.)
TEST(LocalFileSystemTest, StampsAndRemovesFilesOfAFolder) {
  testing::TempDir dir;
  LocalFileSystem files;
  dir.WriteFile("a.txt", "Line one\r\nLine two");
  fs::create_directory(dir.path() / "sub");
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
