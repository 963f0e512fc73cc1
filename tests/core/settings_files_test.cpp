// tolvmsg.ini as the settings loader reads and writes it; the secrets in
// secrets.dat and user.dat, and the command that stores one.
#include "core/settings_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "core/gateway_password_file.h"
#include "core/secret_store.h"
#include "core/settings_values.h"
#include "core/store_secret_command.h"
#include "core/time_of_day.h"
#include "gsm/gsm_settings.h"
#include "smpp/smpp_settings.h"
#include "support/temp_dir.h"
#include "transports/transport_list.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class ProgramFolderTest : public ::testing::Test {
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
  // Runs the command that stores a secret; its exit status.
  int Run(const std::vector<std::string>& arguments, const std::string& input) {
    std::istringstream in(input);
    std::ostringstream error;
    const int status =
        StoreSecret(arguments, in, error, ProgramLocation(dir_.Folder()), ProgramTransports());
    error_ = error.str();
    return status;
  }

  testing::TempDir dir_;
  SettingsFile file_{dir_.Folder()};
  std::vector<int> errors_;
  SecretStore store_{dir_.Folder()};
  std::string error_;
};

TEST_F(ProgramFolderTest, ReadsStoredValuesAndDerivesFields) {
  const std::string ini =
      "[WinPosition]\nStatus= 2\nXpos=-120\nYpos= 3.5\n"
      "[Modem]\nEjKvitto=yes\nModemInit=" +
      std::string(200, 'A') +
      "\n[Auto]\nAutoTid=6:30\n"
      "[RAS]\nRasPassWord=def\n"
      "[Mail]\nMailTid1=\nMailTid2=7:15\n";
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
  EXPECT_EQ(settings.RasPassWord, "abc");
  EXPECT_EQ(settings.MailTimeCount, 1);
  EXPECT_EQ(settings.GatewayPassword, "gw-pass");
}

// Out of range, the message limits fall back to their defaults; a rate limit
// is any whole number of parts from 1 on, and 0 (its default) or anything
// else is no limit.
TEST_F(ProgramFolderTest, MessageAndRateLimitsOutOfRangeFallBackToTheirDefaults) {
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
TEST_F(ProgramFolderTest, FailingItemsAreReportedAndLoadingGoesOn) {
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

TEST_F(ProgramFolderTest, SavedSettingsLoadBackAsTheyWere) {
  ProgramSettings saved;
  saved.ProgramFolder = dir_.Folder();
  saved.EjKvitto = "1";
  saved.AutoFilSep = "¤";
  saved.VTid = 0;
  saved.RasPassWord = "rås";
  saved.MailPassWord = "m=1 Ł&#38;";
  // Folders and names beyond the code page are kept as references.
  saved.AutoFil = "/home/łukasz/sms 😀";
  saved.MailUserName = "&#65;";
  saved.AccessTyp = "TCP";
  saved.GatewayPassword = "hemligt";
  saved.TCPProxy = 1;
  saved.TCPProxyPort = "3128";
  saved.transports.Get<GsmSettings>().Smsc = "+4670";
  saved.transports.Get<SmppSettings>().Tls = "1";
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
      {"  +7 apples", 7}, {"abc", 0},         {"1e3", 1},
      {"2.5", 2},         {"3.5", 4},         {"-1.6", -2},
      {"32767", 32767},   {"-32768", -32768}, {"32768", std::nullopt}};
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

constexpr fs::perms kOwnerOnly = fs::perms::owner_read | fs::perms::owner_write;

TEST_F(ProgramFolderTest, EachSecretKeepsItsOwnValueAndTheGatewaysIsUserDats) {
  EXPECT_EQ(store_.ReadSecret("smpp"), "");
  ASSERT_TRUE(store_.WriteSecret("smpp", "firstå"));
  ASSERT_TRUE(store_.WriteSecret("emi", "second"));
  ASSERT_TRUE(store_.WriteSecret("smpp", "third"));
  ASSERT_TRUE(store_.WriteSecret("emi", ""));  // leaves the old value
  EXPECT_EQ(store_.ReadSecret("smpp"), "third");
  EXPECT_EQ(store_.ReadSecret("emi"), "second");
  EXPECT_EQ(fs::status(dir_.path() / "secrets.dat").permissions(), kOwnerOnly);
  const std::string content = dir_.ReadFile("secrets.dat");
  EXPECT_EQ(content.find("third"), std::string::npos);
  EXPECT_EQ(content.rfind("smpp=", 0), 0u);

  // user.dat: three bytes, 0xD5, the encrypted password and 0xC8 0xBB; then
  // the encrypted password alone on the second line.
  ASSERT_TRUE(store_.WriteSecret("gateway", "hemligtå"));
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "hemligtå");
  EXPECT_EQ(dir_.ReadFile("secrets.dat"), content);
  const std::string user_dat = dir_.ReadFile("user.dat");
  ASSERT_GT(user_dat.size(), 10u);
  const std::string encrypted = user_dat.substr(4, (user_dat.size() - 10) / 2);
  EXPECT_EQ(user_dat.substr(3), "\xD5" + encrypted + "\xC8\xBB\r\n" + encrypted + "\r\n");
  EXPECT_EQ(fs::status(dir_.path() / "user.dat").permissions(), kOwnerOnly);
  EXPECT_TRUE(WriteGatewayPassword(dir_.Folder(), ""));
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "hemligtå");

  // A secret forgotten reads empty; the others stay.
  ASSERT_TRUE(store_.ForgetSecret("emi"));
  EXPECT_EQ(store_.ReadSecret("emi"), "");
  EXPECT_EQ(store_.ReadSecret("smpp"), "third");
  EXPECT_FALSE(store_.ForgetSecret("gateway"));
  EXPECT_EQ(store_.ReadSecret("gateway"), "hemligtå");
}

TEST_F(ProgramFolderTest, ADamagedOrMovedSecretReadsEmptyAndSpoilsNoOther) {
  ASSERT_TRUE(store_.WriteSecret("smpp", "one"));
  ASSERT_TRUE(store_.WriteSecret("emi", "two"));
  std::string content = dir_.ReadFile("secrets.dat");
  const std::string smpp_line = content.substr(0, content.find("\r\n"));
  // A value copied under another name is not that name's.
  content.replace(content.find("emi="), 4, "xyz=");
  dir_.WriteFile("secrets.dat",
                 "garbage\r\nemi=" + smpp_line.substr(5) + "\n" + content + "gsm-pin=ÿ\r\n");
  EXPECT_EQ(store_.ReadSecret("emi"), "");
  EXPECT_EQ(store_.ReadSecret("gsm-pin"), "");
  EXPECT_EQ(store_.ReadSecret("smpp"), "one");
  ASSERT_TRUE(store_.WriteSecret("emi", "three"));
  EXPECT_EQ(store_.ReadSecret("emi"), "three");
  EXPECT_EQ(store_.ReadSecret("smpp"), "one");

  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "");
  ASSERT_TRUE(WriteGatewayPassword(dir_.Folder(), "secret"));
  std::string user_dat = dir_.ReadFile("user.dat");
  const size_t line2 = user_dat.find("\r\n") + 2;
  user_dat[line2 + 5] = user_dat[line2 + 5] == 'A' ? 'B' : 'A';
  for (const std::string& foreign :
       {user_dat, std::string("one line only\r\n"), std::string("RUB\xD5zz\r\n\xFF")}) {
    dir_.WriteFile("user.dat", foreign);
    EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "") << foreign;
  }
}

// A refused command writes nothing and never repeats an argument, which may
// be the secret itself.
TEST_F(ProgramFolderTest, StoreSecretRefusesWhatItsTransportCouldNeverUseAndWritesNothing) {
  const std::string too_long = std::string(1025, 'x') + "\n";
  const std::string names = "NAME is one of: gateway, gsm-pin, smpp, emi, api, webhook\n";
  const struct {
    std::vector<std::string> arguments;
    std::string input;
    int status;
    std::string error;  // with status 2, a part of it
  } kRefused[] = {
      {{}, "pw\n", 2, names},
      {{"gateway", "hunter2"}, "pw\n", 2, names},
      {{"gateway"}, "  \r\n", 1, "No secret on standard input\n"},
      {{"gateway"}, too_long, 1, "The secret on standard input is longer than 1024 bytes\n"},
      {{"gateway"}, "€ł\n", 1, "The secret holds characters outside Windows-1252\n"},
      {{"gsm-pin"}, "123\n", 1, "The SIM PIN must be 4 to 8 digits\n"},
      {{"gsm-pin"}, "123456789\n", 1, "The SIM PIN must be 4 to 8 digits\n"},
      {{"smpp"}, "123456789\n", 1, "The SMPP password is longer than its 8 characters\n"},
  };
  for (const auto& run : kRefused) {
    SCOPED_TRACE(run.input);
    EXPECT_EQ(Run(run.arguments, run.input), run.status);
    if (run.status == 2) {
      EXPECT_THAT(error_, HasSubstr(run.error));
      EXPECT_THAT(error_, Not(HasSubstr("hunter2")));
    } else {
      EXPECT_EQ(error_, run.error);
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

TEST_F(ProgramFolderTest, StoreSecretTakesTheFirstLineWithoutBlanksUpToItsLimit) {
  EXPECT_EQ(Run({"gateway"}, "  p\xC3\xA5ss word \r\nsecond line\n"), 0) << error_;
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "påss word");
  EXPECT_EQ(Run({"gateway"}, std::string(1024, 'x') + "\r\n"), 0) << error_;
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), std::string(1024, 'x'));
  for (const auto& [name, secret] :
       {std::pair{"gsm-pin", "00000000"}, {"gsm-pin", "0000"}, {"smpp", "12345678"}}) {
    EXPECT_EQ(Run({name}, secret + std::string("\n")), 0) << error_;
    EXPECT_EQ(SecretStore(dir_.Folder()).ReadSecret(name), secret);
  }
  EXPECT_EQ(error_, "");
}

}  // namespace
}  // namespace tolvane
