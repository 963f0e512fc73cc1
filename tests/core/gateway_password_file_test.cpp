#include "core/gateway_password_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

class GatewayPasswordFileTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
};

TEST_F(GatewayPasswordFileTest, RoundTripThroughTwoLineFile) {
  ASSERT_TRUE(WriteGatewayPassword(dir_.Folder(), "hemligtå"));
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "hemligtå");

  // Three bytes, 0xD5, the encrypted password and 0xC8 0xBB; then the
  // encrypted password alone on the second line.
  const std::string content = dir_.ReadFile("user.dat");
  ASSERT_GT(content.size(), 10u);
  const std::string encrypted = content.substr(4, (content.size() - 10) / 2);
  EXPECT_EQ(content.substr(3), "\xD5" + encrypted + "\xC8\xBB\r\n" + encrypted + "\r\n");

  struct stat info;
  ASSERT_EQ(stat(dir_.FilePath("user.dat").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // An empty password leaves the old file.
  EXPECT_TRUE(WriteGatewayPassword(dir_.Folder(), ""));
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "hemligtå");
}

TEST_F(GatewayPasswordFileTest, MissingOrDamagedFileGivesEmptyPassword) {
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "");

  ASSERT_TRUE(WriteGatewayPassword(dir_.Folder(), "secret"));
  std::string content = dir_.ReadFile("user.dat");
  const size_t line2 = content.find("\r\n") + 2;
  content[line2 + 5] = content[line2 + 5] == 'A' ? 'B' : 'A';
  dir_.WriteFile("user.dat", content);
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "");

  for (const char* foreign :
       {"", "one line only\r\n", "x\r\n\r\n", "RUB\xD5zz\r\n\xFF\x00garbage"}) {
    dir_.WriteFile("user.dat", foreign);
    EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "") << foreign;
  }
}

}  // namespace
}  // namespace tolvane
