// The HTTP API's server on loopback, against raw client sockets.
#include "platform/qt/qt_api_server.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSslSocket>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "support/qt/run_until.h"

namespace tolvane {
namespace {

using testing::RunUntil;

constexpr int kMaxBody = 100;

class QtApiServerTest : public ::testing::Test {
 protected:
  QtApiServerTest() {
    settings_.Port = 0;
    settings_.MaxBody = kMaxBody;
    settings_.CertFile = TOLVANE_SOURCE_DIR "/tests/data/loopback_tls_cert.pem";
    settings_.KeyFile = TOLVANE_SOURCE_DIR "/tests/data/loopback_tls_key.pem";
  }
  // A server answering each request with its body, listening as the settings say.
  void Start() {
    server_ = std::make_unique<QtApiServer>([this](const ApiRequest& request) {
      requests_.push_back(request);
      return ApiResponse{202, {{"Location", "/v1/messages/out-1"}}, request.body};
    });
    ASSERT_EQ(server_->Listen(settings_), "");
  }

  // A client (TLS when the settings ask) collecting its answers.
  struct Client {
    std::unique_ptr<QSslSocket> socket = std::make_unique<QSslSocket>();
    std::string received;
  };
  std::unique_ptr<Client> Connect() {
    auto client = std::make_unique<Client>();
    Client* raw = client.get();
    QObject::connect(raw->socket.get(), &QIODevice::readyRead, raw->socket.get(),
                     [raw] { raw->received += raw->socket->readAll().toStdString(); });
    raw->socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    settings_.Tls ? raw->socket->connectToHostEncrypted("127.0.0.1", server_->Port())
                  : raw->socket->connectToHost("127.0.0.1", server_->Port());
    return client;
  }
  static std::string Get(const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n";
  }
  static std::string Post(const std::string& body, const std::string& extra = "") {
    return "POST /v1/messages HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n" + extra +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  }

  ApiSettings settings_;
  std::vector<ApiRequest> requests_;
  std::unique_ptr<QtApiServer> server_;
};

TEST_F(QtApiServerTest, AnswersABodyUpToItsBoundOnAKeptConnectionAndRefusesOnePastItAlsoOverTls) {
  for (bool tls : {false, true}) {
    SCOPED_TRACE(tls);
    settings_.Tls = tls;
    requests_.clear();
    Start();
    std::unique_ptr<Client> client = Connect();
    client->socket->write(QByteArray::fromStdString(
        Post("{\"text\": \"Hej\"}") + Post(std::string(kMaxBody, 'x'), "X-Key: a\r\n")));
    ASSERT_TRUE(RunUntil([&] { return requests_.size() == 2; }));
    EXPECT_EQ(requests_[1].body.size(), static_cast<size_t>(kMaxBody));
    EXPECT_EQ(requests_[1].Header("X-Key"), "a");
    ASSERT_TRUE(RunUntil(
        [&] { return client->received.find(std::string(kMaxBody, 'x')) != std::string::npos; }));
    EXPECT_EQ(
        client->received.rfind("HTTP/1.1 202 Accepted\r\nLocation: /v1/messages/out-1\r\n", 0), 0u);
    EXPECT_NE(client->received.find("Content-Length: 15\r\n\r\n{\"text\": \"Hej\"}"),
              std::string::npos);

    // Refused before being read whole: a body past the bound, endless headers.
    for (const std::string& request :
         {Post(std::string(kMaxBody + 20 * 1024, 'x')),
          "GET /v1/status HTTP/1.1\r\nX-Pad: " + std::string(20 * 1024, 'p')}) {
      std::unique_ptr<Client> refused = Connect();
      refused->socket->write(QByteArray::fromStdString(request));
      ASSERT_TRUE(
          RunUntil([&] { return refused->socket->state() == QAbstractSocket::UnconnectedState; }));
      EXPECT_EQ(refused->received.rfind("HTTP/1.1 413 Content Too Large\r\n", 0), 0u)
          << refused->received;
    }
    EXPECT_EQ(requests_.size(), 2u);
  }
}

TEST_F(QtApiServerTest, ASlowClientAndManyIdleOnesHoldUpNoOther) {
  Start();
  std::vector<std::unique_ptr<Client>> idle;
  for (int i = 0; i < 200; ++i) idle.push_back(Connect());
  std::unique_ptr<Client> slow = Connect();
  const std::string slow_request = Get("/v1/slow");
  size_t sent = 0;
  QTimer drip;
  drip.setInterval(1000);
  QObject::connect(&drip, &QTimer::timeout, &drip, [&] {
    if (sent < slow_request.size()) slow->socket->write(slow_request.substr(sent++, 1).c_str(), 1);
  });
  drip.start();
  ASSERT_TRUE(RunUntil([&] { return sent == 2; }));

  std::unique_ptr<Client> quick = Connect();
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < 20; ++i) {
    quick->socket->write(QByteArray::fromStdString(Get("/v1/status")));
    ASSERT_TRUE(RunUntil([&] { return static_cast<int>(requests_.size()) == i + 1; }));
  }
  // Well within the second the slow client takes for its next byte.
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_EQ(sent, 2u);
  for (const ApiRequest& request : requests_) EXPECT_EQ(request.target, "/v1/status");
}

}  // namespace
}  // namespace tolvane
