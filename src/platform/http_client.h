#ifndef TOLVANE_PLATFORM_HTTP_CLIENT_H_
#define TOLVANE_PLATFORM_HTTP_CLIENT_H_

#include <functional>
#include <string>

namespace tolvane {

// The Internet transfer control: one asynchronous request at a time.
class HttpClient {
 public:
  // Values of the state event the program acts on.
  static constexpr int kStateError = 11;
  static constexpr int kStateResponseCompleted = 12;
  // Connection modes.
  static constexpr int kDirect = 1;
  static constexpr int kNamedProxy = 2;

  virtual ~HttpClient() = default;

  // Starts a request and returns at once; progress comes through the state event.
  virtual void Execute(const std::string& url, const std::string& method, const std::string& body,
                       const std::string& headers) = 0;
  virtual void SetOnStateChanged(std::function<void(int state)> handler) = 0;
  // Next part of the answer body, at most `size` bytes; empty when exhausted.
  virtual std::string GetChunk(int size) = 0;
  // All header lines of the answer, the status line first, CR LF separated.
  virtual std::string GetHeader() = 0;
  virtual int ResponseCode() const = 0;
  virtual std::string ResponseInfo() const = 0;
  virtual bool StillExecuting() const = 0;
  virtual void Cancel() = 0;
  virtual void SetProxy(int access_type, const std::string& host, int port) = 0;
  // Synchronous GET that gives up after `timeout_ms`; the body of any answer,
  // or empty on failure or time-out.
  virtual std::string OpenUrl(const std::string& url, int timeout_ms) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_HTTP_CLIENT_H_
