#include "api/new_api_token.h"

#include <sodium.h>

#include <ostream>

#include "core/secret_store.h"

namespace tolvane {

std::string NewApiToken() {
  unsigned char bytes[32];
  if (sodium_init() < 0) return {};
  randombytes_buf(bytes, sizeof bytes);
  char text[sodium_base64_ENCODED_LEN(sizeof bytes, sodium_base64_VARIANT_URLSAFE_NO_PADDING)];
  sodium_bin2base64(text, sizeof text, bytes, sizeof bytes,
                    sodium_base64_VARIANT_URLSAFE_NO_PADDING);
  sodium_memzero(bytes, sizeof bytes);
  return text;
}

bool StoreNewApiToken(std::ostream& out, std::ostream& error, const ProgramLocation& location) {
  const std::string token = NewApiToken();
  if (token.empty() || !location.PrepareFolder() ||
      !SecretStore(location.Folder()).WriteSecret(std::string(kApiSecret), token)) {
    error << "Cannot store the API token in " << location.Folder() << "\n";
    return false;
  }
  out << token << "\n";
  return true;
}

}  // namespace tolvane
