#ifndef TOLVANE_SIM_HTTP_REQUEST_PARSER_H_
#define TOLVANE_SIM_HTTP_REQUEST_PARSER_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane::sim {

struct HttpRequest {
  std::string method;
  // As on the request line: a path, or an absolute URL when sent to a proxy.
  std::string target;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  // The value of the first header of that name (any case), or empty.
  std::string Header(std::string_view name) const;
  // The target without scheme, host and query.
  std::string Path() const;
  // The target's query, without the "?".
  std::string Query() const;
};

// Collects the bytes of one HTTP/1.x request as they arrive: the request
// line, the headers, and a body of Content-Length bytes.
class HttpRequestParser {
 public:
  void Feed(std::string_view bytes);
  bool Complete() const { return complete_; }
  // The bytes can never form a request.
  bool Failed() const { return failed_; }
  const HttpRequest& Request() const { return request_; }

 private:
  void ParseHead(std::string_view head);

  std::string buffer_;
  bool head_done_ = false;
  bool complete_ = false;
  bool failed_ = false;
  size_t body_length_ = 0;
  HttpRequest request_;
};

// A complete HTTP/1.1 answer that closes the connection.
std::string FormatHttpResponse(int status, const std::string& reason, const std::string& body);

// Header lines "Name: value" separated by CR LF, as a program's header text.
std::vector<std::pair<std::string, std::string>> ParseHeaderText(std::string_view text);

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_HTTP_REQUEST_PARSER_H_
