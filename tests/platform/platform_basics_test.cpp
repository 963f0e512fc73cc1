// The small pieces over the C library, the locale and libsodium: file stamps,
// local times, serial line settings and the password cipher.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "platform/local_file_system.h"
#include "platform/local_time.h"
#include "platform/password_cipher.h"
#include "platform/serial_line_settings.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

// (The quick-message store's tests list and read real folders.)
TEST(LocalFileSystemTest, StampsAndRemovesFilesOfAFolder) {
  testing::TempDir dir;
  LocalFileSystem files;
  dir.WriteFile("a.txt", "Line one\r\nLine two");
  fs::create_directory(dir.path() / "sub");
  std::optional<FileStamp> before = files.Stamp(dir.FilePath("a.txt"));
  ASSERT_TRUE(before.has_value());
  EXPECT_EQ(before->size, 18u);
  dir.WriteFile("a.txt", "Line one\r\nLine two\r\n");
  EXPECT_NE(files.Stamp(dir.FilePath("a.txt")), before);
  EXPECT_FALSE(files.Stamp(dir.FilePath("sub")).has_value());

  fs::permissions(dir.path() / "a.txt", fs::perms::owner_read);
  EXPECT_TRUE(files.Remove(dir.FilePath("a.txt")));
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
}

TimePoint LocalTime(int year, int month, int day, int hour, int minute) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&local));
}

TEST(LocalTimeTest, TwentyFourHourTimeAndTheLocalesShortDate) {
  EXPECT_EQ(HourMinuteText(LocalTime(2024, 3, 7, 9, 5)), "09:05");
  EXPECT_EQ(HourMinuteText(LocalTime(2024, 3, 7, 23, 59)), "23:59");
  EXPECT_EQ(TimeOfDayText(LocalTime(2024, 3, 7, 21, 0) + std::chrono::milliseconds(4999)),
            "21:00:04");

  // Tests run in the "C" locale, whose short date is mm/dd/yy.
  EXPECT_EQ(ShortDateText(LocalTime(2024, 3, 7, 0, 30)), "03/07/24");
}

TEST(SerialLineSettingsTest, ReadsWhatASerialPortTakesAndNothingElse) {
  std::optional<SerialLineSettings> line = ParseSerialLineSettings(" 9600 , e , 7 , 1.5 ");
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->baud, 9600);
  EXPECT_EQ(line->parity, 'E');
  EXPECT_EQ(line->data_bits, 7);
  EXPECT_EQ(line->stop_bits, "1.5");

  for (const char* text :
       {"", "19200", "19200,N,8", "19200,N,8,1,1", "fast,N,8,1", "0,N,8,1", "-9600,N,8,1",
        "19200.5,N,8,1", "99999999999,N,8,1", "19200,X,8,1", "19200,,8,1", "19200,NO,8,1",
        "19200,N,4,1", "19200,N,9,1", "19200,N,8,3", "19200,N,8,"}) {
    EXPECT_FALSE(ParseSerialLineSettings(text).has_value()) << text;
  }
}

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
