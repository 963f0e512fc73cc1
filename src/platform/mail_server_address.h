#ifndef TOLVANE_PLATFORM_MAIL_SERVER_ADDRESS_H_
#define TOLVANE_PLATFORM_MAIL_SERVER_ADDRESS_H_

#include <optional>
#include <string>

namespace tolvane {

// Where the POP3 server is and how the connection is protected. The setting
// `MailServer` holds "host", "host:port", "pop3://host[:port]" or
// "pop3s://host[:port]" (IPv6 addresses in brackets).
struct MailServerAddress {
  enum class Security {
    kStartTls,     // plain connection switched to TLS with STLS; required
    kImplicitTls,  // TLS from the first byte ("pop3s://", or port 995)
    kPlain,        // no TLS at all ("pop3://")
  };

  std::string host;
  int port = 110;
  Security security = Security::kStartTls;
};

// nullopt when the text is no server address.
std::optional<MailServerAddress> ParseMailServer(const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_MAIL_SERVER_ADDRESS_H_
