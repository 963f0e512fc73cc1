#include "settings_dialog/settings_dialog.h"

#include <algorithm>
#include <span>
#include <utility>

#include "core/secret_store.h"
#include "core/settings_file.h"
#include "core/settings_loader.h"
#include "core/settings_values.h"
#include "core/time_of_day.h"
#include "platform/text_codec.h"
#include "text/text_helpers.h"
#include "text/utf8.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

using C = SettingsControl;

struct Option {
  C control;
  const char* value;  // what choosing it stores in the dialog-level state
};
constexpr Option kSpeedOptions[] = {
    {C::kSpeed2400, "2400"}, {C::kSpeed9600, "9600"}, {C::kSpeed19200, "19200"}};
constexpr Option kPortOptions[] = {{C::kPort1, "1"}, {C::kPort2, "2"}, {C::kPort3, "3"},
                                   {C::kPort4, "4"}, {C::kPort5, "5"}, {C::kPort6, "6"},
                                   {C::kPort7, "7"}, {C::kPort8, "8"}};
constexpr Option kTypeOptions[] = {
    {C::kTypeMomentary, "1"}, {C::kTypeAt, "2"}, {C::kTypeWhenFiles, "3"}};
constexpr Option kParityOptions[] = {{C::kParity8N1, "N,8,1"}, {C::kParity7E1, "E,7,1"}};
constexpr Option kTransportOptions[] = {{C::kUseModem, "Modem"}, {C::kUseTcp, "TCP"}};

// The frames of option buttons, each with the dialog-level state its choice
// stores, if any.
using OptionGroup = std::pair<std::span<const Option>, std::string*>;
std::array<OptionGroup, 5> OptionGroups(std::string* speed, std::string* port,
                                        std::string* auto_type) {
  return {OptionGroup{kSpeedOptions, speed},
          {kPortOptions, port},
          {kTypeOptions, auto_type},
          {kParityOptions, nullptr},
          {kTransportOptions, nullptr}};
}

struct Separator {
  const char* entry;
  const char* character;
};
constexpr Separator kSeparators[] = {{"//  (ASCII 47)", "/"},
                                     {"##  (ASCII 35)", "#"},
                                     {"%%  (ASCII 37)", "%"},
                                     {"&&  (ASCII 38)", "&"},
                                     {"¤¤  (ASCII 164)", "¤"}};

constexpr const char* kTabCaptions[kSettingsTabCount] = {"&Communication", "&Dialing",
                                                         "&Autosending", "&Log", "&Mail"};

// What "&OK" takes from a box: the text as typed, or without its blanks.
enum class Trim { kNone, kTrailing, kBoth };

std::string Trimmed(const std::string& text, Trim trim) {
  switch (trim) {
    case Trim::kTrailing:
      return TrimTrailingBlanks(text);
    case Trim::kBoth:
      return TrimBlanks(text);
    default:
      return text;
  }
}

// The text boxes whose values go to tolvmsg.ini, in the order of the tabs.
struct TextBox {
  C control;
  const char* caption;
  Trim trim;
  bool shifted = false;  // a password, stored shifted
};
constexpr TextBox kTextBoxes[] = {
    {C::kSenderNumber, "Sendernumber::", Trim::kTrailing},
    {C::kModemInit, "ModemInitString:", Trim::kTrailing},
    {C::kDevice, "Device:", Trim::kBoth},
    {C::kAccountName, "Accountname:", Trim::kBoth},
    {C::kGateway, "Gateway:", Trim::kBoth},
    {C::kProxyServer, "Proxyserver:", Trim::kBoth},
    {C::kSmscNumber, "Phonenumber to SMSC (SMS server)", Trim::kTrailing},
    {C::kPrefix1, "Prefix 1:", Trim::kTrailing},
    {C::kPrefix2, "Prefix 2:", Trim::kTrailing},
    {C::kAutoFolder, "Path to the folder:", Trim::kTrailing},
    {C::kConnection, "Connection:", Trim::kNone},
    {C::kRasUserName, "Username:", Trim::kNone},
    {C::kRasPassword, "Password:", Trim::kNone, true},
    {C::kMailServer, "Server:", Trim::kNone},
    {C::kMailAccount, "Account:", Trim::kNone},
    {C::kMailPassword, "Password:", Trim::kNone, true}};

// The "Use:" option of the transport whose page holds the control; nullopt
// for the controls every transport uses. The dialing tab is the modem's.
std::optional<C> PageOf(C control) {
  if ((control >= C::kTimeout && control <= C::kParity7E1) ||
      (control >= C::kSmscNumber && control <= C::kPrefix2)) {
    return C::kUseModem;
  }
  if (control >= C::kAccountName && control <= C::kCheckBalance) return C::kUseTcp;
  return std::nullopt;
}

bool On(const std::string& flag) { return flag == "1"; }
std::string Flag(bool on) { return on ? "1" : "0"; }

std::vector<SerialPortInfo> PortsOf(const SerialPortList* list) {
  return list == nullptr ? std::vector<SerialPortInfo>() : list->AvailablePorts();
}

}  // namespace

SettingsDialog::SettingsDialog(const SettingsDialogServices& services)
    : settings_(services.settings),
      transports_(services.transports),
      dialogs_(services.dialogs),
      host_(services.host),
      dialler_(services.dialler),
      log_viewer_(services.settings.ProgramFolder, services.dialogs) {
  for (const TransportDefinition& transport : services.transports) {
    if (!transport.page || !transport.settings) continue;
    const std::unique_ptr<TransportSettings> defaults = transport.settings();
    const TransportSettings* stored = settings_.transports.Find(defaults->Section());
    const SettingsPageLayout layout = transport.page();
    const SecretRule* secret = FindSecretRule(services.transports, layout.secret);
    TransportPage page{transport.access_typ, std::string(defaults->Section()), {}, nullptr};
    page.option.text = transport.option_caption;
    page.page = std::make_unique<TransportSettingsPage>(
        stored != nullptr ? *stored : *defaults, layout,
        secret != nullptr ? std::optional<SecretRule>(*secret) : std::nullopt,
        PortsOf(services.serial_ports));
    pages_.push_back(std::move(page));
  }
  // The speed and port options are captioned with what they store.
  for (const Option& option : kSpeedOptions) Mutable(option.control).text = option.value;
  for (const Option& option : kPortOptions) Mutable(option.control).text = option.value;
  const std::pair<C, const char*> captions[] = {
      {C::kErrorCorrection, "Errorcorrection"},
      {C::kParity8N1, "8, N, 1"},
      {C::kParity7E1, "7, E, 1"},
      {C::kUseModem, "Modem"},
      {C::kUseTcp, "TCP/IP (Internet)"},
      {C::kUseProxy, "Use Proxyserver:"},
      {C::kCheckBalance, "Check balance"},
      {C::kQuicksend, "Quicksend"},
      {C::kBrowse, "Browse..."},
      {C::kTypeMomentary, "Momentary"},
      {C::kTypeAt, "At:"},
      {C::kTypeWhenFiles, "When files exist in the folder"},
      {C::kActiveAtStartup, "Active at startup"},
      {C::kDeleteAfterSending, "Delete file after sending"},
      {C::kCloseAfterSending, "Close program after sending"},
      {C::kNameFromFile, "Take name and number from file"},
      {C::kRecordLog, "Record logfile"},
      {C::kDontUseDun, "Don´t use DUN"},
      {C::kAddTime, "Add time--->"},
      {C::kClearTimes, "Clear"},
      {C::kLocalOnly, "Don´t send to phone, alert local only"},
      {C::kOk, "&OK"},
      {C::kCancel, "Cancel"}};
  for (const auto& [control, caption] : captions) Mutable(control).text = caption;
  std::vector<std::string> devices;
  for (const SerialPortInfo& port : PortsOf(services.serial_ports)) devices.push_back(port.path);
  MutableList(SettingsList::kDevices).items = std::move(devices);
  Load();
}

const char* SettingsDialog::TabCaption(int tab) { return kTabCaptions[tab]; }

int SettingsDialog::TabOf(SettingsControl control) {
  if (control < C::kSmscNumber) return 0;
  if (control < C::kAutoFolder) return 1;
  if (control < C::kRecordLog) return 2;
  if (control == C::kRecordLog) return 3;
  if (control < C::kOk) return 4;
  return -1;
}

int SettingsDialog::TabOf(SettingsList list) {
  switch (list) {
    case SettingsList::kDevices:
      return 0;
    case SettingsList::kAutoHour:
    case SettingsList::kAutoMinute:
    case SettingsList::kSeparator:
      return 2;
    default:
      return 4;
  }
}

const ControlState& SettingsDialog::Control(SettingsControl control) const {
  return controls_[static_cast<size_t>(control)];
}

ControlState& SettingsDialog::Mutable(SettingsControl control) {
  return controls_[static_cast<size_t>(control)];
}

const ListState& SettingsDialog::List(SettingsList list) const {
  return lists_[static_cast<size_t>(list)];
}

ListState& SettingsDialog::MutableList(SettingsList list) {
  return lists_[static_cast<size_t>(list)];
}

int SettingsDialog::ScrollValue(SettingsControl box) const {
  return box == C::kPollTid ? poll_scroll_ : wait_scroll_;
}

bool SettingsDialog::InTabOrder(SettingsControl control) const {
  return TabOf(control) < 0 || TabOf(control) == tab_;
}

bool SettingsDialog::InTabOrder(SettingsList list) const { return TabOf(list) == tab_; }

TransportSettingsPage* SettingsDialog::PageFor(std::string_view access_typ) {
  for (TransportPage& page : pages_) {
    if (page.access_typ == access_typ) return page.page.get();
  }
  return nullptr;
}

void SettingsDialog::Changed() {
  if (on_changed_) on_changed_();
}

void SettingsDialog::RequestFocus(SettingsControl control) {
  focus_ = control;
  ++focus_count_;
  Changed();
}

void SettingsDialog::Load() {
  const ProgramSettings& s = settings_;
  const std::pair<C, const std::string*> texts[] = {
      {C::kAutoFolder, &s.AutoFil},       {C::kModemInit, &s.ModemInit},
      {C::kSmscNumber, &s.SMSCnumber},    {C::kPrefix1, &s.Prefix1},
      {C::kPrefix2, &s.Prefix2},          {C::kTimeout, &s.UppTid},
      {C::kSenderNumber, &s.Avs},         {C::kMailServer, &s.MailServer},
      {C::kMailAccount, &s.MailUserName}, {C::kMailPassword, &s.MailPassWord},
      {C::kConnection, &s.RasISP},        {C::kRasUserName, &s.RasUserName},
      {C::kRasPassword, &s.RasPassWord},  {C::kAccountName, &s.TCPAnvNamn},
      {C::kPassword, &s.GatewayPassword}, {C::kProxyServer, &s.TCPProxyAdress},
      {C::kProxyPort, &s.TCPProxyPort},   {C::kDevice, &s.Device},
      {C::kGateway, &s.TCPGateway}};
  for (const auto& [control, text] : texts) Mutable(control).text = *text;
  Mutable(C::kPollTid).text = std::to_string(s.PollTid);
  Mutable(C::kWaitMinutes).text = std::to_string(s.VTid);
  poll_scroll_ = std::clamp<int>(s.PollTid, kPollMin, kPollMax);
  wait_scroll_ = std::clamp<int>(s.VTid, kWaitMin, kWaitMax);

  const std::pair<C, bool> checks[] = {{C::kUseProxy, s.TCPProxy == 1},
                                       {C::kQuicksend, On(s.EjKvitto)},
                                       {C::kDontUseDun, On(s.RasYN)},
                                       {C::kLocalOnly, On(s.BaraLokalt)},
                                       {C::kErrorCorrection, On(s.Felkorrigering)},
                                       {C::kRecordLog, On(s.Logg)},
                                       {C::kNameFromFile, On(s.NrFranFil)},
                                       {C::kActiveAtStartup, On(s.AutoDef)},
                                       {C::kDeleteAfterSending, On(s.AutoTabort)},
                                       {C::kCloseAfterSending, On(s.AutoStang)}};
  for (const auto& [control, checked] : checks) Mutable(control).checked = checked;

  // A transport this dialog does not know reads as the gateway's.
  const auto transport =
      std::find_if(std::begin(kTransportOptions), std::end(kTransportOptions),
                   [&](const Option& option) { return s.AccessTyp == option.value; });
  const auto page = std::find_if(pages_.begin(), pages_.end(), [&](const TransportPage& p) {
    return s.AccessTyp == p.access_typ;
  });
  if (transport != std::end(kTransportOptions)) {
    Mutable(transport->control).checked = true;
  } else if (page != pages_.end()) {
    page->option.checked = true;
  } else {
    Mutable(C::kUseTcp).checked = true;
  }
  ActivatePages();
  Mutable(s.Parametrar == "N,8,1" ? C::kParity8N1 : C::kParity7E1).checked = true;
  speed_ = s.Baud;
  port_ = s.Port;
  auto_type_ = s.AutoTyp;
  for (const auto& [options, state] : OptionGroups(&speed_, &port_, &auto_type_)) {
    if (state == nullptr) continue;
    for (const Option& option : options) Mutable(option.control).checked = *state == option.value;
  }

  ListState& times = MutableList(SettingsList::kMailTimes);
  for (const std::string& time : s.MailTid) {
    if (!time.empty()) times.items.push_back(NormalizedTimeOfDay(time));
  }
  if (dialler_ != nullptr) {
    ListState& connections = MutableList(SettingsList::kConnections);
    connections.items = dialler_->ConnectionNames();
    if (!connections.items.empty()) connections.selected = 0;
  }
  ListState& devices = MutableList(SettingsList::kDevices);
  const auto device = std::find(devices.items.begin(), devices.items.end(), s.Device);
  devices.selected = device == devices.items.end() ? -1 : device - devices.items.begin();
}

void SettingsDialog::Activate() {
  // The lists are filled at the first activation only: the dialog is
  // activated again when the balance window closes, and that must neither
  // double the entries nor undo the user's choices.
  if (!lists_filled_) {
    lists_filled_ = true;
    for (SettingsList list : {SettingsList::kAutoHour, SettingsList::kMailHour}) {
      for (int hour = 0; hour < 24; ++hour) MutableList(list).items.push_back(TwoDigits(hour));
    }
    for (SettingsList list : {SettingsList::kAutoMinute, SettingsList::kMailMinute}) {
      for (int minute = 0; minute < 60; ++minute) {
        MutableList(list).items.push_back(TwoDigits(minute));
      }
    }
    MutableList(SettingsList::kMailHour).selected = 0;
    MutableList(SettingsList::kMailMinute).selected = 0;
    // A stored value that is no time selects nothing and stays as it is.
    const std::optional<TimeOfDay> at = TimeOfDay::Parse(settings_.AutoTid);
    MutableList(SettingsList::kAutoHour).selected = at ? at->hour : -1;
    MutableList(SettingsList::kAutoMinute).selected = at ? at->minute : -1;
    ListState& separators = MutableList(SettingsList::kSeparator);
    for (const Separator& separator : kSeparators) {
      if (settings_.AutoFilSep == separator.character) {
        separators.selected = static_cast<int>(separators.items.size());
      }
      separators.items.push_back(separator.entry);
    }
  }
  Changed();
}

void SettingsDialog::ShowTab(int tab) {
  if (tab < 0 || tab >= kSettingsTabCount) return;
  tab_ = tab;
  Changed();
}

bool SettingsDialog::DigitsOnly(SettingsControl box) {
  return box == C::kTimeout || box == C::kPollTid || box == C::kWaitMinutes;
}

void SettingsDialog::EditText(SettingsControl box, const std::string& text) {
  Mutable(box).text = DigitsOnly(box) ? DigitsOf(text) : text;
  if (box == C::kPollTid || box == C::kWaitMinutes) ClampNumberBox(box, false);
  Changed();
}

void SettingsDialog::LeaveBox(SettingsControl box) {
  if (box != C::kPollTid && box != C::kWaitMinutes) return;
  ClampNumberBox(box, true);
  Changed();
}

void SettingsDialog::ClampNumberBox(SettingsControl box, bool leaving) {
  const bool poll = box == C::kPollTid;
  const int min = poll ? kPollMin : kWaitMin;
  const int max = poll ? kPollMax : kWaitMax;
  std::string& text = Mutable(box).text;
  if (text.empty()) {
    // Typing may pass through an empty box; only leaving it fills it.
    if (!leaving) return;
    text = std::to_string(min);
  }
  const long number = LeadingWholeNumber(text);
  if (number > max) text = std::to_string(max);
  if (number < min) text = std::to_string(min);
  (poll ? poll_scroll_ : wait_scroll_) = static_cast<int>(std::clamp<long>(number, min, max));
}

void SettingsDialog::Scroll(SettingsControl box, int value) {
  const bool poll = box == C::kPollTid;
  value = std::clamp(value, poll ? kPollMin : kWaitMin, poll ? kPollMax : kWaitMax);
  (poll ? poll_scroll_ : wait_scroll_) = value;
  Mutable(box).text = std::to_string(value);
  Changed();
}

void SettingsDialog::SetChecked(SettingsControl check_box, bool checked) {
  Mutable(check_box).checked = checked;
  Changed();
}

void SettingsDialog::Choose(SettingsControl option) {
  for (const auto& [options, state] : OptionGroups(&speed_, &port_, &auto_type_)) {
    const auto chosen = std::find_if(options.begin(), options.end(),
                                     [option](const Option& o) { return o.control == option; });
    if (chosen == options.end()) continue;
    if (options.data() == std::data(kTransportOptions)) UncheckTransportOptions();
    for (const Option& other : options) Mutable(other.control).checked = false;
    Mutable(option).checked = true;
    if (state != nullptr) *state = chosen->value;
  }
  ActivatePages();
  Changed();
}

void SettingsDialog::ChoosePage(size_t page) {
  UncheckTransportOptions();
  pages_[page].option.checked = true;
  ActivatePages();
  Changed();
}

void SettingsDialog::UncheckTransportOptions() {
  for (const Option& option : kTransportOptions) Mutable(option.control).checked = false;
  for (TransportPage& page : pages_) page.option.checked = false;
}

void SettingsDialog::Select(SettingsList list, int index) {
  ListState& state = MutableList(list);
  state.selected = index >= 0 && index < static_cast<int>(state.items.size()) ? index : -1;
  if (list == SettingsList::kDevices && state.HasSelection()) {
    Mutable(C::kDevice).text = state.SelectedText();
  }
  Changed();
}

void SettingsDialog::DoubleClick(SettingsList list, int index) {
  Select(list, index);
  const ListState& state = List(list);
  if (list == SettingsList::kConnections && state.HasSelection()) {
    Mutable(C::kConnection).text = state.SelectedText();
    Changed();
  }
}

void SettingsDialog::Press(SettingsControl button) {
  switch (button) {
    case C::kBrowse:
      Browse();
      break;
    case C::kCheckBalance:
      CheckBalance();
      break;
    case C::kAddTime:
      AddTime();
      break;
    case C::kClearTimes:
      MutableList(SettingsList::kMailTimes) = ListState();
      Changed();
      break;
    case C::kOk:
      Confirm();
      break;
    case C::kCancel:
      Close();
      break;
    default:
      break;
  }
}

void SettingsDialog::AddTime() {
  ListState& times = MutableList(SettingsList::kMailTimes);
  if (static_cast<int>(times.items.size()) >= kMaxMailTimes) {
    dialogs_.MessageBox("Max 10 records", "Tolvane", MessageIcon::kNone);
    return;
  }
  auto chosen = [this](SettingsList list) {
    return List(list).HasSelection() ? List(list).SelectedText() : std::string("00");
  };
  times.items.push_back(chosen(SettingsList::kMailHour) + ":" + chosen(SettingsList::kMailMinute));
  Changed();
}

void SettingsDialog::Browse() {
  if (std::optional<std::string> folder = host_.ChooseFolder("Browse for folder")) {
    Mutable(C::kAutoFolder).text = *folder;
    Changed();
  }
}

std::string SettingsDialog::GatewayBox() const {
  const std::string gateway = TrimBlanks(Text(C::kGateway));
  return gateway.empty() ? ProgramSettings().TCPGateway : gateway;
}

void SettingsDialog::CheckBalance() {
  host_.OpenBalance({GatewayBox(), Text(C::kAccountName), Text(C::kPassword)});
}

bool SettingsDialog::Refuse(const Refusal& refusal) {
  ShowTab(TabOf(refusal.focus));
  RequestFocus(refusal.focus);
  dialogs_.MessageBox(refusal.text, refusal.title, MessageIcon::kInformation);
  return false;
}

void SettingsDialog::ActivatePages() {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (const std::optional<C> page = PageOf(static_cast<C>(i))) {
      controls_[i].enabled = Checked(*page);
    }
  }
  for (TransportPage& page : pages_) page.page->SetActive(page.option.checked);
}

std::optional<SettingsDialog::Refusal> SettingsDialog::OverlongBox(std::optional<C> page) const {
  for (const TextBox& box : kTextBoxes) {
    if (PageOf(box.control) != page) continue;
    const std::string value = Trimmed(Text(box.control), box.trim);
    const std::string stored =
        box.shifted ? StoredPassword(value) : SettingsFile::StoredText(value);
    if (std::optional<std::string> text = OverlongSettingText(box.caption, value, stored)) {
      return Refusal{box.control, std::move(*text), "Value too long"};
    }
  }
  return std::nullopt;
}

std::optional<SettingsDialog::Refusal> SettingsDialog::ModemPageRefusal() const {
  const std::optional<double> timeout = NumericValue(Text(C::kTimeout));
  if (!timeout || *timeout > 65) {
    return Refusal{C::kTimeout, "The value for Timeout can be max 65", "TimeOut value"};
  }
  return OverlongBox(C::kUseModem);
}

std::optional<SettingsDialog::Refusal> SettingsDialog::TcpPageRefusal() const {
  const std::string account_text =
      "You must enter Accountname and password if you want to use TCP/IP.\n"
      "You can open an account at " +
      GatewayBox() + ".";
  const std::string password = TrimBlanks(Text(C::kPassword));
  // The account is needed only to send through the gateway.
  if (Checked(C::kUseTcp)) {
    if (TrimBlanks(Text(C::kAccountName)).empty()) {
      return Refusal{C::kAccountName, account_text, "Account information?"};
    }
    if (password.empty()) return Refusal{C::kPassword, account_text, "Account information?"};
  }
  if (const std::optional<char32_t> lacking = FirstOutsideCp1252(password)) {
    return Refusal{C::kPassword,
                   "The gateway password cannot hold the character \"" +
                       EncodeUtf8(std::u32string(1, *lacking)) +
                       "\": user.dat keeps only the characters of Windows-1252.",
                   "Password?"};
  }
  if (std::optional<Refusal> overlong = OverlongBox(C::kUseTcp)) return overlong;
  if (Checked(C::kUseProxy) && TrimBlanks(Text(C::kProxyServer)).empty()) {
    return Refusal{C::kProxyServer, "Enter name or IP for proxyserver!", "Proxy?"};
  }
  // A port that is no number is refused even while no proxy is used: the
  // proxy setting would not load again.
  const std::string port = TrimBlanks(Text(C::kProxyPort));
  const bool port_usable = Checked(C::kUseProxy) ? ParseProxyPort(port).has_value()
                                                 : port.empty() || ParseWholeNumber(port);
  if (!port_usable) {
    return Refusal{C::kProxyPort, "Enter a port from 1 to 65535 for the proxyserver!", "Proxy?"};
  }
  return std::nullopt;
}

bool SettingsDialog::Validate() {
  // Only the page of the transport chosen is checked: the others are greyed
  // out, and what breaks a rule there keeps the stored value (Applied).
  if (Checked(C::kUseModem)) {
    if (std::optional<Refusal> refusal = ModemPageRefusal()) return Refuse(*refusal);
  }
  if (Checked(C::kUseTcp)) {
    if (std::optional<Refusal> refusal = TcpPageRefusal()) return Refuse(*refusal);
  }
  for (const TransportPage& page : pages_) {
    if (!page.option.checked) continue;
    if (const std::optional<TransportSettingsPage::Refusal> refusal = page.page->Check()) {
      ShowTab(0);
      page.page->RequestFocus(refusal->focus);
      dialogs_.MessageBox(refusal->text, refusal->title, MessageIcon::kInformation);
      return false;
    }
  }
  if (Checked(C::kActiveAtStartup)) {
    if (TrimBlanks(Text(C::kAutoFolder)).empty()) {
      return Refuse({C::kAutoFolder, "No path specified!", "What folder?"});
    }
    if (!Checked(C::kTypeMomentary) && !Checked(C::kTypeAt) && !Checked(C::kTypeWhenFiles)) {
      return Refuse({C::kTypeMomentary, "You must choose type of Autosending!.", "What type?"});
    }
  }
  if (std::optional<Refusal> refusal = OverlongBox(std::nullopt)) return Refuse(*refusal);
  return true;
}

ProgramSettings SettingsDialog::Applied() const {
  ProgramSettings s = settings_;
  const bool modem_usable = !ModemPageRefusal();
  const bool tcp_usable = !TcpPageRefusal();
  if (modem_usable) s.UppTid = TrimTrailingBlanks(Text(C::kTimeout));
  const ListState& hour = List(SettingsList::kAutoHour);
  const ListState& minute = List(SettingsList::kAutoMinute);
  if (hour.HasSelection() && minute.HasSelection()) {
    s.AutoTid = hour.SelectedText() + ":" + minute.SelectedText();
  }
  for (const Option& option : kTransportOptions) {
    if (Checked(option.control)) s.AccessTyp = option.value;
  }
  for (const TransportPage& page : pages_) {
    if (page.option.checked) s.AccessTyp = page.access_typ;
  }
  if (List(SettingsList::kSeparator).HasSelection()) {
    s.AutoFilSep = kSeparators[List(SettingsList::kSeparator).selected].character;
  }
  s.EjKvitto = Flag(Checked(C::kQuicksend));
  if (tcp_usable) {
    s.TCPAnvNamn = TrimBlanks(Text(C::kAccountName));
    s.GatewayPassword = TrimBlanks(Text(C::kPassword));
    s.TCPProxy = Checked(C::kUseProxy) ? 1 : 0;
    s.TCPProxyAdress = TrimBlanks(Text(C::kProxyServer));
    s.TCPProxyPort = TrimBlanks(Text(C::kProxyPort));
    s.TCPGateway = GatewayBox();
  }
  if (modem_usable) {
    s.Parametrar = Checked(C::kParity8N1) ? "N,8,1" : "E,7,1";
    s.Device = TrimBlanks(Text(C::kDevice));
    s.Baud = speed_;
    s.Port = port_;
    s.ModemInit = TrimTrailingBlanks(Text(C::kModemInit));
    s.SMSCnumber = TrimTrailingBlanks(Text(C::kSmscNumber));
    s.Prefix1 = TrimTrailingBlanks(Text(C::kPrefix1));
    s.Prefix2 = TrimTrailingBlanks(Text(C::kPrefix2));
  }
  s.AutoTyp = auto_type_;
  s.AutoFil = TrimTrailingBlanks(Text(C::kAutoFolder));
  s.Avs = TrimTrailingBlanks(Text(C::kSenderNumber));
  s.PollTid = static_cast<int16_t>(
      std::clamp<long>(LeadingWholeNumber(Text(C::kPollTid)), kPollMin, kPollMax));
  s.VTid = static_cast<int16_t>(
      std::clamp<long>(LeadingWholeNumber(Text(C::kWaitMinutes)), kWaitMin, kWaitMax));
  s.RasISP = Text(C::kConnection);
  s.RasUserName = Text(C::kRasUserName);
  s.RasPassWord = Text(C::kRasPassword);
  s.MailPassWord = Text(C::kMailPassword);
  s.MailUserName = Text(C::kMailAccount);
  s.MailServer = Text(C::kMailServer);
  s.MailTid.fill("");
  const std::vector<std::string>& times = List(SettingsList::kMailTimes).items;
  std::copy_n(times.begin(), std::min<size_t>(times.size(), s.MailTid.size()), s.MailTid.begin());
  s.RasYN = Flag(Checked(C::kDontUseDun));
  s.BaraLokalt = Flag(Checked(C::kLocalOnly));
  s.Felkorrigering = Flag(Checked(C::kErrorCorrection));
  s.Logg = Flag(Checked(C::kRecordLog));
  s.AutoDef = Flag(Checked(C::kActiveAtStartup));
  s.AutoTabort = Flag(Checked(C::kDeleteAfterSending));
  s.AutoStang = Flag(Checked(C::kCloseAfterSending));
  s.NrFranFil = Flag(Checked(C::kNameFromFile));
  AddSettingsSections(transports_, s.transports);
  for (const TransportPage& page : pages_) page.page->ApplyTo(*s.transports.Find(page.section));
  ComputeDerivedFields(s);
  return s;
}

void SettingsDialog::Confirm() {
  // Nothing is taken over before every rule has passed and every file is written.
  if (!Validate()) return;
  const ProgramSettings applied = Applied();
  const std::string& folder = applied.ProgramFolder;
  // The secrets are written first: the transports read the new PIN once
  // they take the new settings.
  const std::optional<std::string> unwritten =
      SaveSettings(SettingsFile(folder), applied, [this, &folder] {
        return std::all_of(pages_.begin(), pages_.end(), [&folder](const TransportPage& page) {
          return page.page->StoreSecret(folder);
        });
      });
  if (unwritten) {
    // Every file is as before; the dialog stays open to try again or cancel.
    dialogs_.MessageBox(*unwritten == SecretStore::kFileName ? "Error writing secrets.dat"
                                                             : "Error writing ini-file",
                        "Error!", MessageIcon::kExclamation);
    return;
  }
  settings_ = applied;
  host_.ReconfigureTransports();
  Close();
  host_.RefreshRecipientList();
}

void SettingsDialog::Close() {
  closed_ = true;
  Changed();
}

}  // namespace tolvane
