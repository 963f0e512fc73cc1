#include "api/webhook_url.h"

#include "core/settings_file.h"

namespace tolvane {

std::string WebhookUrl(const std::string& program_folder) {
  return SettingsFile(program_folder).ReadSetting("API", "Webhook", "");
}

}  // namespace tolvane
