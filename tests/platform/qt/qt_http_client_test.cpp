#include "platform/qt/qt_http_client.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <memory>

#include <sys/socket.h>

#include "support/qt/run_until.h"
#include "support/qt/simulator_process.h"

namespace tolvane {
namespace {

constexpr char kPath[] = "/servlet/norvoServlet/standardAccount/sendSingleSMS";
constexpr char kFormHeader[] = "Content-type: application/x-www-form-urlencoded\r\n";

// The simulated gateway on a free loopback port.
class GatewaySimProcess : public testing::SimulatorProcess {
 public:
  explicit GatewaySimProcess(const QStringList& arguments)
      : SimulatorProcess("gateway-sim", QStringList{"--port", "0"} + arguments,
                         testing::kGatewayAddress) {}
  int Port() const { return QUrl(QString::fromStdString(Address())).port(0); }
  std::string Url(const std::string& path = kPath) const { return Address() + path; }
};

class QtHttpClientTest : public ::testing::Test {
 protected:
  QtHttpClientTest() { NewClient(); }

  void NewClient() {
    client_ = std::make_unique<QtHttpClient>();
    client_->SetOnStateChanged([this](int state) { states_.push_back(state); });
  }

  // Runs Qt's loop until the next state event or `timeout_ms`; the state, or 0.
  int WaitForState(int timeout_ms = 10000) {
    const size_t before = states_.size();
    return testing::RunUntil([&] { return states_.size() > before; }, timeout_ms) ? states_.back()
                                                                                  : 0;
  }

  int Post(const std::string& url, const std::string& body) {
    client_->Execute(url, "POST", body, kFormHeader);
    EXPECT_TRUE(client_->StillExecuting());
    return WaitForState();
  }

  std::string Body() {
    std::string body;
    for (std::string chunk = client_->GetChunk(16); !chunk.empty(); chunk = client_->GetChunk(16)) {
      EXPECT_LE(chunk.size(), 16u);
      body += chunk;
    }
    return body;
  }

  GatewaySimProcess gateway_{{"--answer", "301=301", "--answer", "555=silent"}};
  std::unique_ptr<QtHttpClient> client_;
  std::vector<int> states_;
};

// Every status completes the request; redirects are not followed.
TEST_F(QtHttpClientTest, PostsTheFormAndDeliversTheWholeAnswerWhateverTheStatusOrCancels) {
  ASSERT_NE(gateway_.Port(), 0);
  ASSERT_EQ(Post(gateway_.Url(),
                 "toPhoneNumber=46701&message=C%2B%2B+50/+off+%26+K%F6p&accountPassword=a%26b%3Dc"),
            HttpClient::kStateResponseCompleted);
  EXPECT_FALSE(client_->StillExecuting());
  std::string header = client_->GetHeader();
  EXPECT_TRUE(header.starts_with("HTTP/1.1 200 OK\r\n")) << header;
  EXPECT_EQ(Body(), std::string("POST ") + kPath +
                        "\ntoPhoneNumber=46701\nmessage=C++ 50/ off & K\xF6p\n"
                        "accountPassword=a&b=c\n");
  ASSERT_EQ(Post(gateway_.Url(), "toPhoneNumber=301"), HttpClient::kStateResponseCompleted);
  EXPECT_TRUE(client_->GetHeader().starts_with("HTTP/1.1 301 Gateway Status\r\n"));

  // The gateway serves as the proxy; the host in the address exists nowhere.
  client_->SetProxy(HttpClient::kNamedProxy, "127.0.0.1", gateway_.Port());
  ASSERT_EQ(Post(std::string("http://gateway.invalid") + kPath, "toPhoneNumber=1"),
            HttpClient::kStateResponseCompleted);
  EXPECT_TRUE(Body().starts_with(std::string("POST http://gateway.invalid") + kPath + "\n"));
  client_->SetProxy(HttpClient::kDirect, "", 0);

  // Cancel stops an unanswered request without a state event.
  client_->Execute(gateway_.Url(), "POST", "toPhoneNumber=555", kFormHeader);
  EXPECT_EQ(WaitForState(300), 0);
  client_->Cancel();
  EXPECT_FALSE(client_->StillExecuting());
  EXPECT_EQ(WaitForState(300), 0);
  ASSERT_EQ(Post(gateway_.Url(), "toPhoneNumber=1"), HttpClient::kStateResponseCompleted);
  EXPECT_TRUE(Body().starts_with(std::string("POST ") + kPath + "\n"));
  EXPECT_EQ(states_, std::vector<int>(4, HttpClient::kStateResponseCompleted));
}

TEST_F(QtHttpClientTest, ConnectionResetAnywhereInTheAnswerEndsTheRequestOnce) {
  const QByteArray answer =
      "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 20\r\n\r\n0123456789";
  // Sends the first `cut` bytes of the answer, then resets the connection.
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  int cut = 0;
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    QTcpSocket* socket = server.nextPendingConnection();
    auto request = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, [&, socket, request] {
      *request += socket->readAll();
      if (!request->endsWith("x=1")) return;
      socket->write(answer.left(cut));
      socket->waitForBytesWritten(1000);
      const linger reset{1, 0};
      setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                 sizeof reset);
      socket->abort();
      socket->deleteLater();
    });
  });
  const std::string url = "http://127.0.0.1:" + std::to_string(server.serverPort()) + kPath;
  for (cut = 0; cut <= answer.size(); ++cut) {
    SCOPED_TRACE(cut);
    NewClient();
    states_.clear();
    const int state = Post(url, "x=1");
    EXPECT_EQ(WaitForState(50), 0) << "a second state event";
    EXPECT_FALSE(client_->StillExecuting());
    if (state == HttpClient::kStateError) {
      EXPECT_NE(client_->ResponseCode(), 0);
      EXPECT_FALSE(client_->ResponseInfo().empty());
    } else {
      // Only a whole status line makes an answer.
      ASSERT_EQ(state, HttpClient::kStateResponseCompleted);
      EXPECT_TRUE(client_->GetHeader().starts_with("HTTP/1.1 200 OK\r\n"));
      EXPECT_LE(Body().size(), 10u);
    }
  }
}

TEST_F(QtHttpClientTest, OpenUrlFetchesSynchronouslyWithinItsTimeOut) {
  std::string query = "/any?accountName=konto";
  EXPECT_EQ(client_->OpenUrl(gateway_.Url(query), 5000), "GET " + query + "\naccountName=konto\n");

  // A server that takes the connection and never answers.
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(client_->OpenUrl("http://127.0.0.1:" + std::to_string(silent.serverPort()) + "/x", 300),
            "");
  EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(QtHttpClientTest, HttpsWorksWithATrustedCertificate) {
  const QString data = TOLVANE_SOURCE_DIR "/tests/data/";
  GatewaySimProcess tls_gateway(
      {"--tls-cert", data + "loopback_tls_cert.pem", "--tls-key", data + "loopback_tls_key.pem"});
  ASSERT_TRUE(tls_gateway.Url().starts_with("https://127.0.0.1:"));

  // Not yet trusted: the handshake fails and the client says so.
  ASSERT_EQ(Post(tls_gateway.Url(), "toPhoneNumber=1"), HttpClient::kStateError);
  EXPECT_EQ(client_->ResponseCode(), static_cast<int>(QNetworkReply::SslHandshakeFailedError));

  QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
  QSslConfiguration original = trusting;
  ASSERT_TRUE(trusting.addCaCertificates(data + "loopback_tls_cert.pem"));
  QSslConfiguration::setDefaultConfiguration(trusting);
  NewClient();
  int state = Post(tls_gateway.Url(), "toPhoneNumber=1&message=s%C4ker");
  QSslConfiguration::setDefaultConfiguration(original);

  ASSERT_EQ(state, HttpClient::kStateResponseCompleted);
  EXPECT_TRUE(client_->GetHeader().starts_with("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(Body(), std::string("POST ") + kPath + "\ntoPhoneNumber=1\nmessage=s\xC4ker\n");
}

}  // namespace
}  // namespace tolvane
