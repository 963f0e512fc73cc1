// secrets.dat and user.dat: owner-only, nothing in clear, and a damaged line
// or file reads empty without spoiling any other secret; and the command that
// stores a secret from standard input.
#include "core/secret_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/gateway_password_file.h"
#include "core/store_secret_command.h"
#include "support/temp_dir.h"
#include "transports/transport_list.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr fs::perms kOwnerOnly = fs::perms::owner_read | fs::perms::owner_write;

class SecretStoreTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  SecretStore store_{dir_.Folder()};
};

TEST_F(SecretStoreTest, EachNameKeepsItsOwnValueAndTheGatewaysIsUserDats) {
  EXPECT_EQ(store_.ReadSecret("smpp"), "");
  ASSERT_TRUE(store_.WriteSecret("smpp", "firstå"));
  ASSERT_TRUE(store_.WriteSecret("emi", "second"));
  ASSERT_TRUE(store_.WriteSecret("smpp", "third"));
  ASSERT_TRUE(store_.WriteSecret("emi", ""));  // leaves the old value
  EXPECT_EQ(store_.ReadSecret("smpp"), "third");
  EXPECT_EQ(store_.ReadSecret("emi"), "second");
  EXPECT_EQ(store_.ReadSecret("gsm-pin"), "");
  EXPECT_EQ(fs::status(dir_.path() / "secrets.dat").permissions(), kOwnerOnly);
  const std::string content = dir_.ReadFile("secrets.dat");
  EXPECT_EQ(content.find("third"), std::string::npos);
  EXPECT_EQ(content.rfind("smpp=", 0), 0u);

  // user.dat: three bytes, 0xD5, the encrypted password and 0xC8 0xBB; then
  // the encrypted password alone on the second line.
  ASSERT_TRUE(store_.WriteSecret("gateway", "hemligtå"));
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "hemligtå");
  EXPECT_EQ(store_.ReadSecret("gateway"), "hemligtå");
  EXPECT_EQ(dir_.ReadFile("secrets.dat"), content);
  const std::string user_dat = dir_.ReadFile("user.dat");
  ASSERT_GT(user_dat.size(), 10u);
  const std::string encrypted = user_dat.substr(4, (user_dat.size() - 10) / 2);
  EXPECT_EQ(user_dat.substr(3), "\xD5" + encrypted + "\xC8\xBB\r\n" + encrypted + "\r\n");
  EXPECT_EQ(fs::status(dir_.path() / "user.dat").permissions(), kOwnerOnly);
  EXPECT_TRUE(WriteGatewayPassword(dir_.Folder(), ""));
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "hemligtå");

  // A secret forgotten reads empty; the others stay.
  ASSERT_TRUE(store_.ForgetSecret("emi"));
  ASSERT_TRUE(store_.ForgetSecret("emi"));
  EXPECT_EQ(store_.ReadSecret("emi"), "");
  EXPECT_EQ(store_.ReadSecret("smpp"), "third");
  EXPECT_FALSE(store_.ForgetSecret("gateway"));
  EXPECT_EQ(store_.ReadSecret("gateway"), "hemligtå");
}

TEST_F(SecretStoreTest, ADamagedOrMovedSecretReadsEmptyAndSpoilsNoOther) {
  ASSERT_TRUE(store_.WriteSecret("smpp", "one"));
  ASSERT_TRUE(store_.WriteSecret("emi", "two"));
  std::string content = dir_.ReadFile("secrets.dat");
  const std::string smpp_line = content.substr(0, content.find("\r\n"));
  // A value copied under another name is not that name's.
  content.replace(content.find("emi="), 4, "xyz=");
  dir_.WriteFile("secrets.dat",
                 "garbage\r\nemi=" + smpp_line.substr(5) + "\n" + content + "gsm-pin=ÿ\r\n");
  EXPECT_EQ(store_.ReadSecret("emi"), "");
  EXPECT_EQ(store_.ReadSecret("gsm-pin"), "");
  EXPECT_EQ(store_.ReadSecret("smpp"), "one");
  ASSERT_TRUE(store_.WriteSecret("emi", "three"));
  EXPECT_EQ(store_.ReadSecret("emi"), "three");
  EXPECT_EQ(store_.ReadSecret("smpp"), "one");
  EXPECT_EQ(dir_.ReadFile("secrets.dat").rfind("garbage\r\nemi=", 0), 0u);

  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "");
  ASSERT_TRUE(WriteGatewayPassword(dir_.Folder(), "secret"));
  std::string user_dat = dir_.ReadFile("user.dat");
  const size_t line2 = user_dat.find("\r\n") + 2;
  user_dat[line2 + 5] = user_dat[line2 + 5] == 'A' ? 'B' : 'A';
  for (const std::string& foreign : {user_dat, std::string(), std::string("one line only\r\n"),
                                     std::string("x\r\n\r\n"), std::string("RUB\xD5zz\r\n\xFF")}) {
    dir_.WriteFile("user.dat", foreign);
    EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "") << foreign;
  }
}

class StoreSecretCommandTest : public ::testing::Test {
 protected:
  int Run(const std::vector<std::string>& arguments, const std::string& input) {
    std::istringstream in(input);
    std::ostringstream error;
    const int status =
        StoreSecret(arguments, in, error, ProgramLocation(dir_.Folder()), ProgramTransports());
    error_ = error.str();
    return status;
  }

  testing::TempDir dir_;
  std::string error_;
};

// A refused command writes nothing and never repeats an argument, which may
// be the secret itself.
TEST_F(StoreSecretCommandTest, RefusesWhatItsTransportCouldNeverUseAndWritesNothing) {
  const std::string too_long = std::string(1025, 'x') + "\n";
  const std::string names = "NAME is one of: gateway, gsm-pin, smpp, emi, api, webhook\n";
  const struct {
    std::vector<std::string> arguments;
    std::string input;
    int status;
    std::string error;  // with status 2, a part of it
  } kRefused[] = {
      {{}, "pw\n", 2, names},
      {{"hunter2"}, "pw\n", 2, names},
      {{"gateway", "hunter2"}, "pw\n", 2, names},
      {{"gateway"}, "", 1, "No secret on standard input\n"},
      {{"gateway"}, "  \r\n", 1, "No secret on standard input\n"},
      {{"gateway"}, too_long, 1, "The secret on standard input is longer than 1024 bytes\n"},
      {{"gateway"}, "€ł\n", 1, "The secret holds characters outside Windows-1252\n"},
      {{"gsm-pin"}, "12a4\n", 1, "The SIM PIN must be 4 to 8 digits\n"},
      {{"gsm-pin"}, "123\n", 1, "The SIM PIN must be 4 to 8 digits\n"},
      {{"gsm-pin"}, "123456789\n", 1, "The SIM PIN must be 4 to 8 digits\n"},
      {{"smpp"}, "123456789\n", 1, "The SMPP password is longer than its 8 characters\n"},
  };
  for (const auto& run : kRefused) {
    SCOPED_TRACE(run.input);
    EXPECT_EQ(Run(run.arguments, run.input), run.status);
    if (run.status == 2) {
      EXPECT_THAT(error_, HasSubstr(run.error));
      EXPECT_THAT(error_, Not(HasSubstr("hunter2")));
    } else {
      EXPECT_EQ(error_, run.error);
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

TEST_F(StoreSecretCommandTest, TakesTheFirstLineWithoutBlanksUpToItsLimit) {
  EXPECT_EQ(Run({"gateway"}, "  p\xC3\xA5ss word \r\nsecond line\n"), 0) << error_;
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "påss word");
  EXPECT_EQ(Run({"gateway"}, std::string(1024, 'x') + "\r\n"), 0) << error_;
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), std::string(1024, 'x'));
  for (const auto& [name, secret] :
       {std::pair{"gsm-pin", "00000000"}, {"gsm-pin", "0000"}, {"smpp", "12345678"}}) {
    EXPECT_EQ(Run({name}, secret + std::string("\n")), 0) << error_;
    EXPECT_EQ(SecretStore(dir_.Folder()).ReadSecret(name), secret);
  }
  EXPECT_EQ(error_, "");
}

}  // namespace
}  // namespace tolvane
