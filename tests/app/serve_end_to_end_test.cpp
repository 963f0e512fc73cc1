// The real program serving (`tolvane --serve`) against each simulator:
// messages sent to it, a long linked one too, are kept in messages.db and the
// log, SIGTERM ends it with status 0, and an order answers the sender.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <string>
#include <vector>

#include "support/qt/program_folder.h"
#include "support/qt/program_run.h"
#include "support/qt/simulator_process.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr char kSender[] = "+46701234567";
// Three parts of seven-bit text.
const std::string kLong = "Lång början. " + std::string(300, 'x') + " slut.";

// The received messages in the store, sender and text, oldest first.
std::vector<std::pair<std::string, std::string>> Received(const fs::path& database) {
  std::vector<std::pair<std::string, std::string>> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT number, text FROM messages WHERE direction = 'in' ORDER BY id",
                       -1, &statement, nullptr);
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
      rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                        reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return rows;
}

struct Link {
  const char* simulator;
  const char* section;
  QString address;    // what the simulator prints where it can be reached
  bool one_argument;  // --deliver takes 'SENDER TEXT' as one argument
};

class ServeEndToEndTest : public ::testing::TestWithParam<Link> {
 protected:
  // Runs the program to its end with `arguments`; its exit status.
  int Run(const QStringList& arguments, const std::string& input = {}) {
    run_ = testing::RunProgram(folder_.path() / "tolvane", arguments, environment_, folder_.path(),
                               120000, input);
    return run_.status;
  }

  testing::ProgramFolder folder_;
  testing::SimulatorProcess simulator_;
  QProcessEnvironment environment_ = folder_.OffscreenEnvironment();
  testing::ProgramRun run_;
};

TEST_P(ServeEndToEndTest, ReceivesUntilSigtermAndAnOrderAnswersTheSender) {
  const Link link = GetParam();
  const std::string section = link.section;
  const std::string record = (folder_.path() / "record.txt").string();
  QStringList options{"--record", QString::fromStdString(record)};
  for (const std::string& text : {std::string("Hej!"), kLong}) {
    options << "--deliver";
    if (link.one_argument) {
      options << QString::fromStdString(kSender + (" " + text));
    } else {
      options << kSender << QString::fromStdString(text);
    }
  }
  if (section != "GSM")
    options << "--port"
            << "0";
  const std::string address = simulator_.Start(link.simulator, options, link.address);
  ASSERT_FALSE(address.empty());
  std::string ini = "[Access]\r\nAccessTyp=" + section + "\r\n[" + section + "]\r\n";
  if (section == "GSM") {
    ini += "Device=" + address + "\r\n";
  } else {
    ini += "Host=127.0.0.1\r\nPort=" + address.substr(address.find(':') + 1) +
           (section == "SMPP" ? "\r\nSystemId=tolvane\r\n" : "\r\nUser=tolvane\r\n");
    ASSERT_EQ(Run({"--store-secret", QString::fromStdString(section).toLower()}, "secret\n"), 0)
        << run_.standard_error;
  }
  folder_.WriteFile("tolvmsg.ini", ini + "[Adress]\r\nAvs=Tolvane\r\n[Modem]\r\nLogg=1\r\n");

  QProcess serve;
  serve.setProcessEnvironment(environment_);
  serve.setReadChannel(QProcess::StandardError);
  serve.setWorkingDirectory(QString::fromStdString(folder_.path().string()));
  serve.start(QString::fromStdString((folder_.path() / "tolvane").string()), {"--serve"});
  ASSERT_TRUE(serve.waitForStarted());
  std::string errors;
  const std::string long_line = std::string("Received from ") + kSender + ": Lång början.";
  auto seen = [&errors](const std::string& line) { return errors.find(line) != std::string::npos; };
  while (!(seen(long_line) && seen("Receiving: connected")) && serve.waitForReadyRead(30000)) {
    errors += serve.readAllStandardError().toStdString();
  }
  serve.terminate();  // SIGTERM
  ASSERT_TRUE(serve.waitForFinished(30000));
  errors += serve.readAllStandardError().toStdString();
  EXPECT_EQ(serve.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(serve.exitCode(), 0);
  EXPECT_THAT(errors, HasSubstr("Receiving: connected\n"));
  EXPECT_THAT(errors, HasSubstr(std::string("Received from ") + kSender + ": Hej!\n"));
  EXPECT_THAT(Received(folder_.path() / "messages.db"),
              ::testing::ElementsAre(std::pair<std::string, std::string>{kSender, "Hej!"},
                                     std::pair<std::string, std::string>{kSender, kLong}));
  const std::string log = folder_.ReadFile("loggfil.txt");
  EXPECT_THAT(log, HasSubstr(std::string("\"") + kSender + "\",\"Received\",\"Hej!\""));
  // (The log is in Windows-1252.)
  EXPECT_THAT(log,
              HasSubstr("\"Received\",\"L\xE5ng b\xF6rjan. " + std::string(300, 'x') + " slut.\""));

  ASSERT_EQ(Run({QString("N//%1//Tack för svaret").arg(kSender)}), 0) << run_.standard_error;
  EXPECT_THAT(folder_.ReadFile("record.txt"), HasSubstr("Tack för svaret"));
}

INSTANTIATE_TEST_SUITE_P(
    EachLink, ServeEndToEndTest,
    ::testing::Values(Link{"gsm-modem-sim", "GSM", "/dev/[^ \\n]+", true},
                      Link{"smpp-sim", "SMPP", "127\\.0\\.0\\.1:[0-9]+", false},
                      Link{"emi-sim", "EMI", "127\\.0\\.0\\.1:[0-9]+", false}),
    [](const ::testing::TestParamInfo<Link>& info) { return std::string(info.param.section); });

}  // namespace
}  // namespace tolvane
