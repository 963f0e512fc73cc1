// Runs the real program, copied into a program folder of its own, with a
// command-line order or an autosend folder, against the simulators started as
// separate processes. With TOLVANE_MEMCHECK=1 (a build without sanitizers)
// every run goes through Valgrind's memcheck, and an invalid access or a
// leaked block fails it.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/sqlite_phone_book_store.h"
#include "support/temp_dir.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

const fs::path kBin = TOLVANE_BIN_DIR;
// memcheck's exit status when it found an error.
constexpr int kMemcheckError = 99;

bool UnderMemcheck() {
  const char* memcheck = std::getenv("TOLVANE_MEMCHECK");
  return memcheck != nullptr && std::string(memcheck) == "1";
}

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest() {
    fs::copy_file(kBin / "tolvane", folder_.path() / "tolvane");
    fs::copy_file(kBin / "teledata.mdb", folder_.path() / "teledata.mdb");
  }
  ~EndToEndTest() override {
    if (simulator_.state() != QProcess::NotRunning) {
      simulator_.kill();
      simulator_.waitForFinished();
    }
  }

  // Starts a simulator and returns the first match of `pattern` in its output.
  std::string StartSimulator(const std::string& name, const QStringList& arguments,
                             const QString& pattern) {
    simulator_.setProcessChannelMode(QProcess::SeparateChannels);
    simulator_.start(QString::fromStdString((kBin / name).string()), arguments);
    EXPECT_TRUE(simulator_.waitForStarted());
    QString seen;
    QRegularExpression expression(pattern);
    while (simulator_.waitForReadyRead(10000)) {
      seen += QString::fromLocal8Bit(simulator_.readAllStandardOutput());
      QRegularExpressionMatch match = expression.match(seen);
      if (match.hasMatch()) return match.captured(0).toStdString();
    }
    ADD_FAILURE() << name << " printed no " << pattern.toStdString() << ": " << seen.toStdString();
    return "";
  }

  void UseModemSim(const QStringList& faults = {}) {
    std::string device = StartSimulator(
        "modem-sim",
        QStringList{"--dial-delay", "100", "--answer-delay", "100", "--notify-delay", "300"} +
            faults,
        "/dev/\\S+");
    folder_.WriteFile("tolvmsg.ini",
                      "[Modem]\r\nDevice=" + device + "\r\nFelkorrigering=1\r\nLogg=1\r\n");
  }

  // `more_settings` are further lines of tolvmsg.ini.
  void UseGatewaySim(const QStringList& options, const std::string& more_settings = "") {
    std::string address =
        StartSimulator("gateway-sim", QStringList{"--port", "0"} + options, "http://[0-9.:]+");
    folder_.WriteFile("tolvmsg.ini", "[Access]\r\nAccessTyp=TCP\r\n[TCP]\r\nTCPGateway=" + address +
                                         "\r\n[Modem]\r\nLogg=1\r\n" + more_settings);
  }

  // Runs the program with `order` from another current folder; its exit status.
  int Run(const std::string& order) { return Run(QStringList{QString::fromStdString(order)}); }
  int Run(const QStringList& arguments) {
    QProcess program;
    // A program folder without a phone book turns to the per-user folder.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", QString::fromStdString(UserData().string()));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QString::fromStdString(elsewhere_.path().string()));
    QString executable = QString::fromStdString((folder_.path() / "tolvane").string());
    QStringList command = arguments;
    const fs::path memcheck_log = memcheck_dir_.path() / "memcheck.log";
    if (UnderMemcheck()) {
      command = QStringList{"--tool=memcheck",
                            "--error-exitcode=" + QString::number(kMemcheckError),
                            "--leak-check=full",
                            "--show-leak-kinds=definite",
                            "--errors-for-leak-kinds=definite",
                            "--num-callers=30",
                            "--suppressions=" TOLVANE_SOURCE_DIR "/tests/app/memcheck.supp",
                            "--log-file=" + QString::fromStdString(memcheck_log.string()),
                            executable} +
                command;
      executable = "valgrind";
    }
    program.start(executable, command);
    EXPECT_TRUE(program.waitForStarted());
    EXPECT_TRUE(program.waitForFinished(UnderMemcheck() ? 300000 : 90000))
        << "the program did not close by itself";
    stderr_ = program.readAllStandardError().toStdString();
    const int status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    if (UnderMemcheck()) {
      EXPECT_NE(status, kMemcheckError) << memcheck_dir_.ReadFile("memcheck.log");
    }
    return status;
  }

  std::string Log() const { return folder_.ReadFile("loggfil.txt"); }
  fs::path UserData() const { return elsewhere_.path() / "data"; }
  // What the simulator printed since it started.
  std::string SimulatorOutput() {
    simulator_.waitForReadyRead(1000);
    return simulator_.readAllStandardOutput().toStdString();
  }

  // A group in the program's phone book, with its members (8-bit texts).
  void AddGroup(const std::string& group,
                const std::vector<std::pair<std::string, std::string>>& members) {
    SqlitePhoneBookStore store;
    store.Open((folder_.path() / "teledata.mdb").string());
    store.CreateTable(group);
    auto table = store.OpenCursor(group);
    for (const auto& [name, number] : members) {
      table->AddNew();
      table->SetField(kFieldNamn, name);
      table->SetField(kFieldTelenummer, number);
      table->SetField(kFieldOperator, "1");
      table->Update();
    }
  }

  testing::TempDir folder_;
  testing::TempDir elsewhere_;
  testing::TempDir outbox_;
  testing::TempDir memcheck_dir_;
  QProcess simulator_;
  std::string stderr_;
};

TEST_F(EndToEndTest, ModemSendIsLoggedAndItsReceiptLandsBesideTheProgram) {
  UseModemSim();
  EXPECT_EQ(Run("N//+46 70-123 45 67//Hello from the command line//kvitto.txt"), 0) << stderr_;
  std::string log = Log();
  EXPECT_NE(log.find("\"Temporary number 46701234567\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"Hello from the command line\"\r\n"), std::string::npos) << log;
  std::string receipt = folder_.ReadFile("kvitto.txt");
  EXPECT_NE(receipt.find("Temporary number 46701234567"), std::string::npos);
  EXPECT_FALSE(fs::exists(elsewhere_.path() / "kvitto.txt"));
  // A command-line run never stores the window's place.
  EXPECT_EQ(folder_.ReadFile("tolvmsg.ini").find("WinPosition"), std::string::npos);
}

TEST_F(EndToEndTest, RefusedModemSendExitsWithOne) {
  UseModemSim({"--negative", "06"});
  EXPECT_EQ(Run("N//0701234567//Hello"), 1) << stderr_;
  EXPECT_NE(Log().find("\"Wrong phonenumber\""), std::string::npos) << Log();
}

TEST_F(EndToEndTest, GatewaySendLogsTheStatusTextAndExitsOnIt) {
  UseGatewaySim({"--status", "202"});
  EXPECT_EQ(Run("N//0701234567//Hello gateway"), 0) << stderr_;
  EXPECT_NE(Log().find("\"Message placed in message queue, will be sent soon\""), std::string::npos)
      << Log();
}

TEST_F(EndToEndTest, GatewayRefusalExitsWithOne) {
  UseGatewaySim({"--status", "433"});
  EXPECT_EQ(Run("N//0701234567//Hello gateway"), 1) << stderr_;
  EXPECT_NE(Log().find("\"Account don\xB4t exist\""), std::string::npos) << Log();
}

TEST_F(EndToEndTest, WrongOrderSendsNothingAndExitsWithTwo) {
  EXPECT_EQ(Run("just a message"), 2) << stderr_;
  EXPECT_FALSE(fs::exists(folder_.path() / "loggfil.txt"));
}

TEST_F(EndToEndTest, GroupOrderOverTheModemSendsEveryMemberOnOneCall) {
  AddGroup("V\xE4nner", {{"Anna", "0701111111"}, {"Bertil", "0702222222"}});
  UseModemSim();
  EXPECT_EQ(Run("G//v\xC3\x84nner//Hej alla//kvitto.txt"), 0) << stderr_;
  std::string log = Log();
  EXPECT_NE(log.find("\"Anna 0701111111\",\"Message for 0701111111 delivered\""), std::string::npos)
      << log;
  EXPECT_NE(log.find("\"Bertil 0702222222\",\"Message for 0702222222 delivered\""),
            std::string::npos)
      << log;
  EXPECT_NE(folder_.ReadFile("kvitto.txt").find("Bertil 0702222222"), std::string::npos);
  // One call: the simulator saw one dial and the references 00 and 01.
  simulator_.kill();
  simulator_.waitForFinished();
  std::string seen = simulator_.readAllStandardOutput().toStdString();
  EXPECT_EQ(seen.find("ATDT"), seen.rfind("ATDT")) << seen;
  EXPECT_NE(seen.find("smsc: acknowledgement 01/00019/R/01/A//69"), std::string::npos) << seen;
  EXPECT_EQ(seen.find("PROBLEM"), std::string::npos) << seen;
}

TEST_F(EndToEndTest, ListOrderOverTheGatewayExitsWithOneWhenANumberIsRefused) {
  UseGatewaySim({"--answer", "0702=450"});
  EXPECT_EQ(Run("N//0701,0702,0703//Hej"), 1) << stderr_;
  std::string log = Log();
  EXPECT_NE(log.find("\"Group 0701\",\"Message delivered to recipients phone\""), std::string::npos)
      << log;
  EXPECT_NE(log.find("\"Group 0702\",\"Unknown subscriber or not a valid phone number\""),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("\"Group 0703\""), std::string::npos) << log;
}

TEST_F(EndToEndTest, ListOrderOverTheGatewayExitsWithZeroWhenAllAreAccepted) {
  UseGatewaySim({"--status", "202"});
  EXPECT_EQ(Run("N//0701,0702,//Hej"), 0) << stderr_;
  simulator_.kill();
  simulator_.waitForFinished();
  std::string seen = simulator_.readAllStandardOutput().toStdString();
  EXPECT_NE(seen.find("followingMessages=1"), std::string::npos) << seen;
  EXPECT_NE(seen.find("followingMessages=0"), std::string::npos) << seen;
}

TEST_F(EndToEndTest, UnknownGroupSendsNothingAndExitsWithTwo) {
  AddGroup("V\xE4nner", {{"Anna", "0701111111"}});
  UseGatewaySim({});
  EXPECT_EQ(Run("G//Fiender//Hej"), 2) << stderr_;
  EXPECT_FALSE(fs::exists(folder_.path() / "loggfil.txt"));
}

// Autosending switched on at start-up, one pass, then the program closes.
constexpr char kAutosendOnce[] = "[Auto]\r\nAutoDef=1\r\nAutoTyp=1\r\nAutoStang=1\r\nAutoFil=";

TEST_F(EndToEndTest, AutosendOrderFilesAreSentAndDeletedAndTheProgramClosesItself) {
  UseGatewaySim({},
                kAutosendOnce + outbox_.path().string() + "\r\nNrFranFil=1\r\nAutoTabort=1\r\n");
  outbox_.WriteFile("1.txt", "N//0701234567//First order\r\n");
  outbox_.WriteFile("2.txt", "N//0707654321//Second order");
  outbox_.WriteFile(".3.txt", "N//0700000000//Not done yet");
  EXPECT_EQ(Run(QStringList{}), 0) << stderr_;
  std::string log = Log();
  EXPECT_NE(log.find("\"Temporary number 0701234567\",\"Message delivered to recipients phone\","
                     "\"First order \""),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("\"Temporary number 0707654321\""), std::string::npos) << log;
  EXPECT_EQ(log.find("0700000000"), std::string::npos) << log;
  EXPECT_FALSE(fs::exists(outbox_.path() / "1.txt"));
  EXPECT_FALSE(fs::exists(outbox_.path() / "2.txt"));
  EXPECT_TRUE(fs::exists(outbox_.path() / ".3.txt"));
}

TEST_F(EndToEndTest, AutosendFileGoesToThePersonChosenAtStartUpAndIsKept) {
  testing::TestPhoneBook book;
  book.Add("Anna", "070-111 22");
  fs::copy_file(book.dir().path() / "teledata.mdb", folder_.path() / "teledata.mdb",
                fs::copy_options::overwrite_existing);
  UseGatewaySim({}, kAutosendOnce + outbox_.path().string() + "\r\n");
  outbox_.WriteFile("note.txt", "Line one\r\nLine two");
  EXPECT_EQ(Run(QStringList{}), 0) << stderr_;
  EXPECT_NE(Log().find("\"Anna 07011122\",\"Message delivered to recipients phone\""),
            std::string::npos)
      << Log();
  std::string gateway = SimulatorOutput();
  EXPECT_NE(gateway.find("message=Line one\r\nLine two\n"), std::string::npos) << gateway;
  EXPECT_EQ(outbox_.ReadFile("note.txt"), "Line one\r\nLine two");
}

TEST_F(EndToEndTest, MissingPhoneBookIsReportedOnStandardError) {
  fs::remove(folder_.path() / "teledata.mdb");
  EXPECT_NE(Run("N//0701//Hi"), 0);
  EXPECT_NE(stderr_.find("reinstall the program!"), std::string::npos) << stderr_;
  EXPECT_FALSE(fs::exists(folder_.path() / "tolvmsg.ini"));
  EXPECT_FALSE(fs::exists(UserData()));
}

}  // namespace
}  // namespace tolvane
