// `tolvane --serve` against each simulator: messages sent to it, a long linked
// one too, are kept in messages.db and the log and posted signed to the
// webhook (checked with Qt's own HMAC); SIGTERM ends it with status 0, and an
// order answers the sender.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTcpSocket>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "api/webhook_signature.h"
#include "core/secret_store.h"
#include "sim/http_request_parser.h"
#include "support/qt/program_folder.h"
#include "support/qt/program_run.h"
#include "support/qt/run_until.h"
#include "support/qt/simulator_process.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr char kSender[] = "+46701234567";
constexpr char kKey[] = "ett hemligt ord";
// Three parts of seven-bit text.
const std::string kLong = "Lång början. " + std::string(300, 'x') + " slut.";

// Takes every request on a loopback port and answers 204.
class WebhookReceiver {
 public:
  WebhookReceiver() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto parser = std::make_shared<sim::HttpRequestParser>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, parser] {
          parser->Feed(socket->readAll().toStdString());
          if (!parser->Complete()) return;
          requests.push_back(parser->Request());
          socket->write("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
          socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }
  std::string Url() const {
    return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + "/events";
  }
  std::vector<sim::HttpRequest> requests;

 private:
  QTcpServer server_;
};

// The event id a webhook request tells of, once its form and signature hold.
std::string SignedEventId(const sim::HttpRequest& request) {
  const std::string signature = request.Header("Tolvane-Signature");
  const size_t comma = signature.find(",v1=");
  EXPECT_EQ(signature.rfind("t=", 0), 0u) << signature;
  if (comma == std::string::npos) return "no signature: " + signature;
  const QByteArray signed_text =
      QByteArray::fromStdString(signature.substr(2, comma - 2) + "." + request.body);
  EXPECT_EQ(signature.substr(comma + 4),
            QMessageAuthenticationCode::hash(signed_text, kKey, QCryptographicHash::Sha256)
                .toHex()
                .toStdString());
  const nlohmann::json event = nlohmann::json::parse(request.body);
  EXPECT_EQ(event["type"], "message.received");
  return event["data"]["id"];
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

TEST_P(ServeEndToEndTest, ReceivesUntilSigtermTellsTheWebhookAndAnOrderAnswersTheSender) {
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
  ASSERT_TRUE(SecretStore(folder_.Folder()).WriteSecret(kWebhookSecret, kKey));
  WebhookReceiver receiver;
  folder_.WriteFile("tolvmsg.ini", ini + "[Adress]\r\nAvs=Tolvane\r\n[Modem]\r\nLogg=1\r\n" +
                                       "[API]\r\nWebhook=" + receiver.Url() + "\r\n");

  QProcess serve;
  serve.setProcessEnvironment(environment_);
  serve.setWorkingDirectory(QString::fromStdString(folder_.path().string()));
  serve.start(QString::fromStdString((folder_.path() / "tolvane").string()), {"--serve"});
  ASSERT_TRUE(serve.waitForStarted());
  std::string errors;
  const std::string long_line = std::string("Received from ") + kSender + ": Lång början.";
  auto seen = [&errors](const std::string& line) { return errors.find(line) != std::string::npos; };
  testing::RunUntil(
      [&] {
        errors += serve.readAllStandardError().toStdString();
        return seen(long_line) && seen("Receiving: connected") && receiver.requests.size() >= 2;
      },
      60000);
  serve.terminate();  // SIGTERM
  ASSERT_TRUE(serve.waitForFinished(30000));
  errors += serve.readAllStandardError().toStdString();
  EXPECT_EQ(serve.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(serve.exitCode(), 0);
  EXPECT_THAT(errors, HasSubstr(std::string("Received from ") + kSender + ": Hej!\n"));
  QProcess store;
  store.start("sqlite3", {QString::fromStdString(folder_.FilePath("messages.db")),
                          "SELECT number, text FROM messages WHERE direction = 'in' ORDER BY id"});
  ASSERT_TRUE(store.waitForFinished(30000));
  EXPECT_EQ(store.readAllStandardOutput().toStdString(),
            std::string(kSender) + "|Hej!\n" + kSender + "|" + kLong + "\n");
  std::set<std::string> told;
  for (const sim::HttpRequest& request : receiver.requests) told.insert(SignedEventId(request));
  EXPECT_EQ(told, (std::set<std::string>{"in-1", "in-2"})) << errors;
  EXPECT_THAT(folder_.ReadFile("loggfil.txt"),
              HasSubstr(std::string("\"") + kSender + "\",\"Received\",\"Hej!\""));

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
