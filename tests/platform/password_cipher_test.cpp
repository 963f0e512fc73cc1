#include "platform/password_cipher.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(PasswordCipherTest, RoundTripsOnOneLineAndRejectsWrongKeyTamperingAndGarbage) {
  for (const std::string& plain :
       {std::string(), std::string("s3cret"), std::string("\xE5\xB4\x01")}) {
    const std::string text = Encrypt(plain, "Abcdefgh");
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(Decrypt(text, "Abcdefgh"), plain);
  }
  EXPECT_NE(Encrypt("same", "Abcdefgh"), Encrypt("same", "Abcdefgh"));  // fresh nonce

  std::string text = Encrypt("s3cret", "Abcdefgh");
  EXPECT_EQ(Decrypt(text, "Abcdefgi"), std::nullopt);
  text[10] = text[10] == 'A' ? 'B' : 'A';
  EXPECT_EQ(Decrypt(text, "Abcdefgh"), std::nullopt);
  for (const char* garbage : {"", "=", "not base64!", "QUJD", "\xFF\xFE"}) {
    EXPECT_EQ(Decrypt(garbage, "Abcdefgh"), std::nullopt) << garbage;
  }
}

}  // namespace
}  // namespace tolvane
