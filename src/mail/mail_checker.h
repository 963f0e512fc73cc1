#ifndef TOLVANE_MAIL_MAIL_CHECKER_H_
#define TOLVANE_MAIL_MAIL_CHECKER_H_

#include <memory>
#include <string>

#include "mail/mail_host.h"
#include "platform/dialler.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/mail_client.h"

namespace tolvane {

// Mail checking, a mode of the main window: at the scheduled times, or at
// once on "No&w", it dials when configured, counts the mail on the POP3
// server, collects one line per message and texts the summary to the
// window's current recipient (or only beeps). A chain of timers and the mail
// component's and dialler's events drives it; the window's "&Cancel" ends it.
class MailChecker {
 public:
  MailChecker(MailHost& window, EventLoop& loop, MailClient& client, Dialler& dialler,
              Dialogs& dialogs);
  ~MailChecker();

  // "Mailchec&king" clicked; `checked` is the box's new state.
  void OnMailcheckingToggled(bool checked);
  // "No&w".
  void CheckNow();
  // "&Cancel" while a check runs.
  void Cancel();
  // Shutdown: hangs up a dial-up connection that a running check holds.
  void HangUpForShutdown();

  bool BusyRedial() const { return busy_redial_; }

 private:
  enum class Pending { kNone, kConnect, kNext, kDisconnect };

  const ProgramSettings& Settings() const;
  SendState& State();
  bool UsesDialUp() const;
  // The two refusals shared by the box and "No&w".
  bool SettingsComplete();
  void OnScheduleTick();
  void AnslutMail();
  void GetMailStatus();
  void HamtaMail();
  void OnComplete();
  void OnConnectComplete();
  void OnDisconnectComplete();
  void OnForwardDelay();
  void OnRearmDelay();
  void OnWatchdog();
  void OnMailError(const std::string& description);
  void OnSyncError(int number);
  void OnDiallerState(int state);
  void OnDiallerError(int number, const std::string& description);
  void CommonEnding();
  void HangUpIfUp();
  void StartWatchdog(int milliseconds);
  void ReturnToSingleMode();
  void EnableMenus();
  // Waits a second for the connection to settle, then connects to the server.
  void ConnectAfterPause();

  MailHost& window_;
  EventLoop& loop_;
  MailClient& client_;
  Dialler& dialler_;
  Dialogs& dialogs_;
  std::unique_ptr<Timer> schedule_timer_;
  std::unique_ptr<Timer> rearm_timer_;
  std::unique_ptr<Timer> watchdog_;
  std::unique_ptr<Timer> pacing_timer_;
  std::unique_ptr<Timer> forward_timer_;

  bool server_connected_ = false;
  bool watchdog_extension_ = false;
  bool busy_redial_ = false;
  // A dial has been started and has not yet connected or failed.
  bool dialling_ = false;
  // The server connection is being closed after an error: nothing to forward.
  bool ending_after_error_ = false;
  std::string timeout_text_ = "Timeout";
  int mail_count_ = 0;
  int message_number_ = 0;
  Pending pending_ = Pending::kNone;
};

}  // namespace tolvane

#endif  // TOLVANE_MAIL_MAIL_CHECKER_H_
