#ifndef TOLVANE_PLATFORM_PASSWORD_CIPHER_H_
#define TOLVANE_PLATFORM_PASSWORD_CIPHER_H_

#include <optional>
#include <string>

namespace tolvane {

// Authenticated encryption of a short secret under a text key. The result is
// one line of base64 text; every call uses a fresh random nonce, so the same
// input gives a different text each time.
// Returns an empty text only when the crypto library cannot start.
std::string Encrypt(const std::string& plain, const std::string& key);

// The inverse of Encrypt. Damaged, truncated, tampered or foreign text, or a
// wrong key, gives nullopt.
std::optional<std::string> Decrypt(const std::string& text, const std::string& key);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_PASSWORD_CIPHER_H_
