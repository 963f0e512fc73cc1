#ifndef TOLVANE_API_WEBHOOK_SIGNATURE_H_
#define TOLVANE_API_WEBHOOK_SIGNATURE_H_

#include <cstdint>
#include <string>
#include <string_view>

// kWebhookSecret, the secret that signs the webhook's events.
#include "core/secret_names.h"

namespace tolvane {

// HMAC-SHA256 of `message` under a key of any length, in lower-case hex.
std::string HmacSha256Hex(std::string_view key, std::string_view message);

// The Tolvane-Signature header's value for `body` sent at `unix_seconds`:
// "t=<unix seconds>,v1=<HMAC-SHA256 of "<t>.<body>">". The time inside what
// is signed lets a receiver refuse an old event sent again.
std::string WebhookSignature(std::string_view key, std::int64_t unix_seconds,
                             std::string_view body);

}  // namespace tolvane

#endif  // TOLVANE_API_WEBHOOK_SIGNATURE_H_
