#ifndef TOLVANE_API_API_SETTINGS_H_
#define TOLVANE_API_API_SETTINGS_H_

#include <string>

namespace tolvane {

// The [API] section of tolvmsg.ini: whether the HTTP API listens while the
// program runs, where, over TLS with which certificate, the URL that hears
// of every event, and the most bytes a request body may hold.
inline constexpr char kApiSection[] = "API";
inline constexpr int kDefaultApiPort = 8642;
inline constexpr int kDefaultMaxBody = 65536;

struct ApiSettings {
  bool Enabled = false;
  std::string Address = "127.0.0.1";
  int Port = kDefaultApiPort;
  bool Tls = false;
  std::string CertFile;
  std::string KeyFile;
  std::string Webhook;
  int MaxBody = kDefaultMaxBody;
  bool operator==(const ApiSettings&) const = default;
};

// Reads and writes the section's values as tolvmsg.ini holds them; a
// number out of range reads as its default.
void ReadApiSetting(ApiSettings& settings, const std::string& key, const std::string& value);
// The keys in the order they are written, with their values.
std::string ApiSettingText(const ApiSettings& settings, const std::string& key);
inline constexpr const char* kApiKeys[] = {"Enabled",  "Address", "Port",    "Tls",
                                           "CertFile", "KeyFile", "Webhook", "MaxBody"};

// Why the API must not listen as set (plain HTTP on an address other than
// loopback), as one line for the user; empty when it may.
std::string ApiListenRefusal(const ApiSettings& settings);

}  // namespace tolvane

#endif  // TOLVANE_API_API_SETTINGS_H_
