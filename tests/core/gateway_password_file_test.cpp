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

  const std::string content = dir_.ReadFile("user.dat");
  const size_t first_end = content.find("\r\n");
  ASSERT_NE(first_end, std::string::npos);
  const std::string line1 = content.substr(0, first_end);
  const std::string line2 = content.substr(first_end + 2);
  ASSERT_GE(line2.size(), 2u);
  const std::string encrypted = line2.substr(0, line2.size() - 2);
  EXPECT_EQ(line2.substr(encrypted.size()), "\r\n");
  EXPECT_EQ(line1.size(), encrypted.size() + 6);
  EXPECT_EQ(line1[3], '\xD5');
  EXPECT_EQ(line1.substr(4, encrypted.size()), encrypted);
  EXPECT_EQ(line1.substr(line1.size() - 2), "\xC8\xBB");

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
