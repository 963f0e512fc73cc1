#include "core/transport_registry.h"

#include "core/secret_names.h"

namespace tolvane {

std::vector<RegisteredTransport> MakeTransports(const TransportList& list,
                                                const TransportServices& services) {
  std::vector<RegisteredTransport> transports;
  for (const TransportDefinition& definition : list) {
    transports.push_back({definition.access_typ, definition.make(services)});
  }
  return transports;
}

void AddSettingsSections(const TransportList& list, TransportSettingsSet& sections) {
  for (const TransportDefinition& definition : list) {
    if (definition.settings) sections.Add(definition.settings());
  }
}

const SecretRule* FindSecretRule(const TransportList& list, std::string_view name) {
  for (const TransportDefinition& definition : list) {
    for (const SecretRule& rule : definition.secrets) {
      if (rule.name == name) return &rule;
    }
  }
  static const SecretRule kAnyValue[] = {{std::string(kApiSecret), nullptr},
                                         {std::string(kWebhookSecret), nullptr}};
  for (const SecretRule& rule : kAnyValue) {
    if (rule.name == name) return &rule;
  }
  return nullptr;
}

std::string SecretNameList(const TransportList& list) {
  std::string names;
  for (const TransportDefinition& definition : list) {
    for (const SecretRule& rule : definition.secrets) {
      if (!names.empty()) names += ", ";
      names += rule.name;
    }
  }
  for (std::string_view name : kProgramSecrets) {
    if (!names.empty()) names += ", ";
    names += name;
  }
  return names;
}

}  // namespace tolvane
