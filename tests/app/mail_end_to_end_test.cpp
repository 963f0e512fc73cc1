// Runs the real program with its window offscreen (under memcheck with
// TOLVANE_MEMCHECK=1): "No&w" is pressed in the window, the mail waits on
// Dovecot, and the summary goes out through the gateway simulator to the
// person chosen in the recipient list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcessEnvironment>
#include <filesystem>
#include <string>

#include "core/settings_values.h"
#include "support/qt/dovecot_server.h"
#include "support/qt/program_run.h"
#include "support/qt/simulator_process.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kBin = TOLVANE_BIN_DIR;

class MailEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(dovecot_.Failure(), "");
    fs::copy_file(kBin / "tolvane", book_.dir().path() / "tolvane");
    book_.Add("Anna", "070-123 45 67");
  }

  testing::DovecotServer dovecot_;
  testing::TestPhoneBook book_;
  testing::SimulatorProcess gateway_;
};

TEST_F(MailEndToEndTest, NowInTheWindowTextsTheWaitingMailThroughTheGateway) {
  dovecot_.AddMessage("From: Bo Ek <bo@example.com>\nSubject: Lunch?\n\nAt noon.\n");
  dovecot_.AddMessage("From: =?UTF-8?Q?Bj=C3=B6rn?= <b@example.com>\nSubject: Invoice\n\n.\n");
  const std::string gateway =
      gateway_.Start("gateway-sim", {"--port", "0"}, testing::kGatewayAddress);
  book_.dir().WriteFile(
      "tolvmsg.ini",
      "[Access]\r\nAccessTyp=TCP\r\n[TCP]\r\nTCPGateway=" + gateway +
          "\r\n[Modem]\r\nLogg=1\r\n[RAS]\r\nRasY/N=1\r\n[Mail]\r\nMailServer=pop3://127.0.0.1:" +
          std::to_string(dovecot_.PlainPort()) +
          "\r\nMailUserName=" + testing::DovecotServer::kUser +
          "\r\nMailPassWord=" + ShiftPassword(testing::DovecotServer::kPassword).value() + "\r\n");

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("QT_PLUGIN_PATH", QString::fromStdString((kBin / "test-plugins").string()));
  environment.insert("QT_QPA_GENERIC_PLUGINS", "tolvanedriver:No&w");
  const testing::ProgramRun run = testing::RunProgram(book_.dir().path() / "tolvane", {},
                                                      environment, book_.dir().path(), 150000);
  const std::string& output = run.standard_error;
  EXPECT_EQ(run.status, 0) << output;

  // The driver looks at the window ten times a second: the texts that stay
  // for seconds are seen.
  for (const char* status :
       {"driver: clicking No&w", "status: Receiving mail 2 of 2",
        "status: Sending to phone soon...", "receipt: Message delivered to recipients phone"}) {
    EXPECT_THAT(output, HasSubstr(status));
  }
  const std::string posted = gateway_.Stop();
  EXPECT_THAT(posted, HasSubstr("toPhoneNumber=0701234567"));
  EXPECT_THAT(posted, HasSubstr("message=2 mail waiting. Bo Ek: Lunch? Bj\xC3\xB6rn: Invoice \n"));
  EXPECT_THAT(book_.dir().ReadFile("loggfil.txt"),
              HasSubstr("\"Anna 0701234567\",\"Message delivered to recipients phone\",\"2 mail "
                        "waiting. Bo Ek: Lunch? Bj\xF6rn: Invoice \""));
}

}  // namespace
}  // namespace tolvane
