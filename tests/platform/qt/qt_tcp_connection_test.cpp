// The TCP connection against a loopback server.
#include "platform/qt/qt_tcp_connection.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <string>
#include <vector>

#include "support/qt/run_until.h"

namespace tolvane {
namespace {

using testing::RunUntil;

class QtTcpConnectionTest : public ::testing::Test {
 protected:
  QtTcpConnectionTest() {
    EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      peer_ = server_.nextPendingConnection();
      QObject::connect(peer_, &QIODevice::readyRead, peer_,
                       [this] { received_ += peer_->readAll().toStdString(); });
    });
    connection_.SetOnConnected([this] { events_.push_back("connected"); });
    connection_.SetOnData([](const std::string&) {});
    connection_.SetOnClosed(
        [this](const std::string& reason) { events_.push_back("closed: " + reason); });
  }

  QTcpServer server_;
  QTcpSocket* peer_ = nullptr;
  std::string received_;
  QtTcpConnection connection_;
  std::vector<std::string> events_;
};

TEST_F(QtTcpConnectionTest, OnlyTheFarSideClosingIsReported) {
  connection_.Connect("127.0.0.1", server_.serverPort(), false);
  EXPECT_FALSE(connection_.IsOpen());
  ASSERT_TRUE(RunUntil([&] { return connection_.IsOpen() && peer_ != nullptr; }));
  peer_->close();
  ASSERT_TRUE(RunUntil([&] { return !connection_.IsOpen(); }));

  // Closing on our side raises nothing.
  connection_.Connect("127.0.0.1", server_.serverPort(), false);
  ASSERT_TRUE(RunUntil([&] { return connection_.IsOpen(); }));
  connection_.Close();
  EXPECT_FALSE(connection_.IsOpen());
  RunUntil([] { return false; }, 300);
  EXPECT_EQ(events_, (std::vector<std::string>{
                         "connected", "closed: The server closed the connection", "connected"}));
}

TEST_F(QtTcpConnectionTest, TlsToAPlainServerFailsAndSendsNoPlainText) {
  connection_.Connect("127.0.0.1", server_.serverPort(), true);
  ASSERT_TRUE(RunUntil([&] { return peer_ != nullptr; }));
  // The server answers the handshake with bytes that are not TLS.
  peer_->write("220 hello\r\n");
  ASSERT_TRUE(RunUntil([&] { return !events_.empty(); }));
  EXPECT_EQ(events_[0].rfind("closed: ", 0), 0u) << events_[0];
  EXPECT_FALSE(connection_.IsOpen());
  connection_.Write("secret");
  RunUntil([] { return false; }, 300);
  EXPECT_EQ(received_.find("secret"), std::string::npos);
  // The client spoke TLS from its first byte: a handshake record.
  ASSERT_FALSE(received_.empty());
  EXPECT_EQ(received_[0], '\x16');
}

}  // namespace
}  // namespace tolvane
