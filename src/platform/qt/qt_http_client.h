#ifndef TOLVANE_PLATFORM_QT_QT_HTTP_CLIENT_H_
#define TOLVANE_PLATFORM_QT_QT_HTTP_CLIENT_H_

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <functional>
#include <string>

#include "platform/http_client.h"

namespace tolvane {

// The HTTP client on Qt's network access: http and https, direct or through a
// named HTTP proxy. Every HTTP answer, whatever its status, completes the
// request (state 12); only a failure to get one is an error (state 11).
class QtHttpClient : public HttpClient {
 public:
  QtHttpClient();
  ~QtHttpClient() override;

  void Execute(const std::string& url, const std::string& method, const std::string& body,
               const std::string& headers) override;
  void SetOnStateChanged(std::function<void(int state)> handler) override;
  std::string GetChunk(int size) override;
  std::string GetHeader() override { return header_; }
  int ResponseCode() const override { return error_code_; }
  std::string ResponseInfo() const override { return error_text_; }
  bool StillExecuting() const override { return reply_ != nullptr; }
  void Cancel() override;
  void SetProxy(int access_type, const std::string& host, int port) override;
  std::string OpenUrl(const std::string& url, int timeout_ms) override;

 private:
  void OnFinished(QNetworkReply* reply);

  QNetworkAccessManager manager_;
  // The request in progress; null when idle.
  QNetworkReply* reply_ = nullptr;
  std::function<void(int)> on_state_changed_;
  std::string header_;
  std::string body_;
  size_t read_position_ = 0;
  int error_code_ = 0;
  std::string error_text_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_HTTP_CLIENT_H_
