#include "platform/password_cipher.h"

#include <sodium.h>

#include <array>
#include <vector>

namespace tolvane {
namespace {

constexpr int kBase64Variant = sodium_base64_VARIANT_ORIGINAL;

using SecretKey = std::array<unsigned char, crypto_secretbox_KEYBYTES>;

bool SodiumReady() {
  // sodium_init() is safe to call repeatedly; 1 means already initialised.
  static const bool ready = sodium_init() >= 0;
  return ready;
}

SecretKey DeriveKey(const std::string& key) {
  SecretKey secret;
  crypto_generichash(secret.data(), secret.size(),
                     reinterpret_cast<const unsigned char*>(key.data()), key.size(), nullptr, 0);
  return secret;
}

}  // namespace

std::string Encrypt(const std::string& plain, const std::string& key) {
  if (!SodiumReady()) return {};
  const SecretKey secret = DeriveKey(key);

  // Layout: nonce, then the boxed message with its authentication tag.
  std::vector<unsigned char> boxed(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES +
                                   plain.size());
  unsigned char* nonce = boxed.data();
  randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
  crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES,
                        reinterpret_cast<const unsigned char*>(plain.data()), plain.size(), nonce,
                        secret.data());

  std::string text(sodium_base64_ENCODED_LEN(boxed.size(), kBase64Variant), '\0');
  sodium_bin2base64(text.data(), text.size(), boxed.data(), boxed.size(), kBase64Variant);
  text.resize(text.find('\0'));
  return text;
}

std::optional<std::string> Decrypt(const std::string& text, const std::string& key) {
  if (!SodiumReady()) return std::nullopt;

  std::vector<unsigned char> boxed(text.size() / 4 * 3 + 3);
  size_t boxed_length = 0;
  if (sodium_base642bin(boxed.data(), boxed.size(), text.data(), text.size(), nullptr,
                        &boxed_length, nullptr, kBase64Variant) != 0) {
    return std::nullopt;
  }
  if (boxed_length < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES) return std::nullopt;

  const SecretKey secret = DeriveKey(key);
  const unsigned char* nonce = boxed.data();
  const unsigned char* box = nonce + crypto_secretbox_NONCEBYTES;
  const size_t box_length = boxed_length - crypto_secretbox_NONCEBYTES;
  std::string plain(box_length - crypto_secretbox_MACBYTES, '\0');
  if (crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(plain.data()), box, box_length,
                                 nonce, secret.data()) != 0) {
    return std::nullopt;
  }
  return plain;
}

}  // namespace tolvane
