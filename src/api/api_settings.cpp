#include "api/api_settings.h"

#include "text/text_helpers.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

bool IsLoopback(const std::string& address) {
  return address == "localhost" || address == "::1" || address.rfind("127.", 0) == 0;
}

}  // namespace

void ReadApiSetting(ApiSettings& settings, const std::string& key, const std::string& value) {
  const std::string text = TrimBlanks(value);
  if (key == "Enabled") settings.Enabled = text == "1";
  if (key == "Address") settings.Address = text.empty() ? ApiSettings().Address : text;
  // 0: any free port (the start-up line names it).
  if (key == "Port") settings.Port = ParseNumberIn(text, 0, 65535).value_or(kDefaultApiPort);
  if (key == "Tls") settings.Tls = text == "1";
  if (key == "CertFile") settings.CertFile = text;
  if (key == "KeyFile") settings.KeyFile = text;
  if (key == "Webhook") settings.Webhook = text;
  // 16 MiB at most: a body is held whole in memory.
  if (key == "MaxBody") {
    settings.MaxBody = ParseNumberIn(text, 1, 16 << 20).value_or(kDefaultMaxBody);
  }
}

std::string ApiSettingText(const ApiSettings& settings, const std::string& key) {
  if (key == "Enabled") return settings.Enabled ? "1" : "0";
  if (key == "Address") return settings.Address;
  if (key == "Port") return std::to_string(settings.Port);
  if (key == "Tls") return settings.Tls ? "1" : "0";
  if (key == "CertFile") return settings.CertFile;
  if (key == "KeyFile") return settings.KeyFile;
  if (key == "Webhook") return settings.Webhook;
  if (key == "MaxBody") return std::to_string(settings.MaxBody);
  return {};
}

std::string ApiListenRefusal(const ApiSettings& settings) {
  if (!settings.Tls && !IsLoopback(settings.Address)) {
    return "The API does not listen on " + settings.Address +
           " without TLS: set [API] Tls=1 with CertFile and KeyFile, or Address=127.0.0.1.";
  }
  if (settings.Tls && (settings.CertFile.empty() || settings.KeyFile.empty())) {
    return "The API does not listen: [API] Tls=1 needs CertFile and KeyFile.";
  }
  return {};
}

}  // namespace tolvane
