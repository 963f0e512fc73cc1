#include "api/webhook_signature.h"

#include <sodium.h>

namespace tolvane {

std::string HmacSha256Hex(std::string_view key, std::string_view message) {
  // The streaming form takes a key of any length, as HMAC does.
  crypto_auth_hmacsha256_state state;
  crypto_auth_hmacsha256_init(&state, reinterpret_cast<const unsigned char*>(key.data()),
                              key.size());
  crypto_auth_hmacsha256_update(&state, reinterpret_cast<const unsigned char*>(message.data()),
                                message.size());
  unsigned char mac[crypto_auth_hmacsha256_BYTES];
  crypto_auth_hmacsha256_final(&state, mac);
  char hex[2 * crypto_auth_hmacsha256_BYTES + 1];
  sodium_bin2hex(hex, sizeof hex, mac, sizeof mac);
  return hex;
}

std::string WebhookSignature(std::string_view key, std::int64_t unix_seconds,
                             std::string_view body) {
  const std::string t = std::to_string(unix_seconds);
  return "t=" + t + ",v1=" + HmacSha256Hex(key, t + "." + std::string(body));
}

}  // namespace tolvane
