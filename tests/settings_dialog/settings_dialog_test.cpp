// The settings dialog as the user drives it: what it refuses, what it shows,
// and what lands in ProgramSettings, tolvmsg.ini and user.dat.
#include "settings_dialog/settings_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "core/gateway_password_file.h"
#include "core/secret_store.h"
#include "core/settings_file.h"
#include "core/settings_loader.h"
#include "core/transport_registry.h"
#include "emi/emi_settings.h"
#include "gsm/gsm_settings.h"
#include "platform/ini_file.h"
#include "smpp/smpp_settings.h"
#include "support/crashing_file_system.h"
#include "support/fake_dialogs.h"
#include "support/fake_serial_port_list.h"
#include "support/platform_mocks.h"
#include "support/temp_dir.h"
#include "transports/transport_list.h"

namespace tolvane {
namespace {

using Box = testing::FakeDialogs::Box;
using C = SettingsControl;
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
        SettingsDialogServices{settings_, transports_, dialogs_, host_, dialler, &ports_});
    dialog_->Activate();
    return *dialog_;
  }
  std::string Ini() const { return dir_.ReadFile(SettingsFile::kFileName); }
  bool IniExists() const { return std::filesystem::exists(dir_.FilePath(SettingsFile::kFileName)); }
  // Presses "&OK" from another tab and sees it refused in a box on `tab`,
  // nothing written; and with the focus on the dialog's box to mend, if given.
  void ExpectOkRefused(SettingsDialog& dialog, int tab, std::optional<C> focus,
                       const std::string& text, const std::string& title) {
    dialog.ShowTab((tab + 2) % 5);
    dialog.Press(C::kOk);
    ASSERT_FALSE(dialogs_.boxes().empty());
    EXPECT_EQ(dialogs_.boxes().back(),
              (Box{text, title, MessageIcon::kInformation, MessageButtons::kOk}));
    EXPECT_EQ(dialog.CurrentTab(), tab);
    EXPECT_FALSE(dialog.Closed());
    EXPECT_FALSE(IniExists());
    if (focus) {
      EXPECT_EQ(dialog.FocusRequest(), *focus);
    }
  }
  // The program as it starts again, with nothing loaded.
  void Restart() {
    settings_ = ProgramSettings();
    settings_.ProgramFolder = dir_.Folder();
    AddSettingsSections(transports_, settings_.transports);
  }

  // The page of a transport, and choosing its "Use:" option.
  TransportSettingsPage& PageOf(const std::string& access_typ) {
    return *dialog_->PageFor(access_typ);
  }
  // The index of a transport's page; PageCount() for the modem and the gateway.
  static size_t PageIndex(SettingsDialog& dialog, const std::string& access_typ) {
    size_t i = 0;
    while (i < dialog.PageCount() && &dialog.Page(i) != dialog.PageFor(access_typ)) ++i;
    return i;
  }
  void ChooseTransport(SettingsDialog& dialog, const std::string& access_typ) {
    const size_t page = PageIndex(dialog, access_typ);
    if (page < dialog.PageCount()) return dialog.ChoosePage(page);
    dialog.Choose(access_typ == "Modem" ? C::kUseModem : C::kUseTcp);
  }
  bool Chosen(SettingsDialog& dialog, const std::string& access_typ) {
    const size_t page = PageIndex(dialog, access_typ);
    if (page < dialog.PageCount()) return dialog.PageOption(page).checked;
    return dialog.Control(access_typ == "Modem" ? C::kUseModem : C::kUseTcp).checked;
  }
  // Chooses the transport and fills what its page needs to be taken.
  void ChooseFilled(SettingsDialog& dialog, const std::string& access_typ) {
    ChooseTransport(dialog, access_typ);
    dialog.EditText(C::kAccountName, "konto");
    dialog.EditText(C::kPassword, "pw");
    if (access_typ == "SMPP" || access_typ == "EMI") {
      PageOf(access_typ).EditText(0, "host.example.net");
      PageOf(access_typ).EditText(access_typ == "SMPP" ? 3 : 4, "tolvane");
    }
  }
  std::string Secret(std::string_view name) const {
    return SecretStore(dir_.Folder()).ReadSecret(name);
  }

  const TransportList transports_ = ProgramTransports();
  testing::TempDir dir_;
  ProgramSettings settings_;
  testing::FakeDialogs dialogs_;
  FakeHost host_;
  testing::FakeSerialPortList ports_{{{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", "Huawei Mobile"}}};
  std::unique_ptr<SettingsDialog> dialog_;
};

// Autosending's folder and type are checked only when it is active at
// startup. The eleventh mail time is refused, and clearing stores ten empty.
TEST_F(SettingsDialogTest, TimeoutOf65IsTakenWhile66AndLettersAreRefusedAsAreElevenMailTimes) {
  settings_.UppTid = "4o";  // written by hand: letters cannot be typed
  settings_.AutoFil = "";
  settings_.AutoTyp = "7";        // written by hand: no option matches
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
  for (const char* refused : {"66", "", "65"}) {
    ExpectOkRefused(dialog, 0, C::kTimeout, "The value for Timeout can be max 65", "TimeOut value");
    dialog.EditText(C::kTimeout, refused);
  }
  dialog.EditText(C::kTimeout, "6s5 ");
  EXPECT_EQ(dialog.Control(C::kTimeout).text, "65");
  dialog.SetChecked(C::kActiveAtStartup, true);
  ExpectOkRefused(dialog, 2, C::kAutoFolder, "No path specified!", "What folder?");
  dialog.EditText(C::kAutoFolder, "/var/outfiles");
  ExpectOkRefused(dialog, 2, C::kTypeMomentary, "You must choose type of Autosending!.",
                  "What type?");
  dialog.SetChecked(C::kActiveAtStartup, false);
  dialog.EditText(C::kAutoFolder, "");
  dialog.Press(C::kOk);
  EXPECT_TRUE(dialog.Closed());
  EXPECT_EQ(settings_.UppTid, "65");
  EXPECT_EQ(settings_.AutoTyp, "7");
  EXPECT_EQ(settings_.MailTimeCount, 0);
  EXPECT_THAT(Ini(), HasSubstr("[Modem]\r\nBaud=19200\r\nPort=2\r\nDevice=\r\nParametrar=N,8,1\r\n"
                               "ModemInit=ATZ\r\nUppTid=65\r\n"));
  std::string expected;
  for (int i = 1; i <= 10; ++i) expected += "MailTid" + std::to_string(i) + "=\r\n";
  EXPECT_THAT(Ini(), HasSubstr(expected));
}

TEST_F(SettingsDialogTest, TheGatewayAccountAndItsProxyAreRefusedInTheirBoxesUntilWhole) {
  const ProgramSettings before = settings_;
  SettingsDialog& dialog = Open();
  dialog.Choose(C::kUseTcp);
  dialog.EditText(C::kAccountName, "konto");
  dialog.EditText(C::kPassword, "   ");
  dialog.EditText(C::kGateway, " http://sms.example.net ");
  ExpectOkRefused(dialog, 0, C::kPassword,
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
  ExpectOkRefused(dialog, 0, C::kPassword,
                  "The gateway password cannot hold the character \"ł\": user.dat keeps only the "
                  "characters of Windows-1252.",
                  "Password?");
  EXPECT_FALSE(std::filesystem::exists(dir_.FilePath(kGatewayPasswordFileName)));

  dialog.EditText(C::kPassword, " p&w=1 ");
  dialog.SetChecked(C::kUseProxy, true);
  ExpectOkRefused(dialog, 0, C::kProxyServer, "Enter name or IP for proxyserver!", "Proxy?");
  const char kPortText[] = "Enter a port from 1 to 65535 for the proxyserver!";
  dialog.EditText(C::kProxyServer, "proxy.lan");
  dialog.EditText(C::kModemInit, "AT&F");
  for (const char* refused : {"0", "65536", "70000", " ", "80a"}) {
    SCOPED_TRACE(refused);
    dialog.EditText(C::kProxyPort, refused);
    ExpectOkRefused(dialog, 0, C::kProxyPort, kPortText, "Proxy?");
  }
  // Letters are refused without a proxy too; everything typed is still there.
  dialog.SetChecked(C::kUseProxy, false);
  ExpectOkRefused(dialog, 0, C::kProxyPort, kPortText, "Proxy?");
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
    PageOf("SMPP").EditText(kSmppPassword, value);
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
    ASSERT_TRUE(save("old"));
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

// tolvmsg.ini keeps 127 bytes of a value: every box, the dialog's and the
// pages', takes the longest value that fits (or the page's own limit), in any
// characters (one outside Windows-1252 takes the bytes of its "&#N;"), and
// refuses one character more in its box, writing nothing.
TEST_F(SettingsDialogTest, EveryBoxTakesTheLongestValueItKeepsAndRefusesOneMore) {
  const std::string x121(121, 'x');
  const auto x = [](size_t n) { return std::string(n, 'x'); };
  struct Case {
    std::string transport;
    C box;
    int field;  // of the transport's page, or -1 for the dialog's box
    std::string longest;
  };
  const Case cases[] = {{"SMPP", {}, 0, x(127)},
                        {"SMPP", {}, 3, x(15)},
                        {"SMPP", {}, 5, x(12)},
                        {"EMI", {}, 4, x(16)},
                        {"GSM", {}, 0, x(127)},
                        {"TCP", C::kAccountName, -1, x121 + "ł"},
                        {"Modem", C::kSmscNumber, -1, x121 + "123456"},
                        {"Modem", C::kAutoFolder, -1, x121 + "/outé/"},
                        {"Modem", C::kRasUserName, -1, x(122) + "\n"},
                        {"Modem", C::kRasPassword, -1, x121 + "ÿ"},
                        {"Modem", C::kMailPassword, -1, x(111) + "pþ\a\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.longest);
    std::filesystem::remove(dir_.FilePath(SettingsFile::kFileName));
    SettingsDialog& dialog = Open();
    ChooseFilled(dialog, c.transport);
    const auto edit = [&](const std::string& text) {
      c.field < 0 ? dialog.EditText(c.box, text) : PageOf(c.transport).EditText(c.field, text);
    };
    edit(c.longest + "1");
    dialog.ShowTab(3);
    dialog.Press(C::kOk);
    ASSERT_FALSE(dialog.Closed());
    if (c.field < 0) {
      EXPECT_THAT(dialogs_.boxes().back().text,
                  HasSubstr("is too long: the settings file keeps at most 127 characters."));
      EXPECT_EQ(dialog.CurrentTab(), SettingsDialog::TabOf(c.box));
      EXPECT_EQ(dialog.FocusRequest(), c.box);
    } else {
      EXPECT_EQ(dialog.CurrentTab(), 0);
      EXPECT_EQ(PageOf(c.transport).FocusRequest(), static_cast<size_t>(c.field));
    }
    EXPECT_FALSE(IniExists());

    edit(c.longest);
    dialog.Press(C::kOk);
    ASSERT_TRUE(dialog.Closed());
    Restart();  // which reads it whole
    LoadSettings(SettingsFile(dir_.Folder()), settings_, nullptr);
    SettingsDialog& again = Open();
    EXPECT_EQ(c.field < 0 ? again.Control(c.box).text : PageOf(c.transport).Control(c.field).text,
              c.longest);
  }
  EXPECT_EQ(dialogs_.boxes()[0],
            (Box{"\"Host\" is too long: the settings file keeps at most 127 characters.",
                 "Value too long", MessageIcon::kInformation, MessageButtons::kOk}));
  EXPECT_EQ(dialogs_.boxes().back().text,
            "\"Password\" is too long: the settings file keeps at most 127 characters. "
            "A character outside Windows-1252 takes several of them.");
}

// Every tab's boxes and lists, and what comes from outside (the dial-up
// connections, a folder chosen, the balance), are taken over on "&OK",
// written, and then the main window is refreshed.
TEST_F(SettingsDialogTest, OkTakesEverythingOverWritesTheFileAndThenRefreshes) {
  settings_.Baud = "4800";     // written by hand: no speed option matches
  settings_.AutoTid = "6:45";  // written by hand without the zero
  settings_.AutoFilSep = "#";
  ::testing::NiceMock<testing::MockDialler> dialler;
  ON_CALL(dialler, ConnectionNames())
      .WillByDefault(::testing::Return(std::vector<std::string>{"Telia", "Tele2"}));
  SettingsDialog& dialog = Open(&dialler);
  EXPECT_FALSE(dialog.Control(C::kSpeed19200).checked);
  EXPECT_THAT(dialog.List(L::kDevices).items, ElementsAre("/dev/ttyS0", "/dev/ttyUSB0"));
  EXPECT_EQ(dialog.List(L::kSeparator).SelectedText(), "##  (ASCII 35)");
  EXPECT_THAT(dialog.List(L::kConnections).items, ElementsAre("Telia", "Tele2"));
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
  dialog.EditText(C::kPassword, "");

  // Number boxes keep their range and follow their scroll bars.
  dialog.EditText(C::kPollTid, "1500");
  EXPECT_EQ(dialog.Control(C::kPollTid).text, "999");
  dialog.Scroll(C::kWaitMinutes, 12);
  dialog.Scroll(C::kPollTid, 30);

  dialog.Select(L::kAutoHour, 23);
  dialog.Select(L::kSeparator, 4);

  dialog.Choose(C::kParity7E1);
  dialog.Select(L::kDevices, 1);
  dialog.EditText(C::kSenderNumber, "0701234567  ");
  dialog.SetChecked(C::kDontUseDun, true);
  dialog.EditText(C::kMailPassword, "hemlis");
  dialog.Press(C::kOk);
  EXPECT_TRUE(dialog.Closed());
  EXPECT_THAT(host_.calls, ElementsAre("choose Browse for folder", "reconfigure", "refresh"));
  EXPECT_EQ(settings_.Baud, "4800");
  EXPECT_EQ(settings_.Device, "/dev/ttyUSB0");
  EXPECT_EQ(settings_.Parametrar, "E,7,1");
  EXPECT_EQ(settings_.Avs, "0701234567");
  EXPECT_TRUE(settings_.RasYNOn);
  EXPECT_EQ(settings_.PollTid, 30);
  EXPECT_EQ(settings_.AutoTid, "23:45");
  EXPECT_FALSE(std::filesystem::exists(dir_.FilePath(kGatewayPasswordFileName)));
  EXPECT_THAT(Ini(), HasSubstr("MailPassWord=khpolv\r\n"));  // shifted by three
  EXPECT_THAT(Ini(), HasSubstr("AutoFilSep=\xA4\r\n"));
  EXPECT_THAT(Ini(), HasSubstr("VTid= 12\r\nPollTid= 30\r\n"));
}

// A transport's page: its rules checked on "&OK" with the focus in the box,
// its keys written in its own section and its secret only to secrets.dat;
// opened again, the secret box is empty and leaving it so keeps the secret.
TEST_F(SettingsDialogTest, EachTransportPageRefusesInItsBoxAndWritesItsSectionAndSecret) {
  struct Refusal {
    size_t field;
    std::vector<std::string> refused;  // each refused in turn
    std::string taken;
    std::string text;
  };
  struct Case {
    std::string access_typ;
    std::vector<Refusal> refusals;
    std::string title;
    std::string section;  // what tolvmsg.ini then holds
    std::string secret;
    std::string secret_typed;
    // Options chosen before "&OK", kept by their value.
    std::function<void(TransportSettingsPage&)> choose;
  };
  const Case cases[] = {
      {"GSM",
       {{1,
         {"", "49", "4000001"},
         "4000000",
         "Enter a line speed from 50 to 4000000 for the GSM modem!"},
        {4, {"123", "123456789", " 1234"}, "12345678", "The SIM PIN must be 4 to 8 digits!"}},
       "GSM modem?",
       "[GSM]\r\nDevice=\r\nBaud=4000000\r\nSmsc=+46705008999\r\nInit=AT^CURC=0\r\n",
       "gsm-pin",
       "12345678",
       nullptr},
      {"SMPP",
       {{0, {""}, " smpp.example.net ", "Enter the name or IP address of the SMPP provider!"},
        {1, {"0", "65536"}, "65535", "Enter a port from 1 to 65535 for the SMPP provider!"},
        {3,
         {"", "sixteen-chars-id"},
         "tolvane",
         "Enter the system id of the SMPP account, at most 15 characters!"},
        {4, {"123456789"}, "hemlig 8", "The SMPP password is longer than its 8 characters!"},
        {6, {"0", "101"}, "100", "Enter a window from 1 to 100 messages!"},
        {7, {"3601"}, "0", "Enter the seconds between link checks, 0 to 3600!"}},
       "SMPP provider?",
       "[SMPP]\r\nHost=smpp.example.net\r\nPort=65535\r\nTls=1\r\nSystemId=tolvane\r\n"
       "SystemType=+46705008999\r\nWindow=100\r\nEnquireLink=0\r\nDefaultAlphabet=3\r\n"
       "ResendUnanswered=0\r\n",
       "smpp",
       "hemlig 8",
       [](TransportSettingsPage& page) {
         page.SetChecked(2, true);
         page.Choose(8, 1);
       }},
      {"EMI",
       {{0, {""}, "smsc.example.net", "Enter the name or IP address of the SMS centre!"},
        {1, {"0", "65536"}, "65535", "Enter a port from 1 to 65535 for the SMS centre!"},
        {3, {"0", "65536"}, "1", "Enter a port from 1 to 65535 for the alternative host, or none!"},
        {4, {""}, "tolvane", "Enter the user of the SMS centre's login, at most 16 characters!"},
        {6, {"0", "100"}, "99", "Enter a window from 1 to 99 messages!"},
        {7, {"3601"}, "3600", "Enter the quiet seconds before a keep-alive, 0 to 3600!"}},
       "SMS centre?",
       "[EMI]\r\nHost=smsc.example.net\r\nPort=65535\r\nAltHost=+46705008999\r\nAltPort=1\r\n"
       "User=tolvane\r\nWindow=99\r\nKeepalive=3600\r\nOperation=30\r\n"
       "ResendUnanswered=0\r\nAlphabet=IRA\r\n",
       "emi",
       "hemligt ord",
       [](TransportSettingsPage& page) {
         page.Choose(8, 1);
         page.Choose(9, 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.access_typ);
    std::filesystem::remove(dir_.FilePath(SettingsFile::kFileName));
    std::filesystem::remove(dir_.FilePath(SecretStore::kFileName));
    Restart();
    SettingsDialog& dialog = Open();
    TransportSettingsPage& page = PageOf(c.access_typ);
    ChooseTransport(dialog, c.access_typ);
    // The third box (SMS centre, system type, alternative host) takes a number.
    page.EditText(c.access_typ == "GSM" ? 2 : c.access_typ == "SMPP" ? 5 : 2, "+46705008999");
    if (c.access_typ == "GSM") page.EditText(3, "AT^CURC=0 ");
    for (const Refusal& refusal : c.refusals) {
      for (const std::string& refused : refusal.refused) {
        SCOPED_TRACE(refused);
        page.EditText(refusal.field, refused);
        ExpectOkRefused(dialog, 0, std::nullopt, refusal.text, c.title);
        EXPECT_EQ(page.FocusRequest(), refusal.field);
        EXPECT_FALSE(std::filesystem::exists(dir_.FilePath(SecretStore::kFileName)));
      }
      page.EditText(refusal.field, refusal.taken);
    }
    const size_t secret_field = c.access_typ == "GSM" ? 4 : c.access_typ == "SMPP" ? 4 : 5;
    page.EditText(secret_field, c.secret_typed);
    if (c.choose) c.choose(page);
    dialog.Press(C::kOk);
    ASSERT_TRUE(dialog.Closed());
    EXPECT_THAT(host_.calls, ::testing::Contains("reconfigure"));
    EXPECT_EQ(settings_.AccessTyp, c.access_typ);
    EXPECT_THAT(Ini(), HasSubstr("[Access]\r\nAccessTyp=" + c.access_typ + "\r\n"));
    EXPECT_THAT(Ini(), HasSubstr(c.section));
    EXPECT_EQ(Secret(c.secret), c.secret_typed);
    EXPECT_THAT(Ini(), Not(HasSubstr(c.secret_typed)));

    SettingsDialog& again = Open();
    EXPECT_TRUE(Chosen(again, c.access_typ));
    EXPECT_EQ(PageOf(c.access_typ).Control(secret_field).text, "");
    ChooseTransport(*dialog_, "Modem");
    dialog_->Press(C::kOk);
    EXPECT_EQ(Secret(c.secret), c.secret_typed);
    EXPECT_THAT(Ini(), HasSubstr(c.section));
  }
}

// Only the page of the transport chosen can be edited and is checked on
// "&OK": a broken rule on another page keeps the stored value.
TEST_F(SettingsDialogTest, OnlyThePageOfTheTransportChosenIsEditableAndChecked) {
  settings_.AccessTyp = "GSM";
  settings_.transports.Get<GsmSettings>().Baud = "57600";
  SettingsDialog& dialog = Open();
  PageOf("GSM").EditText(1, "1");
  PageOf("GSM").EditText(4, "12");
  ChooseTransport(dialog, "Modem");
  dialog.EditText(C::kTimeout, "66");
  for (const char* chosen : {"Modem", "TCP", "GSM", "SMPP", "EMI"}) {
    SCOPED_TRACE(chosen);
    ChooseTransport(dialog, chosen);
    for (size_t i = 0; i < dialog.PageCount(); ++i) {
      EXPECT_EQ(dialog.Page(i).Control(0).enabled, &dialog.Page(i) == dialog.PageFor(chosen));
    }
  }
  PageOf("EMI").EditText(0, "smsc.example.net");
  PageOf("EMI").EditText(4, "tolvane");
  dialog.Press(C::kOk);
  EXPECT_TRUE(dialog.Closed());
  EXPECT_THAT(dialogs_.Texts(), IsEmpty());
  EXPECT_EQ(settings_.UppTid, "40");
  EXPECT_EQ(settings_.transports.Get<GsmSettings>().Baud, "57600");
  EXPECT_EQ(Secret("gsm-pin"), "");
}

}  // namespace
}  // namespace tolvane
