#include "core/settings_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "core/gateway_password_file.h"
#include "core/settings_values.h"
#include "core/time_of_day.h"
#include "gsm/gsm_settings.h"
#include "smpp/smpp_settings.h"
#include "support/temp_dir.h"
#include "transports/transport_list.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class SettingsLoaderTest : public ::testing::Test {
 protected:
  // Loads everything, as start-up does, collecting the reported errors.
  ProgramSettings Load() {
    ProgramSettings settings;
    AddSettingsSections(ProgramTransports(), settings.transports);
    auto report = [this](int error_number) { errors_.push_back(error_number); };
    LoadWindowPosition(file_, settings, report);
    LoadSettings(file_, settings, report);
    return settings;
  }

  testing::TempDir dir_;
  SettingsFile file_{dir_.Folder()};
  std::vector<int> errors_;
};

TEST_F(SettingsLoaderTest, ReadsStoredValuesAndDerivesFields) {
  const std::string ini =
      "[WinPosition]\nStatus= 2\nXpos=-120\nYpos= 3.5\n"
      "[Modem]\nEjKvitto=yes\nModemInit=" +
      std::string(200, 'A') +
      "\n[Auto]\nAutoTid=6:30\n"
      "[RAS]\nRasPassWord=def\n"
      "[Mail]\nMailTid1=\nMailTid2=7:15\n"
      "[TCP]\nTCPProxy=1\nTCPProxyPort=8080\n";
  ProgramSettings settings = Load();
  EXPECT_FALSE(FileExists(file_.Path()));  // reading never creates the file
  EXPECT_EQ(settings.AccessTyp, "Modem");
  dir_.WriteFile("tolvmsg.ini", ini);
  ASSERT_TRUE(WriteGatewayPassword(dir_.Folder(), "gw-pass"));
  settings = Load();
  EXPECT_THAT(errors_, IsEmpty());
  EXPECT_EQ(settings.Xpos, -120);
  EXPECT_EQ(settings.Ypos, 4);
  EXPECT_FALSE(settings.EjKvittoOn);
  EXPECT_EQ(settings.ModemInit, std::string(127, 'A'));
  EXPECT_EQ(settings.AutoTid, "06:30");  // written by hand without the zero
  EXPECT_EQ(settings.MailTid[1], "07:15");
  EXPECT_EQ(settings.RasPassWord, "abc");
  EXPECT_EQ(settings.MailTimeCount, 1);
  EXPECT_EQ(settings.TCPProxy, 1);
  EXPECT_EQ(settings.GatewayPassword, "gw-pass");
}

// Out of range, the message limits fall back to their defaults; a rate limit
// is any whole number of parts from 1 on, and 0 (its default) or anything
// else is no limit.
TEST_F(SettingsLoaderTest, MessageAndRateLimitsOutOfRangeFallBackToTheirDefaults) {
  const std::pair<const char*, std::vector<int>> cases[] = {
      {"", {6, 1440, 60, 0, 0}},
      {"MaxParts=255\nValidity=30\nLateAfter=0\nPerMinute=1\nPerDay=2147483647\n",
       {255, 30, 0, 1, 2147483647}},
      {"MaxParts=256\nValidity=-5\nLateAfter=-1\nPerMinute=-1\nPerDay=2147483648\n",
       {6, 1440, 60, 0, 0}},
      {"MaxParts=0\nValidity=ten\nLateAfter=2147483647\nPerMinute=ten\nPerDay=0\n",
       {6, 1440, 2147483647, 0, 0}},
      {"MaxParts=1\nValidity=0\n", {1, 0, 60, 0, 0}},
      // Past 63 weeks every value is the longest.
      {"Validity=635041\n", {6, 635040, 60, 0, 0}}};
  for (const auto& [keys, limits] : cases) {
    dir_.WriteFile("tolvmsg.ini", std::string("[Message]\n") + keys);
    const ProgramSettings s = Load();
    EXPECT_EQ((std::vector{s.MaxParts, s.Validity, s.LateAfter, s.PerMinute, s.PerDay}), limits)
        << keys;
  }
  EXPECT_THAT(errors_, IsEmpty());
}

// A proxy with a bad port is switched off; without a proxy the port is not
// looked at.
TEST_F(SettingsLoaderTest, FailingItemsAreReportedAndLoadingGoesOn) {
  dir_.WriteFile("tolvmsg.ini",
                 "[WinPosition]\nXpos=40000\n"
                 "[Mail]\nMailPassWord=ok\x02\n"
                 "[Access]\nAccessTyp=TCP\n"
                 "[TCP]\nTCPProxy=1\nTCPProxyPort=eighty\nTCPProxyAdress=proxy.lan\n");
  ProgramSettings settings = Load();
  EXPECT_THAT(errors_, ElementsAre(kErrorOverflow, kErrorInvalidCall, kErrorTypeMismatch));
  EXPECT_EQ(settings.Xpos, 0);
  EXPECT_EQ(settings.MailPassWord, "");
  EXPECT_EQ(settings.TCPProxyAdress, "proxy.lan");
  EXPECT_EQ(settings.TCPProxy, 0);

  errors_.clear();
  dir_.WriteFile("tolvmsg.ini", "[TCP]\nTCPProxy=0\nTCPProxyPort=eighty\n");
  EXPECT_EQ(Load().TCPProxyPort, "eighty");
  EXPECT_THAT(errors_, IsEmpty());
}

TEST_F(SettingsLoaderTest, SavedSettingsLoadBackAsTheyWere) {
  ProgramSettings saved;
  saved.ProgramFolder = dir_.Folder();
  saved.Parametrar = "E,7,1";
  saved.EjKvitto = "1";
  saved.Prefix2 = "ATDP";
  saved.AutoTid = "06:30";
  saved.AutoFilSep = "¤";
  saved.PollTid = 999;
  saved.VTid = 0;
  saved.RasPassWord = "rås";
  saved.MailPassWord = "m=1 Ł&#38;";
  // Folders and names beyond the code page are kept as references.
  saved.AutoFil = "/home/łukasz/sms 😀";
  saved.MailUserName = "&#65;";
  saved.MailTid[1] = "19:15";
  saved.AccessTyp = "TCP";
  saved.GatewayPassword = "hemligt";
  saved.TCPProxy = 1;
  saved.TCPProxyPort = "3128";
  saved.transports.Get<GsmSettings>().Smsc = "+4670";
  saved.transports.Get<SmppSettings>().Host = "smpp.example.net";
  saved.transports.Get<SmppSettings>().Port = "3550";
  saved.transports.Get<SmppSettings>().Tls = "1";
  saved.transports.Get<SmppSettings>().SystemId = "acme";
  saved.transports.Get<SmppSettings>().SystemType = "SMS";
  saved.transports.Get<SmppSettings>().DefaultAlphabet = "3";
  ComputeDerivedFields(saved);
  ASSERT_EQ(SaveSettings(file_, saved), std::nullopt);

  ProgramSettings loaded = Load();
  loaded.ProgramFolder = saved.ProgramFolder;
  EXPECT_THAT(errors_, IsEmpty());
  EXPECT_EQ(loaded, saved);
  EXPECT_THAT(dir_.ReadFile("tolvmsg.ini"),
              ::testing::AllOf(HasSubstr("AutoFil=/home/&#322;ukasz/sms &#128512;\r\n"),
                               HasSubstr("MailUserName=&#38;#65;\r\n")));
}

TEST(ParseLeadingNumberTest, TakesTheLeadingNumberRoundedHalfToEvenWithin16Bits) {
  const std::pair<std::string, std::optional<int>> kCases[] = {
      {" 10", 10},
      {"  +7 apples", 7},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"1e3", 1},
      {"2.5", 2},
      {"3.5", 4},
      {"-1.6", -2},
      {"1.2.3", 1},
      {"32767", 32767},
      {"-32768", -32768},
      {"32768", std::nullopt},
      {std::string(400, '9'), std::nullopt}};
  for (const auto& [text, number] : kCases) EXPECT_EQ(ParseLeadingNumber(text), number) << text;
}

// A text that is no time stays as it is. (The windows show "7:05" as "07:05".)
TEST(TimeOfDayTest, OneOrTwoHourDigitsAndTwoMinuteDigitsAreATime) {
  const std::pair<std::string, std::string> kCases[] = {
      {" 07:05 ", "07:05"}, {"0:00", "00:00"},  {"7:60", "7:60"}, {"7:5", "7:5"},
      {"007:05", "007:05"}, {"+7:05", "+7:05"}, {"7.05", "7.05"}, {"", ""}};
  for (const auto& [text, normalized] : kCases)
    EXPECT_EQ(NormalizedTimeOfDay(text), normalized) << text;
}

}  // namespace
}  // namespace tolvane
