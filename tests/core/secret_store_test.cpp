#include "core/secret_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/gateway_password_file.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

TEST(SecretStoreTest, EachNameKeepsItsOwnValue) {
  testing::TempDir dir;
  SecretStore store(dir.Folder());
  EXPECT_EQ(store.ReadSecret("smpp"), "");

  ASSERT_TRUE(store.WriteSecret("smpp", "firstå"));
  ASSERT_TRUE(store.WriteSecret("emi", "second"));
  ASSERT_TRUE(store.WriteSecret("smpp", "third"));
  ASSERT_TRUE(store.WriteSecret("emi", ""));  // leaves the old value
  EXPECT_EQ(store.ReadSecret("smpp"), "third");
  EXPECT_EQ(store.ReadSecret("emi"), "second");
  EXPECT_EQ(store.ReadSecret("gsm-pin"), "");
  EXPECT_EQ(fs::status(dir.path() / "secrets.dat").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  const std::string content = dir.ReadFile("secrets.dat");
  EXPECT_EQ(content.find("third"), std::string::npos);
  EXPECT_EQ(content.rfind("smpp=", 0), 0u);

  // The gateway password is user.dat's, as the settings dialog writes it.
  ASSERT_TRUE(store.WriteSecret("gateway", "gw"));
  EXPECT_EQ(ReadGatewayPassword(dir.Folder()), "gw");
  EXPECT_EQ(store.ReadSecret("gateway"), "gw");
  EXPECT_EQ(dir.ReadFile("secrets.dat"), content);

  // A secret forgotten reads empty; the others stay.
  ASSERT_TRUE(store.ForgetSecret("emi"));
  ASSERT_TRUE(store.ForgetSecret("emi"));
  EXPECT_EQ(store.ReadSecret("emi"), "");
  EXPECT_EQ(store.ReadSecret("smpp"), "third");
  EXPECT_FALSE(store.ForgetSecret("gateway"));
  EXPECT_EQ(store.ReadSecret("gateway"), "gw");
}

TEST(SecretStoreTest, ADamagedOrMovedLineReadsEmptyAndSpoilsNoOther) {
  testing::TempDir dir;
  SecretStore store(dir.Folder());
  ASSERT_TRUE(store.WriteSecret("smpp", "one"));
  ASSERT_TRUE(store.WriteSecret("emi", "two"));
  std::string content = dir.ReadFile("secrets.dat");
  const std::string smpp_line = content.substr(0, content.find("\r\n"));
  // A value copied under another name is not that name's.
  content.replace(content.find("emi="), 4, "xyz=");
  dir.WriteFile("secrets.dat",
                "garbage\r\nemi=" + smpp_line.substr(5) + "\n" + content + "gsm-pin=ÿ\r\n");
  EXPECT_EQ(store.ReadSecret("emi"), "");
  EXPECT_EQ(store.ReadSecret("gsm-pin"), "");
  EXPECT_EQ(store.ReadSecret("smpp"), "one");

  ASSERT_TRUE(store.WriteSecret("emi", "three"));
  EXPECT_EQ(store.ReadSecret("emi"), "three");
  EXPECT_EQ(store.ReadSecret("smpp"), "one");
  EXPECT_EQ(dir.ReadFile("secrets.dat").rfind("garbage\r\nemi=", 0), 0u);
}

}  // namespace
}  // namespace tolvane
