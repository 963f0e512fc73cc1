// Runs the real program with its window offscreen: "No&w" is pressed in the
// window, the mail waits on Dovecot, and the summary goes out through the
// gateway simulator to the person chosen in the recipient list.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <filesystem>
#include <string>

#include "core/settings_values.h"
#include "support/qt/dovecot_server.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

const fs::path kBin = TOLVANE_BIN_DIR;

class MailEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(dovecot_.Failure(), "");
    fs::copy_file(kBin / "tolvane", book_.dir().path() / "tolvane");
    book_.Add("Anna", "070-123 45 67");
  }
  ~MailEndToEndTest() override {
    gateway_.kill();
    gateway_.waitForFinished();
  }

  // The gateway simulator's address once it listens.
  std::string StartGateway() {
    gateway_.start(QString::fromStdString((kBin / "gateway-sim").string()), {"--port", "0"});
    QString seen;
    QRegularExpression address("http://[0-9.:]+");
    while (gateway_.waitForReadyRead(10000)) {
      seen += QString::fromLocal8Bit(gateway_.readAllStandardOutput());
      QRegularExpressionMatch match = address.match(seen);
      if (match.hasMatch()) return match.captured(0).toStdString();
    }
    ADD_FAILURE() << "gateway-sim printed no address: " << seen.toStdString();
    return "";
  }

  testing::DovecotServer dovecot_;
  testing::TestPhoneBook book_;
  QProcess gateway_;
};

TEST_F(MailEndToEndTest, NowInTheWindowTextsTheWaitingMailThroughTheGateway) {
  dovecot_.AddMessage("From: Bo Ek <bo@example.com>\nSubject: Lunch?\n\nAt noon.\n");
  dovecot_.AddMessage("From: =?UTF-8?Q?Bj=C3=B6rn?= <b@example.com>\nSubject: Invoice\n\n.\n");
  const std::string gateway = StartGateway();
  book_.dir().WriteFile(
      "tolvmsg.ini",
      "[Access]\r\nAccessTyp=TCP\r\n[TCP]\r\nTCPGateway=" + gateway +
          "\r\n[Modem]\r\nLogg=1\r\n[RAS]\r\nRasY/N=1\r\n[Mail]\r\nMailServer=pop3://127.0.0.1:" +
          std::to_string(dovecot_.PlainPort()) +
          "\r\nMailUserName=" + testing::DovecotServer::kUser +
          "\r\nMailPassWord=" + ShiftPassword(testing::DovecotServer::kPassword).value() + "\r\n");

  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("QT_PLUGIN_PATH", QString::fromStdString((kBin / "test-plugins").string()));
  environment.insert("QT_QPA_GENERIC_PLUGINS", "tolvanedriver:No&w");
  program.setProcessEnvironment(environment);
  program.start(QString::fromStdString((book_.dir().path() / "tolvane").string()), {});
  ASSERT_TRUE(program.waitForStarted());
  ASSERT_TRUE(program.waitForFinished(150000)) << "the window was never closed";
  const std::string output = program.readAllStandardError().toStdString();
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << output;

  // The driver looks at the window ten times a second: the texts that stay
  // for seconds are seen.
  for (const char* status :
       {"driver: clicking No&w", "status: Receiving mail 2 of 2",
        "status: Sending to phone soon...", "receipt: Message delivered to recipients phone"}) {
    EXPECT_NE(output.find(status), std::string::npos) << status << " in\n" << output;
  }
  gateway_.terminate();
  gateway_.waitForFinished();
  const std::string posted = gateway_.readAllStandardOutput().toStdString();
  EXPECT_NE(posted.find("toPhoneNumber=0701234567"), std::string::npos) << posted;
  EXPECT_NE(posted.find("message=2 mail waiting. Bo Ek: Lunch? Bj\xC3\xB6rn: Invoice \n"),
            std::string::npos)
      << posted;
  const std::string log = book_.dir().ReadFile("loggfil.txt");
  EXPECT_NE(log.find("\"Anna 0701234567\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"2 mail waiting. Bo Ek: Lunch? Bj\xF6rn: Invoice \""), std::string::npos)
      << log;
}

}  // namespace
}  // namespace tolvane
