#ifndef TOLVANE_PLATFORM_QT_QT_API_SERVER_H_
#define TOLVANE_PLATFORM_QT_QT_API_SERVER_H_

#include <QAbstractHttpServer>
#include <functional>
#include <string>

#include "api/api_exchange.h"
#include "api/api_settings.h"

namespace tolvane {

// The HTTP API on Qt HTTP Server: every request, whatever its method and
// path, handed whole to one handler in the logic, and its answer written
// back on the connection (kept open unless the client asks otherwise).
class QtApiServer : public QAbstractHttpServer {
 public:
  using Handler = std::function<ApiResponse(const ApiRequest&)>;

  explicit QtApiServer(Handler handler);

  // Listens as `settings` say (TLS with their certificate and key); empty
  // when listening, otherwise why not.
  std::string Listen(const ApiSettings& settings);
  quint16 Port() const { return port_; }

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

 private:
  Handler handler_;
  quint16 port_ = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_API_SERVER_H_
