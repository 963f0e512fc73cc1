#ifndef TOLVANE_API_WEBHOOK_URL_H_
#define TOLVANE_API_WEBHOOK_URL_H_

#include <string>

namespace tolvane {

// `[API] Webhook` of the settings file in `program_folder` (ending with a
// separator): the address that gets every event; empty for none.
std::string WebhookUrl(const std::string& program_folder);

}  // namespace tolvane

#endif  // TOLVANE_API_WEBHOOK_URL_H_
