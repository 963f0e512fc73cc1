#include "platform/mail_server_address.h"

#include <algorithm>
#include <cctype>

#include "text/text_helpers.h"

namespace tolvane {
namespace {

constexpr int kPop3Port = 110;
constexpr int kPop3sPort = 995;

std::optional<int> ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  int port = std::stoi(text);
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

}  // namespace

std::optional<MailServerAddress> ParseMailServer(const std::string& text) {
  std::string rest = TrimBlanks(text);
  MailServerAddress address;
  std::optional<MailServerAddress::Security> scheme;
  size_t scheme_end = rest.find("://");
  if (scheme_end != std::string::npos) {
    std::string name = rest.substr(0, scheme_end);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "pop3") {
      scheme = MailServerAddress::Security::kPlain;
    } else if (name == "pop3s") {
      scheme = MailServerAddress::Security::kImplicitTls;
    } else {
      return std::nullopt;
    }
    rest = rest.substr(scheme_end + 3);
    // A trailing slash is harmless; a path is not.
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
  }
  std::string port_text;
  if (!rest.empty() && rest.front() == '[') {
    size_t close = rest.find(']');
    if (close == std::string::npos) return std::nullopt;
    address.host = rest.substr(1, close - 1);
    std::string after = rest.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return std::nullopt;
      port_text = after.substr(1);
      if (port_text.empty()) return std::nullopt;
    }
  } else {
    size_t colon = rest.find(':');
    address.host = rest.substr(0, colon);
    if (colon != std::string::npos) {
      port_text = rest.substr(colon + 1);
      if (port_text.empty()) return std::nullopt;
    }
  }
  if (address.host.empty() || address.host.find_first_of(" \t/@?#") != std::string::npos) {
    return std::nullopt;
  }
  if (!port_text.empty()) {
    std::optional<int> port = ParsePort(port_text);
    if (!port) return std::nullopt;
    address.port = *port;
  }
  if (scheme) {
    address.security = *scheme;
    if (port_text.empty()) {
      address.port = *scheme == MailServerAddress::Security::kImplicitTls ? kPop3sPort : kPop3Port;
    }
  } else if (address.port == kPop3sPort) {
    address.security = MailServerAddress::Security::kImplicitTls;
  }
  return address;
}

}  // namespace tolvane
