// Runs the real program in a program folder of its own against the simulators
// started as processes; with TOLVANE_MEMCHECK=1 under Valgrind's memcheck.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "core/gateway_password_file.h"
#include "support/qt/program_folder.h"
#include "support/qt/program_run.h"
#include "support/qt/simulator_process.h"
#include "support/qt/test_authority.h"
#include "support/temp_dir.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

const fs::path kBin = TOLVANE_BIN_DIR;
size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class EndToEndTest : public ::testing::Test {
 protected:
  // Starts smpp-sim or emi-sim (account "tolvane", password "secret") and
  // points the program at it; `more_keys` are further lines of its section.
  std::string UseProviderSim(const std::string& section, const QStringList& options = {},
                             const std::string& more_keys = "") {
    const bool smpp = section == "SMPP";
    const std::string address = simulator_.Start(
        smpp ? "smpp-sim" : "emi-sim",
        QStringList{"--port", "0", smpp ? "--submit-delay" : "--answer-delay", "50",
                    smpp ? "--receipt-delay" : "--notification-delay", "200"} +
            options,
        "127\\.0\\.0\\.1:[0-9]+");
    folder_.WriteFile("tolvmsg.ini",
                      "[Access]\r\nAccessTyp=" + section + "\r\n[" + section +
                          "]\r\nHost=127.0.0.1\r\nPort=" + address.substr(address.find(':') + 1) +
                          (smpp ? "\r\nSystemId=tolvane\r\n" : "\r\nUser=tolvane\r\n") + more_keys +
                          "[Adress]\r\nAvs=Tolvane\r\n[Modem]\r\nLogg=1\r\n");
    return address;
  }
  void UseGatewaySim(const QStringList& options, const std::string& more_settings = "") {
    std::string address = simulator_.Start("gateway-sim", QStringList{"--port", "0"} + options,
                                           testing::kGatewayAddress);
    folder_.WriteFile("tolvmsg.ini", "[Access]\r\nAccessTyp=TCP\r\n[TCP]\r\nTCPGateway=" + address +
                                         "\r\n[Modem]\r\nLogg=1\r\n" + more_settings);
  }

  // As from cron or over ssh.
  void RemoveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      environment_.remove(name);
    }
  }
  void StoreSecret(const QString& name, const std::string& secret) {
    RemoveDisplay();
    ASSERT_EQ(Run({"--store-secret", name}, secret + "\n"), 0) << stderr_;
  }
  // A phone book whose group `group` (the people list when empty) holds `members`.
  void UseGroup(const std::string& group,
                const std::vector<std::pair<std::string, std::string>>& members) {
    testing::TestPhoneBook book;
    for (const auto& [name, number] : members) {
      group.empty() ? book.Add(name, number) : book.AddToGroup(group, name, number);
    }
    fs::copy_file(book.dir().path() / "teledata.mdb", folder_.path() / "teledata.mdb",
                  fs::copy_options::overwrite_existing);
  }

  // Runs the program from another current folder; its exit status.
  int Run(const std::string& order) { return Run(QStringList{QString::fromStdString(order)}); }
  int Run(const QStringList& arguments, const std::string& standard_input = {}) {
    return RunWith(arguments, QProcessEnvironment(), standard_input);
  }
  // Runs the program's window offscreen; a driver plugin enters `name` in the
  // phone book.
  int RunPhoneBook(const QString& name) {
    QProcessEnvironment driver;
    driver.insert("QT_QPA_PLATFORM", "offscreen");
    driver.insert("QT_PLUGIN_PATH", QString::fromStdString((kBin / "test-plugins").string()));
    driver.insert("QT_QPA_GENERIC_PLUGINS",
                  "tolvanedriver:phonebook=" + QUrl::toPercentEncoding(name));
    return RunWith(QStringList{}, driver);
  }
  int RunWith(const QStringList& arguments, const QProcessEnvironment& more,
              const std::string& standard_input = {}) {
    // A program folder without a phone book turns to the per-user folder.
    QProcessEnvironment environment = environment_;
    environment.insert(more);
    environment.insert("XDG_DATA_HOME", QString::fromStdString(UserData().string()));
    const testing::ProgramRun run =
        testing::RunProgram(folder_.path() / "tolvane", arguments, environment, elsewhere_.path(),
                            150000, standard_input);
    stderr_ = run.standard_error;
    stdout_ = run.standard_output;
    return run.status;
  }

  std::string Log() const { return folder_.ReadFile("loggfil.txt"); }
  void Sqlite(const std::string& sql) {
    QProcess shell;
    shell.start("sqlite3", {QString::fromStdString((folder_.path() / "teledata.mdb").string()),
                            QString::fromStdString(sql)});
    EXPECT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
  }
  fs::path UserData() const { return elsewhere_.path() / "data"; }

  testing::ProgramFolder folder_;
  testing::TempDir elsewhere_;
  testing::TempDir outbox_;
  testing::SimulatorProcess simulator_;
  QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
  std::string stderr_;
  std::string stdout_;
};

// Over each link, with its secret stored from the command line, an order to a
// number and one to a group (one call or login a run) are delivered, the
// receipt file lands beside the program, and no secret reaches the log.
TEST_F(EndToEndTest, OrdersOverEachLinkAreDeliveredOneConnectionARun) {
  auto device = [this](const std::string& simulator, const QStringList& options) {
    return simulator_.Start(simulator, options, "/dev/\\S+");
  };
  const struct {
    std::string name;
    std::function<void()> start;  // starts the simulator and points the program at it
    const char* secret;           // the gsm-pin, smpp or emi secret, if any
    const char* per_run;          // what the simulator prints once a run
    std::string delivered;        // the log's result for Bertil
  } links[] = {
      {"Modem",
       [&] {
         folder_.WriteFile("tolvmsg.ini",
                           "[Modem]\r\nDevice=" +
                               device("modem-sim", {"--dial-delay", "100", "--answer-delay", "100",
                                                    "--notify-delay", "300"}) +
                               "\r\nFelkorrigering=1\r\nLogg=1\r\n");
       },
       "", "ATD", "Message for 0702222222 delivered"},
      {"GSM",
       [&] {
         folder_.WriteFile("tolvmsg.ini",
                           "[Access]\r\nAccessTyp=GSM\r\n[GSM]\r\nDevice=" +
                               device("gsm-modem-sim", {"--network-delay", "100", "--report-delay",
                                                        "200", "--sim", "pin", "--pin", "2468"}) +
                               "\r\n[Modem]\r\nLogg=1\r\n");
       },
       "2468", "command ATE0", "Message delivered."},
      // SMPP with the receipt before the submit's answer, matched all the same.
      {"SMPP",
       [&] {
         UseProviderSim("SMPP", {"--enquire", "--receipts-first"});
       },
       "secret", "bind_transceiver tolvane: no error (0x00)", "Message delivered."},
      {"EMI", [&] { UseProviderSim("EMI"); }, "secret", "op 60 tolvane: logged in",
       "Message delivered."},
  };
  UseGroup("Vänner", {{"Anna", "0701111111"}, {"Bertil", "0702222222"}});
  for (const auto& link : links) {
    SCOPED_TRACE(link.name);
    fs::remove(folder_.path() / "kvitto.txt");
    link.start();
    const std::string secret_name = link.name == "GSM" ? "gsm-pin" : link.name;
    if (*link.secret) StoreSecret(QString::fromStdString(secret_name).toLower(), link.secret);
    EXPECT_EQ(Run("N//+46 70-123 45 67//Hello from the command line//kvitto.txt"), 0) << stderr_;
    EXPECT_EQ(Run("G//v\xC3\x84nner//Hej alla"), 0) << stderr_;
    EXPECT_THAT(folder_.ReadFile("kvitto.txt"), HasSubstr("\"Hello from the command line\"\r\n"));
    EXPECT_FALSE(fs::exists(elsewhere_.path() / "kvitto.txt"));
    EXPECT_THAT(Log(), HasSubstr("\"Bertil 0702222222\",\"" + link.delivered + "\""));
    if (*link.secret) {
      EXPECT_THAT(Log() + stderr_, Not(HasSubstr(link.secret)));
    }
    const std::string seen = simulator_.Stop();
    EXPECT_EQ(Count(seen, link.per_run), 2u) << seen;
    EXPECT_THAT(seen, Not(HasSubstr("PROBLEM")));
  }
}

// People and groups that the sqlite3 shell adds or renames between two runs
// (leaving the name key to the program) show in the windows and compare
// without letter case. Then without a display, or with one nobody serves, the
// exit status follows the gateway's answers; the log and the form keep the
// original code page.
TEST_F(EndToEndTest, SqliteShellsPeopleAreFoundAndGatewayOrdersWithoutADisplayExitOnTheirStatus) {
  EXPECT_EQ(RunPhoneBook("Anna Ek"), 0) << stderr_;
  EXPECT_THAT(stderr_, HasSubstr("recipients: Anna Ek\n"));

  Sqlite(
      "UPDATE Telelist SET Namn = 'Anna Lind' WHERE Namn = 'Anna Ek';"
      "INSERT INTO Telelist (Namn, Telenummer, Operator) VALUES ('\xC3\x85sa Berg', '0702', '1');"
      "CREATE TABLE \"V\xC3\xA4nner\" (Namn TEXT, Telenummer TEXT, Operator TEXT);"
      "INSERT INTO \"V\xC3\xA4nner\" VALUES ('\xC3\x85sa Berg', '0702', '1');");
  EXPECT_EQ(RunPhoneBook(QString::fromUtf8("\xC3\xA5SA BERG")), 0) << stderr_;
  for (const char* seen : {"recipients: Anna Lind|\xC3\x85sa Berg\n", "person: Anna Lind 0709\n",
                           "person: \xC3\x85sa Berg 0702\n", "Duplicate name!: Name already exist!",
                           "driver: phone book open"}) {
    EXPECT_THAT(stderr_, HasSubstr(seen));
  }

  UseGatewaySim({"--answer", "0703=450", "--answer", "0705=433"});
  RemoveDisplay();
  EXPECT_EQ(Run("G//Fiender//Hej"), 2) << stderr_;
  EXPECT_FALSE(fs::exists(folder_.path() / "loggfil.txt"));
  EXPECT_EQ(Run("G//v\xC3\x84NNER//Hej"), 0) << stderr_;
  EXPECT_THAT(Log(), HasSubstr("\"\xC5sa Berg 0702\""));
  EXPECT_EQ(Run("N//0701,0702,0703//Hej"), 1) << stderr_;
  EXPECT_EQ(Run("N//0706//Grüße €"), 0) << stderr_;
  environment_.insert("DISPLAY", ":4093");
  EXPECT_EQ(Run("N//0705//Hello gateway"), 1) << stderr_;
  EXPECT_THAT(Log(), HasSubstr("\"Temporary number 0705\",\"Account don\xB4t exist\""));
  const std::string seen = simulator_.Stop();
  // The simulator shows the form's Windows-1252 bytes as UTF-8.
  EXPECT_THAT(seen, HasSubstr("message=Grüße €"));
  EXPECT_THAT(seen, Not(HasSubstr("Fiender")));
}

// TLS from the first byte: a provider whose authority the program does not
// know is refused, one the environment names as trusted is used.
TEST_F(EndToEndTest, SmppOverTlsVerifiesTheProvidersCertificate) {
  // OpenSSL's optimised crypto reads memory memcheck calls uninitialised.
  const char* memcheck = std::getenv("TOLVANE_MEMCHECK");
  if (memcheck != nullptr && std::string(memcheck) == "1") GTEST_SKIP() << "OpenSSL under memcheck";
  testing::TestAuthority authority;
  UseProviderSim("SMPP",
                 {"--tls", QString::fromStdString(authority.ServerCertificate().string()),
                  QString::fromStdString(authority.ServerKey().string())},
                 "Tls=1\r\n");
  StoreSecret("smpp", "secret");
  EXPECT_EQ(Run("N//0701234567//Untrusted//svar.txt"), 1) << stderr_;
  EXPECT_THAT(folder_.ReadFile("svar.txt"), HasSubstr("TLS"));
  environment_.insert("SSL_CERT_FILE", QString::fromStdString(authority.AuthorityFile().string()));
  EXPECT_EQ(Run("N//0701234567//Trusted//svar.txt"), 0) << stderr_;
  EXPECT_THAT(folder_.ReadFile("svar.txt"), HasSubstr("\"Message delivered.\""));
  EXPECT_EQ(Count(simulator_.Stop(), "submit_sm"), 1u);
}

// Autosending switched on at start-up, one pass, then the program closes. A
// file refused before sending stays, as does one still being written.
TEST_F(EndToEndTest, AutosendOrderFilesAreSentAndDeletedAndTheProgramClosesItself) {
  UseGatewaySim({}, "[Auto]\r\nAutoDef=1\r\nAutoTyp=1\r\nAutoStang=1\r\nAutoFil=" +
                        outbox_.path().string() + "\r\nNrFranFil=1\r\nAutoTabort=1\r\n");
  outbox_.WriteFile("0.txt", "No order here");
  outbox_.WriteFile("1.txt", "N//0701234567//First order\r\n");
  outbox_.WriteFile(".2.txt", "N//0700000000//Not done yet");
  EXPECT_EQ(Run(QStringList{}), 0) << stderr_;
  EXPECT_THAT(
      Log(),
      HasSubstr("\"Temporary number 0701234567\",\"Message delivered to recipients phone\""));
  EXPECT_THAT(Log(), Not(HasSubstr("0700000000")));
  for (const auto& [name, stays] : {std::pair{"0.txt", true}, {"1.txt", false}, {".2.txt", true}}) {
    EXPECT_EQ(fs::exists(outbox_.path() / name), stays) << name;
  }
}

// --help touches no file. A secret is stored without a display and touches no
// settings; installed, it goes where the program keeps its data, and only it.
// A missing phone book is reported on standard error. Contacts go in and out
// without a display: vCard into a group, out as CSV and back.
TEST_F(EndToEndTest, HelpSecretsAndContactsFromTheCommandLineTouchOnlyTheirFiles) {
  for (const char* help : {"--help", "-h"}) EXPECT_EQ(Run(help), 0) << stderr_;
  EXPECT_FALSE(fs::exists(UserData()));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 2);

  StoreSecret("gateway", "Hemligt ord");
  EXPECT_EQ(ReadGatewayPassword(folder_.Folder()), "Hemligt ord");
  EXPECT_THAT(folder_.ReadFile("user.dat"), Not(HasSubstr("Hemligt")));
  EXPECT_EQ(stderr_, "");

  fs::remove(folder_.path() / "teledata.mdb");
  EXPECT_NE(Run("N//0701//Hi"), 0);
  EXPECT_THAT(stderr_, HasSubstr("reinstall the program!"));
  EXPECT_FALSE(fs::exists(UserData()));
  EXPECT_EQ(Run({"--store-secret", "gateway"}, "Annat ord\r\n"), 0) << stderr_;
  EXPECT_EQ(ReadGatewayPassword((UserData() / "Tolvane/").string()), "Annat ord");
  EXPECT_FALSE(fs::exists(UserData() / "Tolvane/teledata.mdb"));
  EXPECT_EQ(ReadGatewayPassword(folder_.Folder()), "Hemligt ord");
  EXPECT_FALSE(fs::exists(folder_.path() / "tolvmsg.ini"));

  fs::copy_file(kBin / "teledata.mdb", folder_.path() / "teledata.mdb");
  fs::copy_file(TOLVANE_SOURCE_DIR "/tests/data/contacts/android.vcf",
                elsewhere_.path() / "in.vcf");
  EXPECT_EQ(Run(QStringList{"--import", "in.vcf", "--group", "K\xC3\xB6r"}), 0) << stderr_;
  EXPECT_EQ(stdout_, "3 added, 0 updated, 0 skipped\n");
  EXPECT_EQ(Run(QStringList{"--export", "all.csv"}), 0) << stderr_;
  EXPECT_EQ(stdout_, "The phone book is exported to all.csv\n");
  // Back into an empty phone book, which then exports the same file.
  fs::copy_file(kBin / "teledata.mdb", folder_.path() / "teledata.mdb",
                fs::copy_options::overwrite_existing);
  EXPECT_EQ(Run(QStringList{"--import", "all.csv"}), 0) << stderr_;
  EXPECT_EQ(stdout_, "3 added, 0 updated, 0 skipped\n");
  EXPECT_EQ(Run(QStringList{"--export", "group.csv", "--group", "k\xC3\xB6r"}), 0) << stderr_;
  EXPECT_EQ(elsewhere_.ReadFile("group.csv"), elsewhere_.ReadFile("all.csv"));
  EXPECT_THAT(
      elsewhere_.ReadFile("all.csv"),
      HasSubstr("\r\n\xC3\x85sa-Britt \xC3\x96stlund-Sj\xC3\xB6gren,031-12 34 56,K\xC3\xB6r\r\n"));

  const std::pair<QStringList, int> refused[] = {{{"--export", "all.txt"}, 2},
                                                 {{"--import", "missing.csv"}, 1},
                                                 {{"--export", "out.vcf", "--group", "None"}, 1}};
  for (const auto& [arguments, status] : refused) {
    EXPECT_EQ(Run(arguments), status) << arguments.join(' ').toStdString();
    EXPECT_NE(stderr_, "");
  }
}

}  // namespace
}  // namespace tolvane
