#include "mail/mail_checker.h"

#include "core/compose_rules.h"
#include "core/time_of_day.h"
#include "platform/local_time.h"
#include "platform/mail_errors.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr int kScheduleTickMs = 2000;
constexpr int kRearmMs = 60000;
constexpr int kBusyRearmMs = 5000;
constexpr int kWatchdogMs = 60000;
constexpr int kDialStepWatchdogMs = 65000;
constexpr int kWatchdogExtensionMs = 30000;
constexpr int kPacingMs = 3000;
constexpr int kForwardDelayMs = 10000;
constexpr int kSettleMs = 1000;
constexpr size_t kSingleLimit = ComposeRules::kSingleLimit;
constexpr size_t kDoubleLimit = ComposeRules::kDoubleLimit;

}  // namespace

MailChecker::MailChecker(MailHost& window, EventLoop& loop, MailClient& client, Dialler& dialler,
                         Dialogs& dialogs)
    : window_(window),
      loop_(loop),
      client_(client),
      dialler_(dialler),
      dialogs_(dialogs),
      schedule_timer_(loop.CreateTimer()),
      rearm_timer_(loop.CreateTimer()),
      watchdog_(loop.CreateTimer()),
      pacing_timer_(loop.CreateTimer()),
      forward_timer_(loop.CreateTimer()) {
  schedule_timer_->SetInterval(kScheduleTickMs);
  schedule_timer_->SetCallback([this] { OnScheduleTick(); });
  for (Timer* timer :
       {rearm_timer_.get(), watchdog_.get(), pacing_timer_.get(), forward_timer_.get()}) {
    timer->SetSingleShot(true);
  }
  rearm_timer_->SetCallback([this] { OnRearmDelay(); });
  watchdog_->SetCallback([this] { OnWatchdog(); });
  pacing_timer_->SetInterval(kPacingMs);
  pacing_timer_->SetCallback([this] { HamtaMail(); });
  forward_timer_->SetInterval(kForwardDelayMs);
  forward_timer_->SetCallback([this] { OnForwardDelay(); });
  client_.SetOnComplete([this] { OnComplete(); });
  client_.SetOnError([this](const std::string& description) { OnMailError(description); });
  dialler_.SetOnStateChanged([this](int state) { OnDiallerState(state); });
  dialler_.SetOnError(
      [this](int number, const std::string& description) { OnDiallerError(number, description); });
}

MailChecker::~MailChecker() {
  client_.SetOnComplete(nullptr);
  client_.SetOnError(nullptr);
  dialler_.SetOnStateChanged(nullptr);
  dialler_.SetOnError(nullptr);
}

const ProgramSettings& MailChecker::Settings() const { return window_.Settings(); }

SendState& MailChecker::State() { return window_.State(); }

bool MailChecker::UsesDialUp() const { return !Settings().RasYNOn; }

bool MailChecker::SettingsComplete() {
  if (UsesDialUp() && TrimBlanks(Settings().RasISP).empty()) {
    dialogs_.MessageBox("You must choose a connection or check \"Don´t use DUN\"", "Connection?",
                        MessageIcon::kInformation);
    return false;
  }
  if (Settings().MailServer.empty()) {
    dialogs_.MessageBox("You must specify a POPserver", "POPserver?", MessageIcon::kInformation);
    return false;
  }
  return true;
}

// --- Switching on and off, the schedule and "No&w".

void MailChecker::OnMailcheckingToggled(bool checked) {
  window_.SetErrorLabel("");
  if (checked) {
    if (!SettingsComplete()) {
      window_.SetChecked(MainControl::kMailchecking, false);
      return;
    }
    window_.SetChecked(MainControl::kMailchecking, true);
    for (MainControl c : {MainControl::kAutosending, MainControl::kNow, MainControl::kSend,
                          MainControl::kGroupSending}) {
      window_.SetEnabled(c, false);
    }
    State().cancelled = false;
    schedule_timer_->Start();
    return;
  }
  window_.SetChecked(MainControl::kMailchecking, false);
  EnableMenus();
  for (MainControl c : {MainControl::kNow, MainControl::kSend, MainControl::kAutosending,
                        MainControl::kGroupSending}) {
    window_.SetEnabled(c, true);
  }
  window_.SetMailCheckRunning(false);
  busy_redial_ = false;
  schedule_timer_->Stop();
  rearm_timer_->Stop();
  State().cancelled = true;
  if (UsesDialUp()) HangUpIfUp();
}

void MailChecker::OnScheduleTick() {
  const ProgramSettings& settings = Settings();
  if (settings.MailTimeCount <= 0) return;
  const std::string now = HourMinuteText(loop_.Now());
  for (int i = 0; i < settings.MailTimeCount && i < static_cast<int>(settings.MailTid.size());
       ++i) {
    if (busy_redial_ || NormalizedTimeOfDay(settings.MailTid[i]) == now) {
      schedule_timer_->Stop();
      AnslutMail();
      return;
    }
  }
}

void MailChecker::CheckNow() {
  window_.SetErrorLabel("");
  if (!SettingsComplete()) return;
  AnslutMail();
}

// --- The chain of a check.

void MailChecker::AnslutMail() {
  const ProgramSettings& settings = Settings();
  client_.SetServer(settings.MailServer);
  client_.SetUserName(settings.MailUserName);
  client_.SetPassword(settings.MailPassWord);
  window_.SetErrorLabel("");
  if (State().sending) {
    // The check is skipped; the schedule goes on, so the next tick in the
    // same minute tries again.
    if (window_.Control(MainControl::kMailchecking).checked) schedule_timer_->Start();
    return;
  }
  window_.SetDoubleMode(true);
  for (MainControl c : {MainControl::kNow, MainControl::kSend, MainControl::kGroupSending}) {
    window_.SetEnabled(c, false);
  }
  watchdog_extension_ = false;
  server_connected_ = false;
  ending_after_error_ = false;
  if (window_.Control(MainControl::kDouble).checked)
    window_.SetChecked(MainControl::kDouble, false);
  window_.SetMessageText("");

  timeout_text_ = "Timeout";
  window_.SetMailCheckRunning(true);
  State().cancelled = false;
  window_.SetEnabled(MainControl::kCancel, true);
  StartWatchdog(kWatchdogMs);
  if (!UsesDialUp()) {
    watchdog_extension_ = true;
    GetMailStatus();
    return;
  }
  if (!dialler_.IsConnected()) {
    dialler_.SetEntryName(TrimBlanks(settings.RasISP));
    dialler_.SetUserName(TrimBlanks(settings.RasUserName));
    dialler_.SetPassword(TrimBlanks(settings.RasPassWord));
    dialling_ = true;
    dialler_.Dial();
    window_.SetStatusLine("Dialing " + settings.RasISP);
    return;
  }
  window_.SetStatusLine("Connected");
  StartWatchdog(kDialStepWatchdogMs);
  watchdog_extension_ = true;
  busy_redial_ = false;
  ConnectAfterPause();
}

void MailChecker::ConnectAfterPause() {
  WaitFor(loop_, kSettleMs, [this] { return State().cancelled || !window_.MailCheckRunning(); });
  // A line that went during the pause has ended the check already.
  if (State().cancelled || window_.MailCheckRunning()) GetMailStatus();
}

void MailChecker::GetMailStatus() {
  if (State().cancelled) {
    if (UsesDialUp()) HangUpIfUp();
    watchdog_->Stop();
    CommonEnding();
    window_.SetStatusLine("Cancelled");
    window_.SetEnabled(MainControl::kCancel, false);
    return;
  }
  client_.SetServer(Settings().MailServer);
  window_.SetStatusLine("Connecting to POPServer...");
  pending_ = Pending::kConnect;
  if (int error = client_.Connect(); error != 0) OnSyncError(error);
}

void MailChecker::OnComplete() {
  const Pending done = pending_;
  pending_ = Pending::kNone;
  switch (done) {
    case Pending::kConnect:
      OnConnectComplete();
      break;
    case Pending::kNext:
      window_.SetMessageText(window_.MessageText() + client_.MessageText() + " ");
      pacing_timer_->Start();
      break;
    case Pending::kDisconnect:
      OnDisconnectComplete();
      break;
    case Pending::kNone:
      break;
  }
}

void MailChecker::OnConnectComplete() {
  server_connected_ = true;
  mail_count_ = client_.MessageCount();
  if (mail_count_ < 1) {
    window_.SetMessageText("No mail waiting on server");
    pending_ = Pending::kDisconnect;
    window_.SetStatusLine("Disconnecting...");
    client_.Disconnect();
    return;
  }
  message_number_ = 0;
  window_.SetMessageText(std::to_string(mail_count_) + " mail waiting. ");
  window_.SetStatusLine("Number of mail: " + std::to_string(mail_count_));
  pacing_timer_->Start();
}

void MailChecker::HamtaMail() {
  StartWatchdog(kWatchdogMs);
  if (!State().cancelled) {
    if (message_number_ + 1 > mail_count_) {
      pending_ = Pending::kDisconnect;
      window_.SetStatusLine("Disconnecting from POPserver...");
      client_.Disconnect();
      return;
    }
    ++message_number_;
    pending_ = Pending::kNext;
    window_.SetStatusLine("Receiving mail " + std::to_string(message_number_) + " of " +
                          std::to_string(mail_count_));
    if (int error = client_.Retrieve(message_number_); error != 0) {
      pending_ = Pending::kNone;
      OnMailError(MailErrorText(error));
    }
    return;
  }
  if (!server_connected_) {
    if (UsesDialUp()) HangUpIfUp();
    watchdog_->Stop();
    CommonEnding();
    window_.SetStatusLine("Cancelled");
    return;
  }
  pending_ = Pending::kDisconnect;
  window_.SetStatusLine("Disconnecting...");
  client_.Disconnect();
}

void MailChecker::OnDisconnectComplete() {
  window_.SetMailCheckRunning(false);
  server_connected_ = false;
  watchdog_->Stop();
  window_.SetEnabled(MainControl::kCancel, false);
  if (UsesDialUp()) HangUpIfUp();
  if (ending_after_error_) {
    // The error has ended the check already.
    ending_after_error_ = false;
  } else if (State().cancelled || Settings().BaraLokaltOn) {
    window_.Beep();
    window_.SetStatusLine(State().cancelled ? "Cancelled!" : "Done!");
    CommonEnding();
  } else if (mail_count_ < 1) {
    window_.SetStatusLine("Done!");
    CommonEnding();
  } else {
    forward_timer_->Start();
    window_.SetStatusLine("Sending to phone soon...");
  }
  EnableMenus();
}

void MailChecker::OnForwardDelay() {
  forward_timer_->Stop();
  // A summary is worth more with "?" for a character the transport cannot
  // carry (an emoji in a subject) than refused as a whole.
  const Transport& transport = window_.ActiveTransport();
  std::u32string carried;
  for (char32_t c : DecodeUtf8(window_.MessageText())) {
    carried += transport.RefusalOf(CharacterText(c)).empty() ? c : U'?';
  }
  const std::string text = EncodeUtf8(carried);
  // One SMS carries at most two parts; a longer summary is cut rather than
  // refused by the operator as a whole.
  window_.SetMessageText(std::string(Utf8Prefix(text, kDoubleLimit)));
  if (Utf8Length(text) <= kSingleLimit) ReturnToSingleMode();
  State().to_own_number = true;
  window_.StartSend();
  CommonEnding();
}

void MailChecker::CommonEnding() {
  // A check left in the 320-character mode would make the user's next short
  // message a double one.
  ReturnToSingleMode();
  if (window_.Control(MainControl::kMailchecking).checked) {
    rearm_timer_->SetInterval(kRearmMs);
    rearm_timer_->Start();
    return;
  }
  for (MainControl c : {MainControl::kNow, MainControl::kSend, MainControl::kGroupSending}) {
    window_.SetEnabled(c, true);
  }
}

void MailChecker::OnRearmDelay() {
  rearm_timer_->Stop();
  if (!busy_redial_) {
    schedule_timer_->Start();
    return;
  }
  window_.Redial().Wait();
  window_.SetErrorLabel("");
  if (!State().cancelled) AnslutMail();
}

void MailChecker::OnWatchdog() {
  watchdog_->Stop();
  if (watchdog_extension_) {
    watchdog_extension_ = false;
    StartWatchdog(kWatchdogExtensionMs);
    return;
  }
  window_.SetStatusLine(timeout_text_);
  pacing_timer_->Stop();
  if (server_connected_) {
    pending_ = Pending::kDisconnect;
    window_.SetStatusLine("Disconnecting...");
    client_.Disconnect();
  } else {
    // A server that never answered the connection is given up.
    client_.Abort();
    pending_ = Pending::kNone;
    if (UsesDialUp()) HangUpIfUp();
    window_.SetEnabled(MainControl::kCancel, false);
  }
  State().cancelled = true;
  window_.SetMailCheckRunning(false);
  CommonEnding();
}

void MailChecker::Cancel() {
  State().cancelled = true;
  // The user gave up this check: a busy line is not dialled again for it.
  busy_redial_ = false;
  window_.SetStatusLine("Cancelled.");
  watchdog_->Stop();
  pacing_timer_->Stop();
  if (server_connected_) {
    // The disconnection ends the check ("Cancelled!").
    pending_ = Pending::kDisconnect;
    window_.SetStatusLine("Disconnecting...");
    client_.Disconnect();
    return;
  }
  client_.Abort();
  pending_ = Pending::kNone;
  if (UsesDialUp()) HangUpIfUp();
  window_.SetMailCheckRunning(false);
  CommonEnding();
  EnableMenus();
  window_.SetEnabled(MainControl::kCancel, false);
}

void MailChecker::HangUpForShutdown() {
  if (window_.MailCheckRunning() && UsesDialUp() && (dialling_ || dialler_.IsConnected())) {
    dialler_.HangUp();
  }
}

// --- Failures.

void MailChecker::OnMailError(const std::string& description) {
  window_.SetErrorLabel(description);
  window_.SetStatusLine("Error!");
  pacing_timer_->Stop();
  if (server_connected_) {
    ending_after_error_ = true;
    pending_ = Pending::kDisconnect;
    client_.Disconnect();
  } else {
    pending_ = Pending::kNone;
    if (UsesDialUp()) HangUpIfUp();
  }
  window_.SetEnabled(MainControl::kCancel, false);
  watchdog_->Stop();
  window_.SetMailCheckRunning(false);
  CommonEnding();
  EnableMenus();
}

void MailChecker::OnSyncError(int number) {
  pending_ = Pending::kNone;
  window_.SetStatusLine("Error!");
  watchdog_->Stop();
  window_.SetEnabled(MainControl::kCancel, false);
  window_.SetMailCheckRunning(false);
  window_.SetErrorLabel(MailErrorText(number));
  if (UsesDialUp()) HangUpIfUp();
  CommonEnding();
}

// --- The dial-up connection.

void MailChecker::OnDiallerState(int state) {
  // Only a check that dialled listens; a connection of the user's own may
  // come and go in between.
  if (!dialling_ && !window_.MailCheckRunning()) return;
  const std::string entry = dialler_.EntryName();
  if (State().cancelled) {
    dialling_ = false;
    window_.SetStatusLine("Disconnecting...");
    HangUpIfUp();
    watchdog_->Stop();
    CommonEnding();
    window_.SetStatusLine("Cancelled");
    return;
  }
  switch (state) {
    case Dialler::kStateAuthenticate:
      window_.SetStatusLine("Connecting to " + entry);
      StartWatchdog(kDialStepWatchdogMs);
      break;
    case Dialler::kStateAuthenticated:
      window_.SetStatusLine("Connected");
      timeout_text_ = "Timeout vid mailinloggning";
      StartWatchdog(kDialStepWatchdogMs);
      break;
    case Dialler::kStateConnected:
      dialling_ = false;
      // A redial that got through ends the busy retries.
      busy_redial_ = false;
      timeout_text_ = "Timeout";
      window_.SetStatusLine("Connected to " + entry);
      StartWatchdog(kDialStepWatchdogMs);
      watchdog_extension_ = true;
      ConnectAfterPause();
      break;
    case Dialler::kStateDisconnected:
      // The server connection went with the line: nothing more is asked of
      // the server and nothing is forwarded.
      dialling_ = false;
      pacing_timer_->Stop();
      client_.Abort();
      pending_ = Pending::kNone;
      server_connected_ = false;
      HangUpIfUp();
      watchdog_->Stop();
      window_.SetEnabled(MainControl::kCancel, false);
      window_.SetMailCheckRunning(false);
      CommonEnding();
      EnableMenus();
      break;
    default:
      break;
  }
}

void MailChecker::OnDiallerError(int number, const std::string& description) {
  if (number == Dialler::kErrorIgnored) return;
  if (!dialling_ && !window_.MailCheckRunning()) return;
  dialling_ = false;
  if (number == Dialler::kErrorBusy) {
    HangUpIfUp();
    watchdog_->Stop();
    busy_redial_ = true;
    window_.SetStatusLine("Busy");
    rearm_timer_->SetInterval(kBusyRearmMs);
    rearm_timer_->Start();
    return;
  }
  window_.SetEnabled(MainControl::kCancel, false);
  HangUpIfUp();
  window_.SetStatusLine("");
  window_.SetErrorLabel(description);
  watchdog_->Stop();
  window_.SetMailCheckRunning(false);
  CommonEnding();
}

// --- Helpers.

void MailChecker::HangUpIfUp() {
  if (dialling_ || dialler_.IsConnected()) dialler_.HangUp();
  dialling_ = false;
}

void MailChecker::StartWatchdog(int milliseconds) {
  watchdog_->SetInterval(milliseconds);
  watchdog_->Start();
}

void MailChecker::ReturnToSingleMode() {
  if (!window_.Control(MainControl::kDouble).checked) window_.SetDoubleMode(false);
}

void MailChecker::EnableMenus() {
  for (MainControl c :
       {MainControl::kMenuMessage, MainControl::kMenuPhonebook, MainControl::kMenuSettings}) {
    window_.SetEnabled(c, true);
  }
}

}  // namespace tolvane
