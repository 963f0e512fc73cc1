#include "core/store_secret_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/gateway_password_file.h"
#include "core/secret_store.h"
#include "support/temp_dir.h"
#include "transports/transport_list.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

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

TEST_F(StoreSecretCommandTest, AWrongCommandLineListsTheNamesAndRepeatsNoArgument) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{}, {"hunter2"}, {"gateway", "hunter2"}}) {
    EXPECT_EQ(Run(arguments, "pw\n"), 2);
    EXPECT_THAT(error_, HasSubstr("NAME is one of: gateway, gsm-pin, smpp, emi\n"));
    EXPECT_THAT(error_, Not(HasSubstr("hunter2")));
  }
  EXPECT_TRUE(fs::is_empty(dir_.path()));
}

TEST_F(StoreSecretCommandTest, TakesTheFirstLineWithinItsLimit) {
  EXPECT_EQ(Run({"gateway"}, "  p\xC3\xA5ss word \r\nsecond line\n"), 0) << error_;
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "påss word");
  EXPECT_EQ(Run({"gateway"}, std::string(1024, 'x') + "\r\n"), 0) << error_;
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), std::string(1024, 'x'));
  EXPECT_EQ(error_, "");

  const std::string before = dir_.ReadFile(kGatewayPasswordFileName);
  for (const char* refused : {"", "\n", "  \r\n", "\xE2\x82\xAC\xC5\x82\n"}) {
    EXPECT_EQ(Run({"gateway"}, refused), 1) << refused;
    EXPECT_NE(error_, "");
  }
  EXPECT_EQ(Run({"gateway"}, ""), 1);
  EXPECT_EQ(error_, "No secret on standard input\n");
  EXPECT_EQ(Run({"gateway"}, std::string(1025, 'x') + "\n"), 1);
  EXPECT_THAT(error_, HasSubstr("longer than 1024 bytes"));
  EXPECT_EQ(dir_.ReadFile(kGatewayPasswordFileName), before);
}

TEST_F(StoreSecretCommandTest, ASecretItsTransportCouldNeverUseIsRefused) {
  EXPECT_EQ(Run({"gsm-pin"}, "12a4\n"), 1);
  EXPECT_EQ(error_, "The SIM PIN must be 4 to 8 digits\n");
  EXPECT_EQ(Run({"smpp"}, "123456789\n"), 1);
  EXPECT_EQ(error_, "The SMPP password is longer than its 8 characters\n");
  EXPECT_TRUE(fs::is_empty(dir_.path()));
  EXPECT_EQ(Run({"gsm-pin"}, "0000\n"), 0) << error_;
  EXPECT_EQ(Run({"smpp"}, "12345678\n"), 0) << error_;
  EXPECT_EQ(SecretStore(dir_.Folder()).ReadSecret("smpp"), "12345678");
}

}  // namespace
}  // namespace tolvane
