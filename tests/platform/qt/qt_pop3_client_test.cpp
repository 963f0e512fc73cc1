// The POP3 client against a real Dovecot on loopback (plain, STLS, implicit
// TLS) and against a small scripted server for answers no sound server gives.
#include "platform/qt/qt_pop3_client.h"

#include <gtest/gtest.h>

#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <map>
#include <optional>

#include "platform/mail_errors.h"
#include "support/qt/dovecot_server.h"
#include "support/qt/run_until.h"

namespace tolvane {
namespace {

using testing::DovecotServer;

constexpr char kOk[] = "ok";

// Records the client's events and waits for them in Qt's loop.
class ClientEvents {
 public:
  explicit ClientEvents(MailClient& client) {
    client.SetOnComplete([this] { Note(kOk); });
    client.SetOnError([this](const std::string& text) { Note("error: " + text); });
  }
  // The next event: "ok", "error: ..." or "none" after `timeout_ms`.
  std::string Next(int timeout_ms = 20000) {
    if (!testing::RunUntil([this] { return !events_.empty(); }, timeout_ms)) return "none";
    std::string event = events_.front();
    events_.erase(events_.begin());
    return event;
  }

 private:
  void Note(const std::string& event) { events_.push_back(event); }
  std::vector<std::string> events_;
};

// A client with its events followed; each call gives the event it ended in,
// or "sync <error>" when it was refused at once.
class Pop3ClientTest : public ::testing::Test {
 protected:
  explicit Pop3ClientTest(int answer_ms = QtPop3Client::kDefaultAnswerTimeoutMs)
      : client_(answer_ms) {}

  std::string Connect(const std::string& server, const std::string& user,
                      const std::string& password) {
    client_.SetServer(server);
    client_.SetUserName(user);
    client_.SetPassword(password);
    int error = client_.Connect();
    return error == 0 ? events_.Next() : "sync " + std::to_string(error);
  }
  std::string Retrieve(int number) {
    int error = client_.Retrieve(number);
    return error == 0 ? events_.Next() : "sync " + std::to_string(error);
  }

  QtPop3Client client_;
  ClientEvents events_{client_};
};

class QtPop3ClientDovecotTest : public Pop3ClientTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(server_.Failure(), "");
    QSslConfiguration trusting = original_;
    ASSERT_TRUE(
        trusting.addCaCertificates(QString::fromStdString(DovecotServer::CertificatePath())));
    QSslConfiguration::setDefaultConfiguration(trusting);
  }
  void TearDown() override { QSslConfiguration::setDefaultConfiguration(original_); }

  std::string Connect(const std::string& server,
                      const std::string& password = DovecotServer::kPassword) {
    return Pop3ClientTest::Connect(server, DovecotServer::kUser, password);
  }
  std::string Plain() const { return "pop3://127.0.0.1:" + std::to_string(server_.PlainPort()); }
  std::string StartTls() const { return "127.0.0.1:" + std::to_string(server_.PlainPort()); }
  std::string Tls() const { return "pop3s://127.0.0.1:" + std::to_string(server_.TlsPort()); }

  const QSslConfiguration original_ = QSslConfiguration::defaultConfiguration();
  DovecotServer server_;
};

TEST_F(QtPop3ClientDovecotTest, PlainStlsAndImplicitTlsCountAndReadEachMessage) {
  server_.AddMessage("From: Anna Berg <anna@example.com>\nSubject: Lunch?\n\nAt noon.\n");
  server_.AddMessage(
      "From: =?UTF-8?Q?Bj=C3=B6rn_=C3=85s?= <b@example.com>\r\n"
      "Subject: =?UTF-8?B?S8O2cCBueWEgw6RwcGxlbg==?=\r\n\r\n.Dotted body line\r\n");
  for (const std::string& server : {Plain(), StartTls(), Tls()}) {
    SCOPED_TRACE(server);
    ASSERT_EQ(Connect(server), kOk);
    EXPECT_EQ(client_.MessageCount(), 2);
    ASSERT_EQ(Retrieve(1), kOk);
    EXPECT_EQ(client_.MessageText(), "Anna Berg: Lunch?");
    ASSERT_EQ(Retrieve(2), kOk);
    EXPECT_EQ(client_.MessageText(), "Björn Ås: Köp nya äpplen");
    EXPECT_EQ(client_.Retrieve(3), kMailErrorInvalidArgument);
    ASSERT_EQ(client_.Disconnect(), 0);
    EXPECT_EQ(events_.Next(), kOk);
  }
}

TEST_F(QtPop3ClientDovecotTest, AWrongPasswordOrAnUntrustedCertificateFailsTheLogin) {
  std::string failed = Connect(StartTls(), "wrong");
  EXPECT_EQ(failed.rfind("error: Login failed.", 0), 0u) << failed;

  // An untrusted certificate is an error, never plain text.
  QSslConfiguration::setDefaultConfiguration(original_);
  for (const std::string& server : {StartTls(), Tls()}) {
    std::string failed = Connect(server);
    EXPECT_EQ(failed.rfind("error: The secure connection failed", 0), 0u) << failed;
  }
}

TEST(QtPop3ClientTest, ServerTextsThatCannotWorkAreRefusedAtOnceAndNobodyListeningLater) {
  QtPop3Client client;
  client.SetUserName("anna");
  client.SetServer("imap://mail.example.com");
  EXPECT_EQ(client.Connect(), kMailErrorInvalidArgument);
  client.SetServer("127.0.0.1:1");
  client.SetUserName("");
  EXPECT_EQ(client.Connect(), kMailErrorInvalidUserName);
  client.SetUserName("anna\r\nDELE 1");
  EXPECT_EQ(client.Connect(), kMailErrorInvalidUserName);
  EXPECT_EQ(client.Retrieve(1), kMailErrorNotConnected);

  // Nobody listening is a refused connection.
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  const int port = probe.serverPort();
  probe.close();
  ClientEvents events(client);
  client.SetServer("pop3://127.0.0.1:" + std::to_string(port));
  client.SetUserName("anna");
  ASSERT_EQ(client.Connect(), 0);
  EXPECT_EQ(events.Next(), "error: " + MailErrorText(kMailErrorConnectionRefused));
}

// A POP3 server that answers each command from a script; a command without
// an entry gets no answer at all.
class ScriptedServer {
 public:
  static constexpr char kClose[] = "<close>";

  explicit ScriptedServer(std::map<std::string, std::string> script) : script_(std::move(script)) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      QTcpSocket* socket = server_.nextPendingConnection();
      socket->write("+OK scripted\r\n");
      QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
        while (socket->canReadLine()) {
          std::string command = socket->readLine().trimmed().toStdString();
          commands_.push_back(command);
          auto answer = script_.find(command);
          if (answer == script_.end()) continue;
          if (answer->second == kClose) {
            socket->close();
            return;
          }
          socket->write(QByteArray::fromStdString(answer->second));
        }
      });
    });
  }
  std::string Address() const { return "pop3://127.0.0.1:" + std::to_string(server_.serverPort()); }
  const std::vector<std::string>& Commands() const { return commands_; }

 private:
  QTcpServer server_;
  std::map<std::string, std::string> script_;
  std::vector<std::string> commands_;
};

std::map<std::string, std::string> LoggedIn(std::map<std::string, std::string> more) {
  more.insert({"USER anna", "+OK\r\n"});
  more.insert({"PASS pw", "+OK\r\n"});
  more.insert({"STAT", "+OK 2 300\r\n"});
  more.insert({"TOP 1 0", "+OK\r\nFrom: a@example.com\r\nSubject: one\r\n\r\n.\r\n"});
  return more;
}

class QtPop3ClientScriptedTest : public Pop3ClientTest {
 protected:
  QtPop3ClientScriptedTest() : Pop3ClientTest(300) {}

  std::string Connect(ScriptedServer& server) {
    return Pop3ClientTest::Connect(server.Address(), "anna", "pw");
  }
};

TEST_F(QtPop3ClientScriptedTest, AServerThatStopsMidListEndsWithATimeoutAndStillLetsGo) {
  ScriptedServer server(LoggedIn({{"TOP 2 0", "+OK\r\nFrom: c@example.com\r\n"}}));
  ASSERT_EQ(Connect(server), kOk);
  ASSERT_EQ(Retrieve(1), kOk);
  EXPECT_EQ(client_.MessageText(), "a@example.com: one");
  EXPECT_EQ(Retrieve(2), "error: Operation timed out.");
  // QUIT goes unanswered too; leaving still completes.
  client_.Disconnect();
  EXPECT_EQ(events_.Next(), kOk);
  EXPECT_EQ(server.Commands().back(), "QUIT");
}

TEST_F(QtPop3ClientScriptedTest, MalformedEndlessOrClosedAnswersAreErrors) {
  const std::string unexpected = "error: " + MailErrorText(kMailErrorUnexpectedResponse);
  // (What answers the reader refuses, its own tests show.)
  {
    ScriptedServer server(LoggedIn({{"STAT", "+OK many\r\n"}}));
    EXPECT_EQ(Connect(server).rfind(unexpected, 0), 0u);
  }
  {
    ScriptedServer server(LoggedIn({{"PASS pw", ScriptedServer::kClose}}));
    EXPECT_EQ(Connect(server), "error: " + MailErrorText(kMailErrorDisconnected));
  }
  {
    ScriptedServer server(LoggedIn({{"STLS", "-ERR no\r\n"}}));
    // Without a scheme the connection must be encrypted.
    client_.SetServer(server.Address().substr(std::string("pop3://").size()));
    ASSERT_EQ(client_.Connect(), 0);
    std::string refused = events_.Next();
    EXPECT_NE(refused.find("does not offer STLS"), std::string::npos) << refused;
    EXPECT_EQ(server.Commands(), std::vector<std::string>{"STLS"});
  }
}

TEST_F(QtPop3ClientScriptedTest, AServerWithoutTopIsReadWithRetr) {
  ScriptedServer server(LoggedIn({{"TOP 2 0", "-ERR unknown command\r\n"},
                                  {"RETR 2",
                                   "+OK\r\nSubject: two\r\nFrom: <d@example.com>\r\n\r\n"
                                   "..body\r\n.\r\n"}}));
  ASSERT_EQ(Connect(server), kOk);
  ASSERT_EQ(Retrieve(2), kOk);
  EXPECT_EQ(client_.MessageText(), "d@example.com: two");
  EXPECT_EQ(Retrieve(1), "error: Operation timed out.");
  // Once known, TOP is not tried again.
  EXPECT_EQ(server.Commands().back(), "RETR 1");
}

}  // namespace
}  // namespace tolvane
