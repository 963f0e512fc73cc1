#include "platform/qt/qt_pop3_client.h"

#include <QSslError>

#include "platform/mail_errors.h"
#include "platform/mail_header.h"
#include "platform/pop3_answer_reader.h"
#include "platform/text_codec.h"

namespace tolvane {
namespace {

bool HasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

QtPop3Client::QtPop3Client(int answer_timeout_ms) : answer_timeout_ms_(answer_timeout_ms) {
  answer_timer_.setSingleShot(true);
  answer_timer_.setInterval(answer_timeout_ms_);
  QObject::connect(&answer_timer_, &QTimer::timeout, [this] { OnTimeout(); });
}

QtPop3Client::~QtPop3Client() { Abort(); }

int QtPop3Client::Connect() {
  std::optional<MailServerAddress> address = ParseMailServer(server_);
  if (!address) return kMailErrorInvalidArgument;
  if (logged_in_) return kMailErrorAlreadyConnected;
  if (step_ != Step::kIdle) return kMailErrorBusy;
  // A line break would let the text end the command and start another.
  if (user_name_.empty() || HasLineBreak(user_name_)) return kMailErrorInvalidUserName;
  if (HasLineBreak(password_)) return kMailErrorInvalidPassword;

  address_ = *address;
  CloseSocket();
  socket_ = std::make_unique<QSslSocket>();
  QSslSocket* socket = socket_.get();
  QObject::connect(socket, &QSslSocket::encrypted, [this] { OnEncrypted(); });
  QObject::connect(socket, &QSslSocket::readyRead, [this] { OnReadyRead(); });
  QObject::connect(socket, &QSslSocket::errorOccurred,
                   [this](QAbstractSocket::SocketError error) { OnSocketError(error); });
  QObject::connect(socket, &QSslSocket::disconnected, [this] {
    if (step_ == Step::kQuit) FinishQuit();
  });
  QObject::connect(socket, &QSslSocket::sslErrors, [this](const QList<QSslError>& errors) {
    ssl_errors_.clear();
    for (const QSslError& error : errors) {
      if (!ssl_errors_.empty()) ssl_errors_ += "; ";
      ssl_errors_ += error.errorString().toStdString();
    }
  });
  reader_.Clear();
  ssl_errors_.clear();
  count_ = 0;
  top_unsupported_ = false;
  step_ = Step::kGreeting;
  answer_timer_.start();
  const QString host = QString::fromStdString(address_.host);
  if (address_.security == MailServerAddress::Security::kImplicitTls) {
    socket->connectToHostEncrypted(host, static_cast<quint16>(address_.port));
  } else {
    socket->connectToHost(host, static_cast<quint16>(address_.port));
  }
  return 0;
}

int QtPop3Client::Retrieve(int number) {
  if (!logged_in_ || !socket_ || socket_->state() != QAbstractSocket::ConnectedState) {
    return kMailErrorNotConnected;
  }
  if (step_ != Step::kIdle) return kMailErrorBusy;
  if (number < 1 || number > count_) return kMailErrorInvalidArgument;
  retrieving_ = number;
  const std::string n = std::to_string(number);
  if (top_unsupported_) {
    SendCommand("RETR " + n, Step::kRetr);
  } else {
    SendCommand("TOP " + n + " 0", Step::kTop);
  }
  return 0;
}

int QtPop3Client::Disconnect() {
  ++generation_;
  if (socket_ && socket_->state() == QAbstractSocket::ConnectedState && step_ != Step::kGreeting &&
      step_ != Step::kHandshake) {
    // The rest of an answer still under way may come before the farewell;
    // then only the closing of the connection ends the wait.
    quit_answer_expected_ = step_ == Step::kIdle;
    reader_.Clear();
    SendCommand("QUIT", Step::kQuit);
    return 0;
  }
  // Nothing to leave: the completion follows at once, as an event.
  CloseSocket();
  logged_in_ = false;
  step_ = Step::kQuit;
  const int generation = generation_;
  QTimer::singleShot(0, &answer_timer_, [this, generation] {
    if (generation == generation_) FinishQuit();
  });
  return 0;
}

void QtPop3Client::Abort() {
  ++generation_;
  answer_timer_.stop();
  CloseSocket();
  logged_in_ = false;
  step_ = Step::kIdle;
}

void QtPop3Client::OnEncrypted() {
  if (step_ == Step::kHandshake) SendUser();
}

void QtPop3Client::OnReadyRead() {
  if (!socket_) return;
  const QByteArray bytes = socket_->readAll();
  reader_.Add(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  answer_timer_.start();
  Pop3Answer answer;
  while (step_ != Step::kIdle && step_ != Step::kHandshake) {
    switch (reader_.Take(Multiline(), answer)) {
      case Pop3AnswerReader::Result::kNeedMore:
        return;
      case Pop3AnswerReader::Result::kOversized:
        return Fail(MailErrorText(kMailErrorUnexpectedResponse));
      case Pop3AnswerReader::Result::kAnswer:
        HandleAnswer(answer);
        break;
    }
  }
}

void QtPop3Client::HandleAnswer(const Pop3Answer& answer) {
  const std::string& status = answer.status;
  const bool ok = IsPositive(status);
  switch (step_) {
    case Step::kGreeting:
      if (!ok) return Fail(MailErrorText(kMailErrorUnexpectedResponse) + ServerText(status));
      if (address_.security == MailServerAddress::Security::kStartTls) {
        SendCommand("STLS", Step::kStls);
      } else {
        SendUser();
      }
      return;
    case Step::kStls:
      if (!ok) {
        return Fail(
            "The server does not offer STLS; write pop3:// before its name to use it without "
            "encryption.");
      }
      // Nothing the server sent before the handshake may count after it.
      reader_.Clear();
      step_ = Step::kHandshake;
      answer_timer_.start();
      socket_->startClientEncryption();
      return;
    case Step::kUser:
      if (!ok) return Fail(MailErrorText(kMailErrorInvalidUserName) + ServerText(status));
      SendCommand("PASS " + password_, Step::kPass);
      return;
    case Step::kPass:
      if (!ok) return Fail(MailErrorText(kMailErrorLoginFailed) + ServerText(status));
      SendCommand("STAT", Step::kStat);
      return;
    case Step::kStat: {
      const std::optional<int> count = StatCount(status);
      if (!count) return Fail(MailErrorText(kMailErrorUnexpectedResponse) + ServerText(status));
      count_ = *count;
      logged_in_ = true;
      return Complete();
    }
    case Step::kTop:
      if (!ok) {
        // A server without TOP sends the whole message instead.
        top_unsupported_ = true;
        SendCommand("RETR " + std::to_string(retrieving_), Step::kRetr);
        return;
      }
      text_ = MessageLine(answer.header);
      return Complete();
    case Step::kRetr:
      if (!ok) return Fail(MailErrorText(kMailErrorUnexpectedResponse) + ServerText(status));
      text_ = MessageLine(answer.header);
      return Complete();
    case Step::kQuit:
      if (quit_answer_expected_) FinishQuit();
      return;
    case Step::kIdle:
    case Step::kHandshake:
      return;
  }
}

void QtPop3Client::OnSocketError(QAbstractSocket::SocketError error) {
  if (step_ == Step::kQuit) return FinishQuit();
  const std::string detail = socket_ ? socket_->errorString().toStdString() : "";
  CloseSocket();
  logged_in_ = false;
  // Between operations a lost connection shows at the next one.
  if (step_ == Step::kIdle) return;
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
      return Fail(MailErrorText(kMailErrorConnectionRefused));
    case QAbstractSocket::HostNotFoundError:
      return Fail(MailErrorText(kMailErrorHostUnknown));
    case QAbstractSocket::RemoteHostClosedError:
      return Fail(MailErrorText(kMailErrorDisconnected));
    case QAbstractSocket::SocketTimeoutError:
      return Fail(MailErrorText(kMailErrorTimedOut));
    case QAbstractSocket::SslHandshakeFailedError:
      return Fail("The secure connection failed: " + (ssl_errors_.empty() ? detail : ssl_errors_));
    default:
      return Fail(detail);
  }
}

void QtPop3Client::OnTimeout() {
  if (step_ == Step::kQuit) return FinishQuit();
  if (step_ == Step::kIdle) return;
  Fail(MailErrorText(kMailErrorTimedOut));
}

void QtPop3Client::SendCommand(const std::string& command, Step next) {
  step_ = next;
  socket_->write(QByteArray::fromStdString(command + "\r\n"));
  answer_timer_.start();
}

void QtPop3Client::SendUser() { SendCommand("USER " + user_name_, Step::kUser); }

void QtPop3Client::Complete() {
  step_ = Step::kIdle;
  answer_timer_.stop();
  auto handler = on_complete_;
  if (handler) handler();
}

void QtPop3Client::Fail(const std::string& description) {
  // Before the log-in there is nothing to say goodbye to.
  if (!logged_in_) CloseSocket();
  step_ = Step::kIdle;
  answer_timer_.stop();
  reader_.Clear();
  auto handler = on_error_;
  if (handler) handler(description);
}

void QtPop3Client::FinishQuit() {
  CloseSocket();
  logged_in_ = false;
  Complete();
}

void QtPop3Client::CloseSocket() {
  if (!socket_) return;
  socket_->disconnect();
  socket_->abort();
  // The socket may be the sender of the signal being handled.
  socket_.release()->deleteLater();
}

}  // namespace tolvane
