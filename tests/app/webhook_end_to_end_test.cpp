// The real program serving (`tolvane --serve`) against smpp-sim tells the
// webhook of a message received: a receiver on loopback checks the body and
// its signature with Qt's own HMAC.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <nlohmann/json.hpp>
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

constexpr char kKey[] = "ett hemligt ord";

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

TEST(WebhookEndToEndTest, AMessageReceivedIsPostedSigned) {
  testing::ProgramFolder folder;
  QProcessEnvironment environment = folder.OffscreenEnvironment();
  testing::SimulatorProcess simulator;
  const std::string address =
      simulator.Start("smpp-sim", {"--port", "0", "--deliver", "+46701234567", "Hej på dig"},
                      "127\\.0\\.0\\.1:[0-9]+");
  ASSERT_FALSE(address.empty());
  const testing::ProgramRun stored =
      testing::RunProgram(folder.path() / "tolvane", {"--store-secret", "smpp"}, environment,
                          folder.path(), 60000, "secret\n");
  ASSERT_EQ(stored.status, 0) << stored.standard_error;
  ASSERT_TRUE(SecretStore(folder.Folder()).WriteSecret(kWebhookSecret, kKey));
  WebhookReceiver receiver;
  folder.WriteFile("tolvmsg.ini",
                   "[Access]\r\nAccessTyp=SMPP\r\n[SMPP]\r\nHost=127.0.0.1\r\nPort=" +
                       address.substr(address.find(':') + 1) +
                       "\r\nSystemId=tolvane\r\n[Adress]\r\nAvs=Tolvane\r\n[API]\r\nWebhook=" +
                       receiver.Url() + "\r\n");

  QProcess serve;
  serve.setProcessEnvironment(environment);
  serve.setWorkingDirectory(QString::fromStdString(folder.path().string()));
  serve.start(QString::fromStdString((folder.path() / "tolvane").string()), {"--serve"});
  ASSERT_TRUE(serve.waitForStarted());
  const bool told = testing::RunUntil([&] { return !receiver.requests.empty(); }, 60000);
  serve.terminate();  // SIGTERM
  ASSERT_TRUE(serve.waitForFinished(30000));
  const std::string errors = serve.readAllStandardError().toStdString();
  ASSERT_TRUE(told) << errors;
  EXPECT_EQ(serve.exitCode(), 0) << errors;

  const sim::HttpRequest& request = receiver.requests.front();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/events");
  EXPECT_EQ(request.Header("Content-Type"), "application/json");
  const std::string signature = request.Header("Tolvane-Signature");
  const size_t comma = signature.find(",v1=");
  ASSERT_EQ(signature.rfind("t=", 0), 0u);
  ASSERT_NE(comma, std::string::npos);
  const QByteArray signed_text =
      QByteArray::fromStdString(signature.substr(2, comma - 2) + "." + request.body);
  EXPECT_EQ(signature.substr(comma + 4),
            QMessageAuthenticationCode::hash(signed_text, kKey, QCryptographicHash::Sha256)
                .toHex()
                .toStdString());
  const nlohmann::json event = nlohmann::json::parse(request.body);
  EXPECT_EQ(event["type"], "message.received");
  EXPECT_EQ(event["data"]["id"], "in-1");
}

}  // namespace
}  // namespace tolvane
