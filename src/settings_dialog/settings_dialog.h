#ifndef TOLVANE_SETTINGS_DIALOG_SETTINGS_DIALOG_H_
#define TOLVANE_SETTINGS_DIALOG_SETTINGS_DIALOG_H_

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/control_state.h"
#include "core/program_settings.h"
#include "core/transport_registry.h"
#include "gateway/balance_window.h"
#include "platform/dialler.h"
#include "platform/dialogs.h"
#include "platform/serial_port_list.h"
#include "settings_dialog/log_viewer.h"
#include "settings_dialog/transport_settings_page.h"

namespace tolvane {

// The controls of the settings dialog, tab by tab (see TabOf).
enum class SettingsControl {
  // Tab 0, "&Communication".
  kSenderNumber,
  kTimeout,
  kModemInit,
  kSpeed2400,
  kSpeed9600,
  kSpeed19200,
  kPort1,  // kPort1 + n - 1 is port n, up to 8
  kPort2,
  kPort3,
  kPort4,
  kPort5,
  kPort6,
  kPort7,
  kPort8,
  kDevice,
  kErrorCorrection,
  kParity8N1,
  kParity7E1,
  kUseModem,
  kUseTcp,  // the other transports' options come with their pages
  kAccountName,
  kPassword,
  kGateway,
  kUseProxy,
  kProxyServer,
  kProxyPort,
  kCheckBalance,
  kQuicksend,
  // Tab 1, "&Dialing".
  kSmscNumber,
  kPrefix1,
  kPrefix2,
  // Tab 2, "&Autosending".
  kAutoFolder,
  kBrowse,
  kTypeMomentary,
  kTypeAt,
  kTypeWhenFiles,
  kPollTid,
  kActiveAtStartup,
  kDeleteAfterSending,
  kCloseAfterSending,
  kNameFromFile,
  kWaitMinutes,
  // Tab 3, "&Log" (the log viewer has its own controls).
  kRecordLog,
  // Tab 4, "&Mail".
  kDontUseDun,
  kConnection,
  kRasUserName,
  kRasPassword,
  kMailServer,
  kMailAccount,
  kMailPassword,
  kAddTime,
  kClearTimes,
  kLocalOnly,
  // Below the tabs.
  kOk,
  kCancel,
  kCount
};

enum class SettingsList {
  kDevices,  // serial ports offered for "Device:"
  kAutoHour,
  kAutoMinute,
  kSeparator,
  kConnections,  // "Available connections:"
  kMailHour,
  kMailMinute,
  kMailTimes,
  kCount
};

inline constexpr int kSettingsTabCount = 5;
inline constexpr int kMaxMailTimes = 10;

// What the settings dialog needs from the program around it.
class SettingsDialogHost {
 public:
  virtual ~SettingsDialogHost() = default;
  // The serial port and the HTTP client take the settings just confirmed.
  virtual void ReconfigureTransports() = 0;
  // Runs once the dialog has closed after a successful "&OK".
  virtual void RefreshRecipientList() = 0;
  // Shows the account-balance window modally.
  virtual void OpenBalance(const BalanceQuery& query) = 0;
  // The platform's folder chooser; nullopt when the user cancels it.
  virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
};

struct SettingsDialogServices {
  ProgramSettings& settings;
  // Every transport offered: one with a page has a "Use:" option of its own.
  const TransportList& transports;
  Dialogs& dialogs;
  SettingsDialogHost& host;
  // Null where the system has no dial-up networking: the list stays empty.
  Dialler* dialler = nullptr;
  // Null where the machine's serial ports cannot be listed: the lists stay empty.
  const SerialPortList* serial_ports = nullptr;
};

// The "Settings" dialog: edits every setting on five tabs, checks the
// entries on "&OK", then takes them into ProgramSettings, reconfigures the
// serial port and the HTTP client and writes tolvmsg.ini and user.dat.
// "Cancel" changes nothing. Texts are UTF-8.
//
// A transport with settings beyond the modem's and the gateway's has a
// "Use:" option and a page of its own on the communication tab (a
// TransportSettingsPage made from the transport's layout), owned here and
// switched on while its option is chosen; a page's secret goes to
// secrets.dat on "&OK", never into ProgramSettings.
class SettingsDialog {
 public:
  static constexpr int kPollMin = 1;
  static constexpr int kPollMax = 999;
  static constexpr int kWaitMin = 0;
  static constexpr int kWaitMax = 60;

  // Fills the controls from the settings, as the dialog loads.
  explicit SettingsDialog(const SettingsDialogServices& services);

  static const char* Title() { return "Settings"; }
  static const char* TabCaption(int tab);
  // The tab a control lies on; -1 for "&OK" and "Cancel".
  static int TabOf(SettingsControl control);
  static int TabOf(SettingsList list);
  // The timeout, seconds and minutes boxes take digits only.
  static bool DigitsOnly(SettingsControl box);

  const ControlState& Control(SettingsControl control) const;
  const ListState& List(SettingsList list) const;
  // The scroll bar beside the seconds (kPollTid) or minutes (kWaitMinutes) box.
  int ScrollValue(SettingsControl box) const;
  int CurrentTab() const { return tab_; }
  // Only the controls of the tab shown are reached with the Tab key.
  bool InTabOrder(SettingsControl control) const;
  bool InTabOrder(SettingsList list) const;
  // A page's controls are on the communication tab.
  bool PagesInTabOrder() const { return tab_ == 0; }
  // The control that asked for the focus last, with a counter that grows on
  // every request so a repeated request is seen.
  SettingsControl FocusRequest() const { return focus_; }
  int FocusRequestCount() const { return focus_count_; }
  // True once "&OK", "Cancel" or an error has closed the dialog.
  bool Closed() const { return closed_; }
  LogViewer& Log() { return log_viewer_; }
  // The transports' pages on the communication tab, in the list's order,
  // each with its "Use:" option.
  size_t PageCount() const { return pages_.size(); }
  TransportSettingsPage& Page(size_t page) { return *pages_[page].page; }
  const ControlState& PageOption(size_t page) const { return pages_[page].option; }
  // The page of the transport `AccessTyp` names; null when it has none.
  TransportSettingsPage* PageFor(std::string_view access_typ);
  // Called after every change of the state above.
  void SetOnChanged(std::function<void()> on_changed) { on_changed_ = std::move(on_changed); }

  // --- The user's actions.
  // The dialog became the active window (its first display included).
  void Activate();
  void ShowTab(int tab);
  void EditText(SettingsControl box, const std::string& text);
  // The focus left a text box.
  void LeaveBox(SettingsControl box);
  void Scroll(SettingsControl box, int value);
  void SetChecked(SettingsControl check_box, bool checked);
  // An option button was clicked: it is chosen in its frame.
  void Choose(SettingsControl option);
  // A page's "Use:" option was clicked.
  void ChoosePage(size_t page);
  void Select(SettingsList list, int index);
  void DoubleClick(SettingsList list, int index);
  // A button: "Browse...", "Check balance", "Add time--->", "Clear", "&OK", "Cancel".
  void Press(SettingsControl button);

 private:
  ControlState& Mutable(SettingsControl control);
  ListState& MutableList(SettingsList list);
  const std::string& Text(SettingsControl control) const { return Control(control).text; }
  bool Checked(SettingsControl control) const { return Control(control).checked; }
  void Changed();
  void RequestFocus(SettingsControl control);
  void Load();
  void ClampNumberBox(SettingsControl box, bool leaving);
  void AddTime();
  void CheckBalance();
  void Browse();
  // A rule of "&OK" that failed: the control to focus (on its tab) and the message box.
  struct Refusal {
    SettingsControl focus;
    std::string text;
    std::string title;
  };
  // The first rule the boxes of a transport's page break (nullopt for the
  // boxes every transport uses): too long for the file, and the page's own.
  std::optional<Refusal> OverlongBox(std::optional<SettingsControl> page) const;
  std::optional<Refusal> ModemPageRefusal() const;
  std::optional<Refusal> TcpPageRefusal() const;
  // The rules of "&OK"; false (with the message shown) when one fails.
  bool Validate();
  bool Refuse(const Refusal& refusal);
  // The page of the transport chosen is switched on, the others off: greyed
  // out (the provider pages hidden too), neither checked nor changed.
  void ActivatePages();
  // The "Use:" options are one frame: the dialog's own and the pages'.
  void UncheckTransportOptions();
  // The settings as the controls give them.
  ProgramSettings Applied() const;
  void Confirm();
  void Close();
  std::string GatewayBox() const;

  ProgramSettings& settings_;
  const TransportList& transports_;
  Dialogs& dialogs_;
  SettingsDialogHost& host_;
  Dialler* dialler_;
  LogViewer log_viewer_;
  struct TransportPage {
    std::string access_typ;
    std::string section;
    ControlState option;
    std::unique_ptr<TransportSettingsPage> page;
  };
  std::vector<TransportPage> pages_;

  std::array<ControlState, static_cast<size_t>(SettingsControl::kCount)> controls_;
  std::array<ListState, static_cast<size_t>(SettingsList::kCount)> lists_;
  int poll_scroll_ = kPollMin;
  int wait_scroll_ = kWaitMin;
  // What the speed, port and type options stored last; a stored value that
  // matches no option stays as it is.
  std::string speed_;
  std::string port_;
  std::string auto_type_;
  int tab_ = 0;
  bool lists_filled_ = false;
  bool closed_ = false;
  SettingsControl focus_ = SettingsControl::kOk;
  int focus_count_ = 0;
  std::function<void()> on_changed_;
};

}  // namespace tolvane

#endif  // TOLVANE_SETTINGS_DIALOG_SETTINGS_DIALOG_H_
