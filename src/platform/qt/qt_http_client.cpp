#include "platform/qt/qt_http_client.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "platform/text_codec.h"

namespace tolvane {
namespace {

QUrl ToUrl(const std::string& url) { return QUrl(QString::fromStdString(url)); }

std::string ToText(const QString& text) { return text.toStdString(); }

// "Name: value" lines of the program's header text as request headers.
void AddHeaders(QNetworkRequest& request, const std::string& headers) {
  for (const QByteArray& line : QByteArray::fromStdString(headers).split('\n')) {
    qsizetype colon = line.indexOf(':');
    if (colon <= 0) continue;
    request.setRawHeader(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
  }
}

// Whether an HTTP answer arrived, whatever its status.
bool Answered(QNetworkReply* reply) {
  return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

// The answer's header text: the status line rebuilt from the status code and
// reason phrase, then the header lines.
std::string HeaderText(QNetworkReply* reply) {
  bool http2 = reply->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool();
  std::string text =
      std::string(http2 ? "HTTP/2 " : "HTTP/1.1 ") +
      std::to_string(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()) + " " +
      ToText(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()) + "\r\n";
  for (const auto& [name, value] : reply->rawHeaderPairs()) {
    text += ForeignTextToUtf8(name.toStdString() + ": " + value.toStdString()) + "\r\n";
  }
  return text;
}

}  // namespace

QtHttpClient::QtHttpClient() = default;

QtHttpClient::~QtHttpClient() { Cancel(); }

void QtHttpClient::Execute(const std::string& url, const std::string& method,
                           const std::string& body, const std::string& headers) {
  // One request at a time: a new one replaces a forgotten one.
  Cancel();
  header_.clear();
  body_.clear();
  read_position_ = 0;
  error_code_ = 0;
  error_text_.clear();

  QNetworkRequest request(ToUrl(url));
  // A redirect status is the gateway's answer, not an address to follow.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  AddHeaders(request, headers);
  QNetworkReply* reply = manager_.sendCustomRequest(request, QByteArray::fromStdString(method),
                                                    QByteArray::fromStdString(body));
  reply_ = reply;
  QObject::connect(reply, &QNetworkReply::finished, &manager_,
                   [this, reply] { OnFinished(reply); });
}

void QtHttpClient::OnFinished(QNetworkReply* reply) {
  reply->deleteLater();
  // A cancelled request reports nothing.
  if (reply != reply_) return;
  reply_ = nullptr;
  int state = kStateError;
  if (Answered(reply)) {
    header_ = HeaderText(reply);
    body_ = reply->readAll().toStdString();
    state = kStateResponseCompleted;
  } else {
    error_code_ = static_cast<int>(reply->error());
    error_text_ = ToText(reply->errorString());
  }
  if (on_state_changed_) on_state_changed_(state);
}

void QtHttpClient::SetOnStateChanged(std::function<void(int state)> handler) {
  on_state_changed_ = std::move(handler);
}

std::string QtHttpClient::GetChunk(int size) {
  std::string chunk = body_.substr(std::min(read_position_, body_.size()), size);
  read_position_ += chunk.size();
  return chunk;
}

void QtHttpClient::Cancel() {
  QNetworkReply* reply = reply_;
  if (reply == nullptr) return;
  reply_ = nullptr;
  // abort() reports finished at once; OnFinished then sees a stale reply.
  reply->abort();
}

void QtHttpClient::SetProxy(int access_type, const std::string& host, int port) {
  if (access_type == kNamedProxy) {
    manager_.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QString::fromStdString(host),
                                    static_cast<quint16>(port)));
  } else {
    manager_.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
  }
}

std::string QtHttpClient::OpenUrl(const std::string& url, int timeout_ms) {
  QNetworkRequest request(ToUrl(url));
  QNetworkReply* reply = manager_.get(request);
  QEventLoop wait;
  QObject::connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
  // The whole fetch is bounded, not only the silence between two packets.
  QTimer::singleShot(timeout_ms, reply, &QNetworkReply::abort);
  if (!reply->isFinished()) wait.exec(QEventLoop::ExcludeUserInputEvents);
  std::string body = Answered(reply) ? reply->readAll().toStdString() : std::string();
  delete reply;
  return body;
}

}  // namespace tolvane
