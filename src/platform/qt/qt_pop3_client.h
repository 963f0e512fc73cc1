#ifndef TOLVANE_PLATFORM_QT_QT_POP3_CLIENT_H_
#define TOLVANE_PLATFORM_QT_QT_POP3_CLIENT_H_

#include <QSslSocket>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "platform/mail_client.h"
#include "platform/mail_server_address.h"
#include "platform/pop3_answer_reader.h"

namespace tolvane {

// A POP3 client on Qt's sockets: plain text, STLS or implicit TLS, the
// server's certificate verified against the trusted authorities (never a
// fall-back to plain text). USER and PASS log in; STAT counts the mail; a
// message is read with "TOP n 0" (its header only), with RETR only for a
// server without TOP. Every answer must come within the answer time and
// stay within a size limit; otherwise the operation ends with an error.
class QtPop3Client : public MailClient {
 public:
  static constexpr int kDefaultAnswerTimeoutMs = 30000;

  explicit QtPop3Client(int answer_timeout_ms = kDefaultAnswerTimeoutMs);
  ~QtPop3Client() override;

  void SetServer(const std::string& server) override { server_ = server; }
  void SetUserName(const std::string& user_name) override { user_name_ = user_name; }
  void SetPassword(const std::string& password) override { password_ = password; }
  int Connect() override;
  int MessageCount() const override { return count_; }
  int Retrieve(int number) override;
  std::string MessageText() const override { return text_; }
  int Disconnect() override;
  void Abort() override;
  void SetOnComplete(std::function<void()> handler) override { on_complete_ = std::move(handler); }
  void SetOnError(std::function<void(const std::string&)> handler) override {
    on_error_ = std::move(handler);
  }

 private:
  // What the client waits for.
  enum class Step {
    kIdle,
    kGreeting,
    kStls,
    kHandshake,
    kUser,
    kPass,
    kStat,
    kTop,
    kRetr,
    kQuit,
  };

  void OnEncrypted();
  void OnReadyRead();
  void OnSocketError(QAbstractSocket::SocketError error);
  void OnTimeout();
  void HandleAnswer(const Pop3Answer& answer);
  void SendCommand(const std::string& command, Step next);
  void SendUser();
  void FinishQuit();
  // Ends the operation in progress with the completion or error event.
  void Complete();
  void Fail(const std::string& description);
  void CloseSocket();
  bool Multiline() const { return step_ == Step::kTop || step_ == Step::kRetr; }

  const int answer_timeout_ms_;
  std::string server_;
  std::string user_name_;
  std::string password_;
  std::function<void()> on_complete_;
  std::function<void(const std::string&)> on_error_;

  MailServerAddress address_;
  std::unique_ptr<QSslSocket> socket_;
  QTimer answer_timer_;
  Pop3AnswerReader reader_;
  std::string ssl_errors_;
  Step step_ = Step::kIdle;
  // QUIT was sent with no answer under way, so its answer can be read.
  bool quit_answer_expected_ = false;
  // Drops a deferred completion that Abort or a later Disconnect overtook.
  int generation_ = 0;
  bool logged_in_ = false;
  bool top_unsupported_ = false;
  int retrieving_ = 0;
  int count_ = 0;
  std::string text_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_POP3_CLIENT_H_
