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

// A refused command writes nothing and never repeats an argument, which may
// be the secret itself.
TEST_F(StoreSecretCommandTest, RefusesWhatItsTransportCouldNeverUseAndWritesNothing) {
  const std::string too_long = std::string(1025, 'x') + "\n";
  const struct {
    std::vector<std::string> arguments;
    std::string input;
    int status;
    std::string error;  // with status 2, a part of it
  } kRefused[] = {
      {{}, "pw\n", 2, "NAME is one of: gateway, gsm-pin, smpp, emi\n"},
      {{"hunter2"}, "pw\n", 2, "NAME is one of: gateway, gsm-pin, smpp, emi\n"},
      {{"gateway", "hunter2"}, "pw\n", 2, "NAME is one of: gateway, gsm-pin, smpp, emi\n"},
      {{"gateway"}, "", 1, "No secret on standard input\n"},
      {{"gateway"}, "  \r\n", 1, "No secret on standard input\n"},
      {{"gateway"}, too_long, 1, "The secret on standard input is longer than 1024 bytes\n"},
      {{"gateway"}, "€ł\n", 1, "The secret holds characters outside Windows-1252\n"},
      {{"gsm-pin"}, "12a4\n", 1, "The SIM PIN must be 4 to 8 digits\n"},
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
  EXPECT_EQ(Run({"gsm-pin"}, "00000000\n"), 0) << error_;
  EXPECT_EQ(Run({"smpp"}, "12345678\n"), 0) << error_;
  EXPECT_EQ(error_, "");
  EXPECT_EQ(SecretStore(dir_.Folder()).ReadSecret("gsm-pin"), "00000000");
  EXPECT_EQ(SecretStore(dir_.Folder()).ReadSecret("smpp"), "12345678");
}

}  // namespace
}  // namespace tolvane
