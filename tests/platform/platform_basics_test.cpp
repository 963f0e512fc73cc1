// The small pieces over the C library, the locale and libsodium.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/local_time.h"
#include "platform/password_cipher.h"
#include "platform/serial_line_settings.h"

namespace tolvane {
namespace {

TEST(LocalTimeTest, TwentyFourHourTimeAndTheLocalesShortDate) {
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 3 - 1;
  local.tm_mday = 7;
  local.tm_hour = 9;
  local.tm_min = 5;
  local.tm_isdst = -1;
  const TimePoint time = Clock::from_time_t(std::mktime(&local));
  EXPECT_EQ(HourMinuteText(time), "09:05");
  // Tests run in the "C" locale, whose short date is mm/dd/yy.
  EXPECT_EQ(ShortDateText(time), "03/07/24");
}

TEST(SerialLineSettingsTest, ReadsWhatASerialPortTakesAndNothingElse) {
  std::optional<SerialLineSettings> line = ParseSerialLineSettings(" 9600 , e , 7 , 1.5 ");
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->baud, 9600);
  EXPECT_EQ(line->parity, 'E');
  EXPECT_EQ(line->data_bits, 7);
  EXPECT_EQ(line->stop_bits, "1.5");

  for (const char* text :
       {"", "19200,N,8", "19200,N,8,1,1", "fast,N,8,1", "0,N,8,1", "99999999999,N,8,1",
        "19200,X,8,1", "19200,N,4,1", "19200,N,9,1", "19200,N,8,3"}) {
    EXPECT_FALSE(ParseSerialLineSettings(text).has_value()) << text;
  }
}

TEST(PasswordCipherTest, RoundTripsAnyBytesAndEncryptsAnewEachTime) {
  const std::string plain("\xE5\xB4\x01");
  EXPECT_EQ(Decrypt(Encrypt(plain, "Abcdefgh"), "Abcdefgh"), plain);
  EXPECT_NE(Encrypt(plain, "Abcdefgh"), Encrypt(plain, "Abcdefgh"));  // fresh nonce
  EXPECT_EQ(Decrypt("QUJD", "Abcdefgh"), std::nullopt);               // too short to hold a nonce
}

}  // namespace
}  // namespace tolvane
