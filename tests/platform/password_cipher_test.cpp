#include "platform/password_cipher.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// (The password file's and the secret store's tests show a round trip on one
// line, and that a wrong key, a changed byte or garbage read as nothing.)
TEST(PasswordCipherTest, RoundTripsAnyBytesAndEncryptsAnewEachTime) {
  for (const std::string& plain : {std::string(), std::string("\xE5\xB4\x01")}) {
    EXPECT_EQ(Decrypt(Encrypt(plain, "Abcdefgh"), "Abcdefgh"), plain);
  }
  EXPECT_NE(Encrypt("same", "Abcdefgh"), Encrypt("same", "Abcdefgh"));  // fresh nonce
  // Well-formed text too short to hold a nonce.
  EXPECT_EQ(Decrypt("QUJD", "Abcdefgh"), std::nullopt);
}

}  // namespace
}  // namespace tolvane
