#include "sim/http_request_parser.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tolvane::sim {
namespace {

constexpr size_t kMaxHeadLength = 64 * 1024;
constexpr size_t kMaxBodyLength = 1024 * 1024;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::string HttpRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (EqualsIgnoreCase(key, name)) return value;
  }
  return "";
}

std::string HttpRequest::Path() const {
  std::string_view path = target;
  if (size_t scheme = path.find("://"); scheme != std::string_view::npos) {
    size_t slash = path.find('/', scheme + 3);
    path = slash == std::string_view::npos ? "/" : path.substr(slash);
  }
  return std::string(path.substr(0, path.find('?')));
}

std::string HttpRequest::Query() const {
  size_t mark = target.find('?');
  return mark == std::string::npos ? "" : target.substr(mark + 1);
}

std::vector<std::pair<std::string, std::string>> ParseHeaderText(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> headers;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    headers.emplace_back(std::string(Trim(line.substr(0, colon))),
                         std::string(Trim(line.substr(colon + 1))));
  }
  return headers;
}

void HttpRequestParser::ParseHead(std::string_view head) {
  size_t line_end = head.find("\r\n");
  std::string_view request_line = head.substr(0, line_end);
  size_t first = request_line.find(' ');
  size_t second = request_line.rfind(' ');
  if (first == std::string_view::npos || second == first ||
      request_line.substr(second + 1).rfind("HTTP/", 0) != 0) {
    failed_ = true;
    return;
  }
  request_.method = request_line.substr(0, first);
  request_.target = request_line.substr(first + 1, second - first - 1);
  if (line_end != std::string_view::npos) {
    request_.headers = ParseHeaderText(head.substr(line_end + 2));
  }
  std::string length = request_.Header("Content-Length");
  if (!length.empty()) {
    auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), body_length_);
    if (error != std::errc() || end != length.data() + length.size() ||
        body_length_ > kMaxBodyLength) {
      failed_ = true;
    }
  }
}

void HttpRequestParser::Feed(std::string_view bytes) {
  if (complete_ || failed_) return;
  buffer_.append(bytes);
  if (!head_done_) {
    size_t head_end = buffer_.find("\r\n\r\n");
    if (head_end == std::string::npos) {
      failed_ = buffer_.size() > kMaxHeadLength;
      return;
    }
    ParseHead(std::string_view(buffer_).substr(0, head_end));
    buffer_.erase(0, head_end + 4);
    head_done_ = true;
    if (failed_) return;
  }
  if (buffer_.size() >= body_length_) {
    request_.body = buffer_.substr(0, body_length_);
    complete_ = true;
  }
}

std::string FormatHttpResponse(int status, const std::string& reason, const std::string& body) {
  return "HTTP/1.1 " + std::to_string(status) + " " + reason +
         "\r\nContent-Type: text/plain; charset=windows-1252\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace tolvane::sim
