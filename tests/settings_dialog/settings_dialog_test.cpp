// The settings dialog as the user drives it: what it refuses, what it shows,
// and what lands in ProgramSettings, tolvmsg.ini and user.dat.
#include "settings_dialog/settings_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "core/gateway_password_file.h"
#include "core/secret_names.h"
#include "core/secret_store.h"
#include "core/settings_file.h"
#include "core/settings_loader.h"
#include "platform/ini_file.h"
#include "support/crashing_file_system.h"
#include "support/fake_dialogs.h"
#include "support/fake_serial_port_list.h"
#include "support/platform_mocks.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

using C = SettingsControl;
using G = GsmControl;
using L = SettingsList;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class FakeHost : public SettingsDialogHost {
 public:
  void ReconfigureTransports() override { calls.push_back("reconfigure"); }
  void RefreshRecipientList() override { calls.push_back("refresh"); }
  void OpenBalance(const BalanceQuery& query) override { balance_queries.push_back(query); }
  std::optional<std::string> ChooseFolder(const std::string& title) override {
    calls.push_back("choose " + title);
    return chosen_folder;
  }

  std::vector<std::string> calls;
  std::vector<BalanceQuery> balance_queries;
  std::optional<std::string> chosen_folder;
};

class SettingsDialogTest : public ::testing::Test {
 protected:
  SettingsDialogTest() { settings_.ProgramFolder = dir_.Folder(); }

  // Opens the dialog as the main window does: loaded, then activated.
  SettingsDialog& Open(Dialler* dialler = nullptr) {
    dialog_ = std::make_unique<SettingsDialog>(
        SettingsDialogServices{settings_, dialogs_, host_, dialler, &ports_});
    dialog_->Activate();
    return *dialog_;
  }
  std::string Ini() const { return dir_.ReadFile(SettingsFile::kFileName); }
  bool IniExists() const { return std::filesystem::exists(dir_.FilePath(SettingsFile::kFileName)); }
  void ExpectRefused(SettingsDialog& dialog, int tab, C focus, const std::string& text,
                     const std::string& title) {
    ASSERT_FALSE(dialogs_.boxes().empty());
    EXPECT_EQ(dialogs_.boxes().back().text, text);
    EXPECT_EQ(dialogs_.boxes().back().title, title);
    EXPECT_EQ(dialogs_.boxes().back().icon, MessageIcon::kInformation);
    EXPECT_EQ(dialog.CurrentTab(), tab);
    EXPECT_EQ(dialog.FocusRequest(), focus);
    EXPECT_FALSE(dialog.Closed());
    EXPECT_FALSE(IniExists());
  }

  testing::TempDir dir_;
  ProgramSettings settings_;
  testing::FakeDialogs dialogs_;
  FakeHost host_;
  testing::FakeSerialPortList ports_{{{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", "Huawei Mobile"}}};
  std::unique_ptr<SettingsDialog> dialog_;
};

TEST_F(SettingsDialogTest, TimeoutOf65IsTakenWhile66AndLettersAreRefused) {
  settings_.UppTid = "4o";  // written by hand: letters cannot be typed
  for (const char* refused : {"66", ""}) {
    SettingsDialog& dialog = Open();
    dialog.ShowTab(2);
    dialog.Press(C::kOk);
    ExpectRefused(dialog, 0, C::kTimeout, "The value for Timeout can be max 65", "TimeOut value");
    dialog.EditText(C::kTimeout, refused);
    dialog.Press(C::kOk);
    ExpectRefused(dialog, 0, C::kTimeout, "The value for Timeout can be max 65", "TimeOut value");
  }
  EXPECT_EQ(settings_.UppTid, "4o");

  SettingsDialog& dialog = Open();
  dialog.EditText(C::kTimeout, "6s5 ");
  EXPECT_EQ(dialog.Control(C::kTimeout).text, "65");
  dialog.Press(C::kOk);
  EXPECT_TRUE(dialog.Closed());
  EXPECT_EQ(settings_.UppTid, "65");
  EXPECT_THAT(Ini(), HasSubstr("[Modem]\r\nBaud=19200\r\nPort=2\r\nDevice=\r\nParametrar=N,8,1\r\n"
                               "ModemInit=ATZ\r\nUppTid=65\r\n"));
}

TEST_F(SettingsDialogTest, TheGatewayAccountAndItsProxyAreRefusedInTheirBoxesUntilWhole) {
  const ProgramSettings before = settings_;
  SettingsDialog& dialog = Open();
  dialog.Choose(C::kUseTcp);
  EXPECT_FALSE(dialog.Control(C::kUseModem).checked);
  dialog.EditText(C::kAccountName, "konto");
  dialog.EditText(C::kPassword, "   ");
  dialog.EditText(C::kGateway, " http://sms.example.net ");
  dialog.Press(C::kOk);
  ExpectRefused(dialog, 0, C::kPassword,
                "You must enter Accountname and password if you want to use TCP/IP.\n"
                "You can open an account at http://sms.example.net.",
                "Account information?");
  dialog.EditText(C::kAccountName, "");
  dialog.Press(C::kOk);
  EXPECT_EQ(dialog.FocusRequest(), C::kAccountName);

  // user.dat keeps Windows-1252: a password it cannot hold is refused in its
  // box before anything is written.
  dialog.EditText(C::kAccountName, " konto ");
  dialog.EditText(C::kPassword, "hasło1");
  dialog.Press(C::kOk);
  ExpectRefused(dialog, 0, C::kPassword,
                "The gateway password cannot hold the character \"ł\": user.dat keeps only the "
                "characters of Windows-1252.",
                "Password?");
  EXPECT_FALSE(std::filesystem::exists(dir_.FilePath(kGatewayPasswordFileName)));

  dialog.EditText(C::kPassword, " p&w=1 ");
  dialog.SetChecked(C::kUseProxy, true);
  dialog.Press(C::kOk);
  ExpectRefused(dialog, 0, C::kProxyServer, "Enter name or IP for proxyserver!", "Proxy?");
  const char kPortText[] = "Enter a port from 1 to 65535 for the proxyserver!";
  dialog.EditText(C::kProxyServer, "proxy.lan");
  dialog.EditText(C::kModemInit, "AT&F");
  for (const char* refused : {"0", "65536", "70000", " ", "80a"}) {
    SCOPED_TRACE(refused);
    dialog.ShowTab(4);
    dialog.EditText(C::kProxyPort, refused);
    dialog.Press(C::kOk);
    ExpectRefused(dialog, 0, C::kProxyPort, kPortText, "Proxy?");
  }
  // Letters are refused without a proxy too; everything typed is still there.
  dialog.SetChecked(C::kUseProxy, false);
  dialog.Press(C::kOk);
  ExpectRefused(dialog, 0, C::kProxyPort, kPortText, "Proxy?");
  // A refused OK takes nothing over.
  EXPECT_EQ(settings_, before);
  EXPECT_THAT(host_.calls, IsEmpty());
  EXPECT_EQ(dialog.Control(C::kModemInit).text, "AT&F");

  dialog.SetChecked(C::kUseProxy, true);
  dialog.EditText(C::kProxyPort, " 65535 ");
  dialog.Press(C::kOk);
  EXPECT_TRUE(dialog.Closed());
  EXPECT_EQ(settings_.TCPGateway, "http://sms.example.net");
  EXPECT_EQ(settings_.TCPProxy, 1);
  EXPECT_EQ(settings_.ModemInit, "AT&F");
  EXPECT_EQ(ReadGatewayPassword(dir_.Folder()), "p&w=1");
  EXPECT_THAT(Ini(), HasSubstr("[Access]\r\nAccessTyp=TCP\r\n[TCP]\r\nTCPAnvNamn=konto\r\n"));
  EXPECT_THAT(Ini(), HasSubstr("TCPProxy=1\r\nTCPProxyAdress=proxy.lan\r\nTCPProxyPort=65535\r\n"));
}

// A save writes secrets.dat, user.dat and tolvmsg.ini; a full disk at any
// step of it leaves all three as they were and the dialog open, or (when
// only making the rename durable fails) all three new.
TEST_F(SettingsDialogTest, AFullDiskAtAnyStepOfTheSaveWritesAllFilesOrNone) {
  constexpr size_t kSmppPassword = 4;
  auto save = [this](const std::string& value) {
    SettingsDialog& dialog = Open();
    dialog.Choose(C::kUseTcp);
    dialog.EditText(C::kAccountName, value);
    dialog.EditText(C::kPassword, value);
    dialog.Smpp().EditText(kSmppPassword, value);
    dialog.Press(C::kOk);
    return dialog.Closed();
  };
  auto stored = [this] {
    return std::vector<std::string>{
        IniFile::ReadString(dir_.FilePath(SettingsFile::kFileName), "TCP", "TCPAnvNamn", ""),
        ReadGatewayPassword(dir_.Folder()), SecretStore(dir_.Folder()).ReadSecret(kSmppSecret),
        settings_.TCPAnvNamn};
  };
  ASSERT_TRUE(save("old"));
  const std::string old_ini = Ini();
  const std::string old_password_file = dir_.ReadFile(kGatewayPasswordFileName);
  const std::string old_secrets = dir_.ReadFile(SecretStore::kFileName);
  int steps = 0;
  {
    testing::CrashingFileSystem files;
    testing::ProgramFileSystemScope scope(files);
    ASSERT_TRUE(save("new"));
    steps = files.steps();
  }
  int refused = 0;
  for (int step = 0; step < steps; ++step) {
    SCOPED_TRACE("full disk at step " + std::to_string(step));
    dir_.WriteFile(SettingsFile::kFileName, old_ini);
    dir_.WriteFile(kGatewayPasswordFileName, old_password_file);
    dir_.WriteFile(SecretStore::kFileName, old_secrets);
    settings_.TCPAnvNamn = "old";
    dialogs_.Clear();
    host_.calls.clear();
    testing::CrashingFileSystem files;
    testing::ProgramFileSystemScope scope(files);
    files.FailAt(step);
    if (save("new")) {
      EXPECT_THAT(stored(), ElementsAre("new", "new", "new", "new"));
      continue;
    }
    ++refused;
    EXPECT_THAT(dialogs_.Texts(), ElementsAre(::testing::AnyOf("Error writing secrets.dat",
                                                               "Error writing ini-file")));
    EXPECT_THAT(stored(), ElementsAre("old", "old", "old", "old"));
    EXPECT_EQ(Ini(), old_ini);
    EXPECT_THAT(host_.calls, IsEmpty());
  }
  EXPECT_GT(refused, steps / 2);
}

TEST_F(SettingsDialogTest, AutosendingChecksFolderAndTypeOnlyWhenActiveAtStartup) {
  settings_.AutoFil = "";
  settings_.AutoTyp = "7";  // written by hand: no option matches
  SettingsDialog& dialog = Open();
  dialog.SetChecked(C::kActiveAtStartup, true);
  dialog.Press(C::kOk);
  ExpectRefused(dialog, 2, C::kAutoFolder, "No path specified!", "What folder?");
  dialog.EditText(C::kAutoFolder, "/var/outfiles");
  dialog.Press(C::kOk);
  ExpectRefused(dialog, 2, C::kTypeMomentary, "You must choose type of Autosending!.",
                "What type?");

  dialog.SetChecked(C::kActiveAtStartup, false);
  dialog.EditText(C::kAutoFolder, "");
  dialog.Press(C::kOk);
  EXPECT_TRUE(dialog.Closed());
  EXPECT_EQ(settings_.AutoTyp, "7");
}

TEST_F(SettingsDialogTest, TheEleventhTimeIsRefusedAndClearStoresTenEmptyTimes) {
  settings_.MailTid[1] = "7:30";  // written by hand without the zero
  SettingsDialog& dialog = Open();
  EXPECT_THAT(dialog.List(L::kMailTimes).items, ElementsAre("07:30"));
  dialog.Select(L::kMailHour, 18);
  dialog.Select(L::kMailMinute, 5);
  for (int i = 0; i < 9; ++i) dialog.Press(C::kAddTime);
  EXPECT_EQ(dialog.List(L::kMailTimes).items.back(), "18:05");
  dialog.Press(C::kAddTime);
  EXPECT_THAT(dialogs_.Texts(), ElementsAre("Max 10 records"));
  EXPECT_EQ(dialog.List(L::kMailTimes).items.size(), 10u);

  dialog.Press(C::kClearTimes);
  EXPECT_THAT(dialog.List(L::kMailTimes).items, IsEmpty());
  dialog.Press(C::kOk);
  EXPECT_EQ(settings_.MailTimeCount, 0);
  std::string expected;
  for (int i = 1; i <= 10; ++i) expected += "MailTid" + std::to_string(i) + "=\r\n";
  EXPECT_THAT(Ini(), HasSubstr(expected));
}

TEST_F(SettingsDialogTest, NumberBoxesKeepTheirRangeAndFollowTheirScrollBars) {
  SettingsDialog& dialog = Open();
  dialog.EditText(C::kPollTid, "1500");
  EXPECT_EQ(dialog.Control(C::kPollTid).text, "999");
  EXPECT_EQ(dialog.ScrollValue(C::kPollTid), 999);
  dialog.EditText(C::kPollTid, "");
  EXPECT_EQ(dialog.Control(C::kPollTid).text, "");
  dialog.LeaveBox(C::kPollTid);
  EXPECT_EQ(dialog.Control(C::kPollTid).text, "1");

  // Letters and signs are not taken: they never turn into a number.
  dialog.EditText(C::kWaitMinutes, "-3x");
  EXPECT_EQ(dialog.Control(C::kWaitMinutes).text, "3");
  dialog.EditText(C::kPollTid, "x");
  EXPECT_EQ(dialog.Control(C::kPollTid).text, "");
  dialog.Scroll(C::kWaitMinutes, 12);
  EXPECT_EQ(dialog.Control(C::kWaitMinutes).text, "12");
  dialog.Scroll(C::kPollTid, 30);

  dialog.Press(C::kOk);
  EXPECT_EQ(settings_.PollTid, 30);
  EXPECT_THAT(Ini(), HasSubstr("VTid= 12\r\nPollTid= 30\r\n"));
}

TEST_F(SettingsDialogTest, ListsAreFilledOnceAndTheSeparatorStoresItsCharacter) {
  settings_.AutoTid = "6:45";  // written by hand without the zero
  settings_.AutoFilSep = "#";
  SettingsDialog& dialog = Open();
  EXPECT_EQ(dialog.List(L::kAutoHour).SelectedText(), "06");
  EXPECT_EQ(dialog.List(L::kAutoMinute).SelectedText(), "45");
  EXPECT_EQ(dialog.List(L::kSeparator).SelectedText(), "##  (ASCII 35)");

  dialog.Select(L::kAutoHour, 23);
  dialog.Select(L::kSeparator, 4);
  // Activated again, as when the balance window closes.
  dialog.Activate();
  EXPECT_EQ(dialog.List(L::kAutoHour).items.size(), 24u);
  EXPECT_EQ(dialog.List(L::kSeparator).selected, 4);

  dialog.Press(C::kOk);
  EXPECT_EQ(settings_.AutoTid, "23:45");
  EXPECT_THAT(Ini(), HasSubstr("AutoFilSep=\xA4\r\n"));
}

// tolvmsg.ini keeps 127 bytes of a value: every box takes the longest value
// that fits, in any characters (one outside Windows-1252 takes the bytes of
// its "&#N;"), and refuses one character more in its box, writing nothing.
TEST_F(SettingsDialogTest, EveryBoxTakesTheLongestValueTheFileKeepsAndRefusesOneMore) {
  const std::string x121(121, 'x');
  struct Case {
    C box;
    C transport;
    std::string longest;
  };
  const Case cases[] = {{C::kSenderNumber, C::kUseGsm, x121 + "abcdef"},
                        {C::kModemInit, C::kUseModem, x121 + "AT&F&W"},
                        {C::kDevice, C::kUseModem, x121 + "/dev/x"},
                        {C::kAccountName, C::kUseTcp, x121 + "ł"},
                        {C::kGateway, C::kUseTcp, x121 + "http:/"},
                        {C::kProxyServer, C::kUseTcp, x121 + "proxy1"},
                        {C::kSmscNumber, C::kUseModem, x121 + "123456"},
                        {C::kPrefix1, C::kUseModem, x121 + "ATDT0W"},
                        {C::kPrefix2, C::kUseModem, x121 + "ATDT1W"},
                        {C::kAutoFolder, C::kUseModem, x121 + "/outé/"},
                        {C::kConnection, C::kUseModem, x121 + "Telia2"},
                        {C::kRasUserName, C::kUseModem, std::string(122, 'x') + "\n"},
                        {C::kRasPassword, C::kUseModem, x121 + "ÿ"},
                        {C::kMailServer, C::kUseModem, x121 + "pop.se"},
                        {C::kMailAccount, C::kUseModem, x121 + "anna@s"},
                        {C::kMailPassword, C::kUseModem, std::string(111, 'x') + "pþ\a\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.longest);
    std::filesystem::remove(dir_.FilePath(SettingsFile::kFileName));
    SettingsDialog& dialog = Open();
    dialog.Choose(c.transport);
    dialog.EditText(C::kAccountName, "konto");
    dialog.EditText(C::kPassword, "pw");
    dialog.EditText(c.box, c.longest + "1");
    dialog.ShowTab(3);
    dialog.Press(C::kOk);
    ASSERT_FALSE(dialog.Closed());
    EXPECT_THAT(dialogs_.boxes().back().text,
                HasSubstr("is too long: the settings file keeps at most 127 characters."));
    EXPECT_EQ(dialog.CurrentTab(), SettingsDialog::TabOf(c.box));
    EXPECT_EQ(dialog.FocusRequest(), c.box);
    EXPECT_FALSE(IniExists());

    dialog.EditText(c.box, c.longest);
    dialog.Press(C::kOk);
    ASSERT_TRUE(dialog.Closed());
    // The next start reads it whole.
    settings_ = ProgramSettings();
    settings_.ProgramFolder = dir_.Folder();
    LoadSettings(SettingsFile(dir_.Folder()), settings_, nullptr);
    EXPECT_EQ(Open().Control(c.box).text, c.longest);
  }
  EXPECT_EQ(dialogs_.boxes().back().text,
            "\"Password\" is too long: the settings file keeps at most 127 characters. "
            "A character outside Windows-1252 takes several of them.");
}

TEST_F(SettingsDialogTest, OkTakesEverythingOverWritesTheFileAndThenRefreshes) {
  settings_.Baud = "4800";  // written by hand: no speed option matches
  settings_.AutoTid = "7:05";
  SettingsDialog& dialog = Open(nullptr);
  EXPECT_FALSE(dialog.Control(C::kSpeed19200).checked);
  EXPECT_THAT(dialog.List(L::kDevices).items, ElementsAre("/dev/ttyS0", "/dev/ttyUSB0"));
  EXPECT_THAT(dialog.List(L::kConnections).items, IsEmpty());

  dialog.Choose(C::kParity7E1);
  dialog.Select(L::kDevices, 1);
  dialog.EditText(C::kSenderNumber, "0701234567  ");
  dialog.SetChecked(C::kQuicksend, true);
  dialog.SetChecked(C::kDontUseDun, true);
  dialog.EditText(C::kMailPassword, "hemlis");
  dialog.Choose(C::kTypeWhenFiles);
  dialog.Press(C::kOk);

  EXPECT_TRUE(dialog.Closed());
  EXPECT_THAT(host_.calls, ElementsAre("reconfigure", "refresh"));
  EXPECT_EQ(settings_.Baud, "4800");
  EXPECT_EQ(settings_.Device, "/dev/ttyUSB0");
  EXPECT_EQ(settings_.Parametrar, "E,7,1");
  EXPECT_EQ(settings_.Avs, "0701234567");
  EXPECT_TRUE(settings_.RasYNOn);
  EXPECT_FALSE(std::filesystem::exists(dir_.FilePath(kGatewayPasswordFileName)));
  EXPECT_THAT(Ini(), HasSubstr("MailPassWord=khpolv\r\n"));  // shifted by three
  EXPECT_THAT(Ini(), HasSubstr("AutoTid=07:05\r\n"));
}

TEST_F(SettingsDialogTest, DialUpConnectionsFolderAndBalanceComeFromOutside) {
  ::testing::NiceMock<testing::MockDialler> dialler;
  ON_CALL(dialler, ConnectionNames())
      .WillByDefault(::testing::Return(std::vector<std::string>{"Telia", "Tele2"}));
  SettingsDialog& dialog = Open(&dialler);
  EXPECT_THAT(dialog.List(L::kConnections).items, ElementsAre("Telia", "Tele2"));
  EXPECT_EQ(dialog.List(L::kConnections).selected, 0);
  dialog.DoubleClick(L::kConnections, 1);
  EXPECT_EQ(dialog.Control(C::kConnection).text, "Tele2");

  host_.chosen_folder = "/home/anna/out";
  dialog.Press(C::kBrowse);
  EXPECT_EQ(dialog.Control(C::kAutoFolder).text, "/home/anna/out");

  dialog.EditText(C::kAccountName, "konto ");
  dialog.EditText(C::kPassword, "typed");
  dialog.EditText(C::kGateway, "");
  dialog.Press(C::kCheckBalance);
  ASSERT_EQ(host_.balance_queries.size(), 1u);
  EXPECT_EQ(host_.balance_queries[0].account_name, "konto ");
  EXPECT_EQ(host_.balance_queries[0].gateway, "http://localhost:8080");
}

// The GSM modem's page of the communication tab.
class GsmSettingsTest : public SettingsDialogTest {
 protected:
  std::string StoredPin() const { return SecretStore(dir_.Folder()).ReadSecret(kGsmPinSecret); }
  bool PageEnabled(SettingsDialog& dialog) const {
    bool all = true;
    bool any = false;
    for (G control : {G::kDevice, G::kBaud, G::kSmsc, G::kInit, G::kPin}) {
      all = all && dialog.Gsm().Control(control).enabled;
      any = any || dialog.Gsm().Control(control).enabled;
    }
    EXPECT_EQ(all, any) << "the page is switched on and off as a whole";
    EXPECT_EQ(dialog.Gsm().Ports().enabled, all);
    return all;
  }
  void ExpectRefusedOnPage(SettingsDialog& dialog, G focus, const std::string& text,
                           const std::string& title) {
    ASSERT_FALSE(dialogs_.boxes().empty());
    EXPECT_EQ(
        dialogs_.boxes().back(),
        (testing::FakeDialogs::Box{text, title, MessageIcon::kInformation, MessageButtons::kOk}));
    EXPECT_EQ(dialog.CurrentTab(), 0);
    EXPECT_EQ(dialog.Gsm().FocusRequest(), focus);
    EXPECT_FALSE(dialog.Closed());
    EXPECT_FALSE(IniExists());
    EXPECT_FALSE(std::filesystem::exists(dir_.FilePath(SecretStore::kFileName)));
  }
};

TEST_F(GsmSettingsTest, TheChoiceAndItsKeysAreSavedAndThePinOnlyAsASecret) {
  SettingsDialog& dialog = Open();
  EXPECT_EQ(dialog.Control(C::kUseGsm).text, "GSM modem");
  EXPECT_FALSE(dialog.Control(C::kUseGsm).checked);
  EXPECT_FALSE(PageEnabled(dialog));
  EXPECT_EQ(dialog.Gsm().Control(G::kBaud).text, "115200");
  EXPECT_THAT(dialog.Gsm().Ports().items,
              ElementsAre("/dev/ttyS0", "/dev/ttyUSB0  (Huawei Mobile)"));
  // The modem's own list keeps offering bare paths.
  EXPECT_THAT(dialog.List(L::kDevices).items, ElementsAre("/dev/ttyS0", "/dev/ttyUSB0"));

  dialog.Choose(C::kUseGsm);
  EXPECT_FALSE(dialog.Control(C::kUseModem).checked);
  EXPECT_TRUE(PageEnabled(dialog));
  dialog.Gsm().SelectPort(1);
  EXPECT_EQ(dialog.Gsm().Control(G::kDevice).text, "/dev/ttyUSB0");
  dialog.Gsm().EditText(G::kBaud, "96o0");
  EXPECT_EQ(dialog.Gsm().Control(G::kBaud).text, "960");
  dialog.Gsm().EditText(G::kBaud, "9600");
  dialog.Gsm().EditText(G::kSmsc, " +46705008999 ");
  dialog.Gsm().EditText(G::kInit, "AT^CURC=0 ");
  dialog.Gsm().EditText(G::kPin, "4711");
  dialog.Press(C::kOk);

  EXPECT_TRUE(dialog.Closed());
  EXPECT_THAT(host_.calls, ElementsAre("reconfigure", "refresh"));
  EXPECT_EQ(settings_.AccessTyp, "GSM");
  EXPECT_EQ(settings_.GsmDevice, "/dev/ttyUSB0");
  EXPECT_THAT(Ini(), HasSubstr("[Access]\r\nAccessTyp=GSM\r\n"));
  EXPECT_THAT(Ini(), HasSubstr("[GSM]\r\nDevice=/dev/ttyUSB0\r\nBaud=9600\r\n"
                               "Smsc=+46705008999\r\nInit=AT^CURC=0\r\n"));
  EXPECT_EQ(StoredPin(), "4711");
  EXPECT_THAT(Ini(), Not(HasSubstr("4711")));
  EXPECT_THAT(dir_.ReadFile(SecretStore::kFileName), Not(HasSubstr("4711")));

  // Opened again: the choice and the keys come back, the PIN does not show,
  // and leaving its box empty keeps it.
  SettingsDialog& again = Open();
  EXPECT_TRUE(again.Control(C::kUseGsm).checked);
  EXPECT_TRUE(PageEnabled(again));
  EXPECT_EQ(again.Gsm().Ports().selected, 1);
  EXPECT_EQ(again.Gsm().Control(G::kSmsc).text, "+46705008999");
  EXPECT_EQ(again.Gsm().Control(G::kPin).text, "");
  // A path typed by hand, such as a pseudo-terminal, is no port offered.
  again.Gsm().EditText(G::kDevice, "/dev/pts/7");
  EXPECT_EQ(again.Gsm().Ports().selected, -1);
  again.Press(C::kOk);
  EXPECT_TRUE(again.Closed());
  EXPECT_EQ(settings_.GsmDevice, "/dev/pts/7");
  EXPECT_EQ(StoredPin(), "4711");

  // Back to the modem: the page is switched off and the modem is the choice.
  SettingsDialog& modem = Open();
  modem.Choose(C::kUseModem);
  EXPECT_FALSE(PageEnabled(modem));
  modem.Press(C::kOk);
  EXPECT_EQ(settings_.AccessTyp, "Modem");
  EXPECT_EQ(settings_.GsmDevice, "/dev/pts/7");
}

TEST_F(GsmSettingsTest, ABadBaudOrPinIsRefusedInItsBoxAndNothingIsTaken) {
  const ProgramSettings before = settings_;
  SettingsDialog& dialog = Open();
  dialog.Choose(C::kUseGsm);
  const std::string baud_text = "Enter a line speed from 50 to 4000000 for the GSM modem!";
  for (const char* refused : {"", "0", "49", "4000001", "99999999999999999999"}) {
    SCOPED_TRACE(refused);
    dialog.ShowTab(4);
    dialog.Gsm().EditText(G::kBaud, refused);
    dialog.Press(C::kOk);
    ExpectRefusedOnPage(dialog, G::kBaud, baud_text, "GSM modem?");
  }
  dialog.Gsm().EditText(G::kBaud, "115200");
  for (const char* refused : {"123", "123456789", "12a4", " 1234"}) {
    SCOPED_TRACE(refused);
    dialog.Gsm().EditText(G::kPin, refused);
    dialog.Press(C::kOk);
    ExpectRefusedOnPage(dialog, G::kPin, "The SIM PIN must be 4 to 8 digits!", "SIM PIN?");
  }
  EXPECT_EQ(settings_, before);
  EXPECT_THAT(host_.calls, IsEmpty());

  dialog.Gsm().EditText(G::kPin, "12345678");
  dialog.Press(C::kOk);
  EXPECT_TRUE(dialog.Closed());
  EXPECT_EQ(StoredPin(), "12345678");
}

// The SMPP provider's page: shown while "SMPP" is chosen, its rules on
// "&OK", its keys in [SMPP] and the password only as a secret.
TEST_F(SettingsDialogTest, TheSmppPageIsShownWhileChosenAndKeepsThePasswordASecret) {
  constexpr size_t kHost = 0, kPort = 1, kTls = 2, kSystemId = 3, kPasswordField = 4, kWindow = 6,
                   kAlphabet = 8;
  SettingsDialog& dialog = Open();
  AccountSettingsPage& page = dialog.Smpp();
  EXPECT_EQ(dialog.Control(C::kUseSmpp).text, "SMPP");
  EXPECT_FALSE(page.Control(kHost).visible);
  dialog.Choose(C::kUseSmpp);
  EXPECT_TRUE(page.Control(kHost).visible && page.Control(kAlphabet).enabled);
  EXPECT_EQ(page.Control(kPort).text, "2775");

  // Each refused in turn, then mended.
  const std::tuple<size_t, const char*, const char*> refusals[] = {
      {kHost, "Enter the name or IP address of the SMPP provider!", " smpp.example.net "},
      {kPort, "Enter a port from 1 to 65535 for the SMPP provider!", "2776"},
      {kSystemId, "Enter the system id of the SMPP account, at most 15 characters!", "tolvane"},
      {kPasswordField, "The SMPP password is longer than its 8 characters!", "hemlig 8"},
      {kWindow, "Enter a window from 1 to 100 messages!", "20"}};
  page.EditText(kPort, "70000");
  // The box takes the whole pasted password, so the check can refuse it.
  EXPECT_EQ(page.Control(kPasswordField).max_length, 0);
  page.EditText(kPasswordField, "123456789");
  page.EditText(kWindow, "0");
  for (const auto& [field, text, mended] : refusals) {
    SCOPED_TRACE(text);
    dialog.ShowTab(3);
    dialog.Press(C::kOk);
    ASSERT_FALSE(dialogs_.boxes().empty());
    EXPECT_EQ(dialogs_.boxes().back().text, text);
    EXPECT_EQ(dialog.CurrentTab(), 0);
    EXPECT_EQ(page.FocusRequest(), field);
    EXPECT_FALSE(IniExists());
    page.EditText(field, mended);
  }
  page.SetChecked(kTls, true);
  page.Choose(kAlphabet, 1);
  dialog.Press(C::kOk);

  EXPECT_TRUE(dialog.Closed());
  EXPECT_EQ(settings_.AccessTyp, "SMPP");
  EXPECT_THAT(Ini(), HasSubstr("[SMPP]\r\nHost=smpp.example.net\r\nPort=2776\r\nTls=1\r\n"
                               "SystemId=tolvane\r\n"));
  EXPECT_THAT(Ini(), HasSubstr("Window=20\r\n"));
  EXPECT_THAT(Ini(), HasSubstr("DefaultAlphabet=3\r\n"));
  EXPECT_EQ(SecretStore(dir_.Folder()).ReadSecret(kSmppSecret), "hemlig 8");
  EXPECT_THAT(Ini(), Not(HasSubstr("hemlig")));

  // Opened again the password does not show, and an empty box keeps it.
  SettingsDialog& again = Open();
  EXPECT_TRUE(again.Control(C::kUseSmpp).checked);
  EXPECT_EQ(again.Smpp().Control(kPasswordField).text, "");
  EXPECT_EQ(again.Smpp().ChoiceIndex(kAlphabet), 1);
  again.Choose(C::kUseModem);
  EXPECT_FALSE(again.Smpp().Control(kHost).visible);
  again.Press(C::kOk);
  EXPECT_EQ(SecretStore(dir_.Folder()).ReadSecret(kSmppSecret), "hemlig 8");
  EXPECT_EQ(settings_.SmppHost, "smpp.example.net");
}

// The SMS centre's page: shown while "UCP/EMI over TCP/IP" is chosen (and
// the SMPP page hidden), its rules on "&OK", its keys in [EMI], the password
// only as the "emi" secret.
TEST_F(SettingsDialogTest, TheEmiPageIsShownWhileChosenAndWritesItsSection) {
  constexpr size_t kHost = 0, kPort = 1, kAltHost = 2, kAltPort = 3, kUser = 4, kPasswordField = 5,
                   kWindow = 6, kKeepalive = 7, kOperation = 8, kAlphabet = 9;
  SettingsDialog& dialog = Open();
  AccountSettingsPage& page = dialog.Emi();
  EXPECT_EQ(dialog.Control(C::kUseEmi).text, "UCP/EMI over TCP/IP");
  dialog.Choose(C::kUseEmi);
  EXPECT_TRUE(page.Control(kHost).visible && page.Control(kOperation).enabled);
  EXPECT_FALSE(dialog.Smpp().Control(0).visible);
  EXPECT_EQ(page.Control(kPort).text, "5000");
  EXPECT_EQ(page.Control(kWindow).text, "10");
  EXPECT_EQ(page.Control(kKeepalive).text, "50");
  EXPECT_EQ(page.ChoiceIndex(kOperation), 0);
  EXPECT_EQ(page.ChoiceIndex(kAlphabet), 0);

  const std::tuple<size_t, const char*, const char*> refusals[] = {
      {kHost, "Enter the name or IP address of the SMS centre!", "smsc.example.net"},
      {kAltPort, "Enter a port from 1 to 65535 for the alternative host, or none!", "5001"},
      {kUser, "Enter the user of the SMS centre's login, at most 16 characters!", "tolvane"},
      {kWindow, "Enter a window from 1 to 99 messages!", "99"}};
  page.EditText(kAltPort, "0");
  page.EditText(kWindow, "100");
  for (const auto& [field, text, mended] : refusals) {
    SCOPED_TRACE(text);
    dialog.Press(C::kOk);
    ASSERT_FALSE(dialogs_.boxes().empty());
    EXPECT_EQ(dialogs_.boxes().back().text, text);
    EXPECT_EQ(page.FocusRequest(), field);
    EXPECT_FALSE(IniExists());
    page.EditText(field, mended);
  }
  page.EditText(kAltHost, "backup.example.net");
  page.EditText(kPasswordField, "hemligt ord");
  page.Choose(kOperation, 1);
  page.Choose(kAlphabet, 1);
  dialog.Press(C::kOk);

  EXPECT_TRUE(dialog.Closed());
  EXPECT_EQ(settings_.AccessTyp, "EMI");
  EXPECT_THAT(Ini(), HasSubstr("[EMI]\r\nHost=smsc.example.net\r\nPort=5000\r\n"
                               "AltHost=backup.example.net\r\nAltPort=5001\r\nUser=tolvane\r\n"
                               "Window=99\r\nKeepalive=50\r\nOperation=30\r\n"
                               "ResendUnanswered=0\r\nAlphabet=IRA\r\n"));
  EXPECT_EQ(SecretStore(dir_.Folder()).ReadSecret(kEmiSecret), "hemligt ord");
  EXPECT_THAT(Ini(), Not(HasSubstr("hemligt")));
  EXPECT_TRUE(Open().Control(C::kUseEmi).checked);
}

// One rule for every transport's page: only the page of the transport chosen
// can be edited and is checked on "&OK"; the sender number and Quicksend
// serve every transport. A broken rule on another page keeps the stored value.
TEST_F(SettingsDialogTest, OnlyThePageOfTheTransportChosenIsEditableAndChecked) {
  settings_.AccessTyp = "GSM";
  settings_.GsmBaud = "57600";
  SettingsDialog& dialog = Open();
  dialog.Gsm().EditText(G::kBaud, "1");
  dialog.Gsm().EditText(G::kPin, "12");
  dialog.Choose(C::kUseModem);
  dialog.EditText(C::kTimeout, "66");
  for (C chosen : {C::kUseModem, C::kUseTcp, C::kUseGsm, C::kUseSmpp, C::kUseEmi}) {
    SCOPED_TRACE(dialog.Control(chosen).text);
    dialog.Choose(chosen);
    for (C control : {C::kTimeout, C::kSpeed2400, C::kPort8, C::kDevice, C::kParity7E1,
                      C::kSmscNumber, C::kPrefix2}) {
      EXPECT_EQ(dialog.Control(control).enabled, chosen == C::kUseModem);
    }
    for (C control :
         {C::kAccountName, C::kPassword, C::kUseProxy, C::kProxyPort, C::kCheckBalance}) {
      EXPECT_EQ(dialog.Control(control).enabled, chosen == C::kUseTcp);
    }
    EXPECT_EQ(dialog.Gsm().Control(G::kBaud).enabled, chosen == C::kUseGsm);
    EXPECT_EQ(dialog.Smpp().Control(0).enabled, chosen == C::kUseSmpp);
    EXPECT_EQ(dialog.Emi().Control(0).enabled, chosen == C::kUseEmi);
    for (C control : {C::kSenderNumber, C::kQuicksend, C::kUseModem, C::kOk}) {
      EXPECT_TRUE(dialog.Control(control).enabled);
    }
  }
  dialog.Emi().EditText(0, "smsc.example.net");
  dialog.Emi().EditText(4, "tolvane");
  dialog.Press(C::kOk);
  EXPECT_TRUE(dialog.Closed());
  EXPECT_THAT(dialogs_.Texts(), IsEmpty());
  EXPECT_EQ(settings_.UppTid, "40");
  EXPECT_EQ(settings_.GsmBaud, "57600");
  EXPECT_EQ(SecretStore(dir_.Folder()).ReadSecret(kGsmPinSecret), "");
}

// The provider pages' boxes, like the dialog's own, take their longest value
// and refuse one character more, the page's limit or the file's.
TEST_F(SettingsDialogTest, EveryPageBoxTakesItsLongestValueAndRefusesOneMore) {
  struct Case {
    C transport;
    size_t field;
    size_t longest;
  };
  const Case cases[] = {{C::kUseSmpp, 0, 127}, {C::kUseSmpp, 3, 15}, {C::kUseSmpp, 5, 12},
                        {C::kUseEmi, 0, 127},  {C::kUseEmi, 2, 127}, {C::kUseEmi, 4, 16}};
  for (const Case& c : cases) {
    SettingsDialog& dialog = Open();
    dialog.Choose(c.transport);
    AccountSettingsPage& page = c.transport == C::kUseSmpp ? dialog.Smpp() : dialog.Emi();
    SCOPED_TRACE(page.Layout().fields[c.field].caption);
    page.EditText(0, "host.example.net");
    page.EditText(c.transport == C::kUseSmpp ? 3 : 4, "tolvane");
    page.EditText(c.field, std::string(c.longest + 1, 'x'));
    dialog.Press(C::kOk);
    ASSERT_FALSE(dialog.Closed());
    EXPECT_EQ(page.FocusRequest(), c.field);
    page.EditText(c.field, std::string(c.longest, 'x'));
    dialog.Press(C::kOk);
    EXPECT_TRUE(dialog.Closed());
  }
  EXPECT_EQ(dialogs_.boxes()[0].text,
            "\"Host\" is too long: the settings file keeps at most 127 characters.");
  EXPECT_EQ(settings_.EmiUser, std::string(16, 'x'));

  SettingsDialog& dialog = Open();
  dialog.Choose(C::kUseGsm);
  dialog.Gsm().EditText(G::kInit, std::string(128, 'x'));
  dialog.Press(C::kOk);
  EXPECT_EQ(dialog.Gsm().FocusRequest(), G::kInit);
  dialog.Gsm().EditText(G::kInit, std::string(127, 'x'));
  dialog.Press(C::kOk);
  EXPECT_EQ(settings_.GsmInit, std::string(127, 'x'));
}

}  // namespace
}  // namespace tolvane
