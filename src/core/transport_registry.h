#ifndef TOLVANE_CORE_TRANSPORT_REGISTRY_H_
#define TOLVANE_CORE_TRANSPORT_REGISTRY_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/redial_countdown.h"
#include "core/secret_rule.h"
#include "core/send_context.h"
#include "core/settings_page_layout.h"
#include "core/transport.h"
#include "core/transport_ports.h"
#include "core/transport_settings.h"
#include "core/transport_settings_set.h"
#include "platform/file_system.h"
#include "platform/http_client.h"

namespace tolvane {

// What a transport may be built on.
struct TransportServices {
  SendContext& context;
  TransportPorts& ports;
  HttpClient& http_client;
  FileSystem& files;
  RedialCountdown& redial;
};

// Everything the program knows of one transport. The transport's folder
// fills it in; the program's list of transports names each once.
struct TransportDefinition {
  // The `AccessTyp` value that chooses it.
  std::string access_typ;
  std::function<std::unique_ptr<Transport>(const TransportServices&)> make;
  // The caption of its "Use:" option and its page on the communication
  // tab; empty for a transport whose settings the tab's own frames hold.
  std::string option_caption;
  std::function<SettingsPageLayout()> page;
  // Its own section of tolvmsg.ini, at its defaults; null when it has none.
  std::function<std::unique_ptr<TransportSettings>()> settings;
  std::vector<SecretRule> secrets;
};

using TransportList = std::vector<TransportDefinition>;

struct RegisteredTransport {
  std::string access_typ;
  std::unique_ptr<Transport> transport;
};

// Every transport of the list, in its order; the first is used for an
// `AccessTyp` no other claims.
std::vector<RegisteredTransport> MakeTransports(const TransportList& list,
                                                const TransportServices& services);

// Adds the section of every transport of the list that has one, at its
// defaults, so that loading reads it and saving writes it.
void AddSettingsSections(const TransportList& list, TransportSettingsSet& sections);

// The secret of that name some transport keeps; null when none does.
const SecretRule* FindSecretRule(const TransportList& list, std::string_view name);
// The names for a message, such as "gateway, smpp".
std::string SecretNameList(const TransportList& list);

}  // namespace tolvane

#endif  // TOLVANE_CORE_TRANSPORT_REGISTRY_H_
