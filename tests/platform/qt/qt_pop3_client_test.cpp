// The POP3 client against a real Dovecot on loopback (plain, STLS, implicit
// TLS) and against a small scripted server for answers no sound server gives.
#include "platform/qt/qt_pop3_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>

#include "platform/mail_errors.h"
#include "support/qt/dovecot_server.h"
#include "support/qt/run_until.h"

namespace tolvane {
namespace {

using testing::DovecotServer;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr char kOk[] = "ok";
using Script = std::map<std::string, std::string>;

// Each call gives the event it ended in ("ok", "error: ..." or "none" after
// 20 s), or "sync <error>" when it was refused at once.
class QtPop3ClientTest : public ::testing::Test {
 protected:
  explicit QtPop3ClientTest(int answer_ms = QtPop3Client::kDefaultAnswerTimeoutMs)
      : client_(answer_ms) {
    client_.SetOnComplete([this] { events_.push_back(kOk); });
    client_.SetOnError([this](const std::string& text) { events_.push_back("error: " + text); });
  }

  std::string Next() {
    if (!testing::RunUntil([this] { return !events_.empty(); }, 20000)) return "none";
    std::string event = events_.front();
    events_.erase(events_.begin());
    return event;
  }
  std::string Ended(int error) { return error == 0 ? Next() : "sync " + std::to_string(error); }
  std::string Connect(const std::string& server, const std::string& user = DovecotServer::kUser,
                      const std::string& password = DovecotServer::kPassword) {
    client_.SetServer(server);
    client_.SetUserName(user);
    client_.SetPassword(password);
    return Ended(client_.Connect());
  }
  std::string Retrieve(int number) { return Ended(client_.Retrieve(number)); }

  QtPop3Client client_;
  std::vector<std::string> events_;
};

class QtPop3ClientDovecotTest : public QtPop3ClientTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(server_.Failure(), "");
    QSslConfiguration trusting = original_;
    ASSERT_TRUE(
        trusting.addCaCertificates(QString::fromStdString(DovecotServer::CertificatePath())));
    QSslConfiguration::setDefaultConfiguration(trusting);
  }
  void TearDown() override { QSslConfiguration::setDefaultConfiguration(original_); }

  std::string StartTls() const { return "127.0.0.1:" + std::to_string(server_.PlainPort()); }
  std::string Tls() const { return "pop3s://127.0.0.1:" + std::to_string(server_.TlsPort()); }

  const QSslConfiguration original_ = QSslConfiguration::defaultConfiguration();
  DovecotServer server_;
};

// An untrusted certificate is an error, never plain text.
TEST_F(QtPop3ClientDovecotTest, PlainStlsAndImplicitTlsReadEachMessageButNotWithoutTrust) {
  server_.AddMessage("From: Anna Berg <anna@example.com>\nSubject: Lunch?\n\nAt noon.\n");
  server_.AddMessage(
      "From: =?UTF-8?Q?Bj=C3=B6rn_=C3=85s?= <b@example.com>\r\n"
      "Subject: =?UTF-8?B?S8O2cCBueWEgw6RwcGxlbg==?=\r\n\r\n.Dotted body line\r\n");
  EXPECT_THAT(Connect(StartTls(), DovecotServer::kUser, "wrong"),
              StartsWith("error: Login failed."));
  for (const std::string& server : {"pop3://" + StartTls(), StartTls(), Tls()}) {
    SCOPED_TRACE(server);
    ASSERT_EQ(Connect(server), kOk);
    EXPECT_EQ(client_.MessageCount(), 2);
    ASSERT_EQ(Retrieve(1), kOk);
    EXPECT_EQ(client_.MessageText(), "Anna Berg: Lunch?");
    ASSERT_EQ(Retrieve(2), kOk);
    EXPECT_EQ(client_.MessageText(), "Björn Ås: Köp nya äpplen");
    EXPECT_EQ(client_.Retrieve(3), kMailErrorInvalidArgument);
    EXPECT_EQ(Ended(client_.Disconnect()), kOk);
  }
  QSslConfiguration::setDefaultConfiguration(original_);
  for (const std::string& server : {StartTls(), Tls()}) {
    EXPECT_THAT(Connect(server), StartsWith("error: The secure connection failed"));
  }
}

// Answers each command from a script; a command without an entry gets none.
class ScriptedServer {
 public:
  static constexpr char kClose[] = "<close>";

  explicit ScriptedServer(const Script& more) {
    script_ = {{"USER anna", "+OK\r\n"},
               {"PASS pw", "+OK\r\n"},
               {"STAT", "+OK 2 300\r\n"},
               {"TOP 1 0", "+OK\r\nFrom: a@example.com\r\nSubject: one\r\n\r\n.\r\n"}};
    for (const auto& [command, answer] : more) script_[command] = answer;
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
  std::string Address() const { return "127.0.0.1:" + std::to_string(server_.serverPort()); }
  const std::vector<std::string>& Commands() const { return commands_; }

 private:
  QTcpServer server_;
  Script script_;
  std::vector<std::string> commands_;
};

class QtPop3ClientScriptedTest : public QtPop3ClientTest {
 protected:
  QtPop3ClientScriptedTest() : QtPop3ClientTest(300) {}
};

TEST_F(QtPop3ClientScriptedTest, ServerTextsThatCannotWorkAreRefusedAtOnceAndNobodyListeningLater) {
  for (const char* user : {"", "anna\r\nDELE 1"}) {
    EXPECT_EQ(Connect("127.0.0.1:1", user), "sync " + std::to_string(kMailErrorInvalidUserName));
  }

  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  const int port = probe.serverPort();
  probe.close();
  EXPECT_EQ(Connect("pop3://127.0.0.1:" + std::to_string(port), "anna"),
            "error: " + MailErrorText(kMailErrorConnectionRefused));
}

// Without a scheme the connection must be encrypted.
TEST_F(QtPop3ClientScriptedTest, MalformedEndlessOrClosedAnswersAreErrors) {
  const struct {
    Script script;
    std::string scheme;
    ::testing::Matcher<std::string> error;
  } cases[] = {
      {{{"STAT", "+OK many\r\n"}},
       "pop3://",
       StartsWith("error: " + MailErrorText(kMailErrorUnexpectedResponse))},
      {{{"PASS pw", ScriptedServer::kClose}},
       "pop3://",
       ::testing::Eq("error: " + MailErrorText(kMailErrorDisconnected))},
      {{{"STLS", "-ERR no\r\n"}},
       "",
       ::testing::AllOf(StartsWith("error: "), HasSubstr("does not offer STLS"))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scheme);
    ScriptedServer server(c.script);
    EXPECT_THAT(Connect(c.scheme + server.Address(), "anna", "pw"), c.error);
    if (c.scheme.empty()) {
      EXPECT_EQ(server.Commands(), std::vector<std::string>{"STLS"});
    }
  }
}

// Once refused, TOP is not tried again; an answer stopping midway times out.
TEST_F(QtPop3ClientScriptedTest, AServerWithoutTopIsReadWithRetrAndOneThatStopsMidwayTimesOut) {
  ScriptedServer server(
      Script{{"STAT", "+OK 3 300\r\n"},
             {"TOP 2 0", "-ERR unknown command\r\n"},
             {"RETR 2", "+OK\r\nSubject: two\r\nFrom: <d@example.com>\r\n\r\n..body\r\n.\r\n"},
             {"RETR 3", "+OK\r\nFrom: c@example.com\r\n"}});
  ASSERT_EQ(Connect("pop3://" + server.Address(), "anna", "pw"), kOk);
  ASSERT_EQ(Retrieve(1), kOk);
  EXPECT_EQ(client_.MessageText(), "a@example.com: one");
  ASSERT_EQ(Retrieve(2), kOk);
  EXPECT_EQ(client_.MessageText(), "d@example.com: two");
  EXPECT_EQ(Retrieve(3), "error: Operation timed out.");
  client_.Disconnect();
  EXPECT_EQ(Next(), kOk);
  EXPECT_EQ(server.Commands(), (std::vector<std::string>{"USER anna", "PASS pw", "STAT", "TOP 1 0",
                                                         "TOP 2 0", "RETR 2", "RETR 3", "QUIT"}));
}

}  // namespace
}  // namespace tolvane
