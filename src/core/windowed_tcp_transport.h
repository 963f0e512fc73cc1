#ifndef TOLVANE_CORE_WINDOWED_TCP_TRANSPORT_H_
#define TOLVANE_CORE_WINDOWED_TCP_TRANSPORT_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/program_settings.h"
#include "core/send_context.h"
#include "core/send_state.h"
#include "core/submit_window.h"
#include "core/transport.h"
#include "core/windowed_sending.h"
#include "platform/event_loop.h"
#include "platform/file_system.h"
#include "platform/tcp_connection.h"
#include "sms/sms_message.h"

namespace tolvane {

// A transport that keeps a session with the far end over one TCP
// connection and several submits on their way over it (SMPP, UCP/EMI).
// What a session over TCP does whatever the protocol lives here: the
// Transport calls handed to WindowedSending, the connection made and
// closed, the session's state, the link check every second and the hang-up.
// A protocol supplies its login, its submits, its frames and its logout.
//
// Listen keeps the session for receiving: sends then use it and leave it
// up, and the protocol hands what the far end delivers to
// SendContext::Receive before answering it. The login is written as soon as
// the connection is made and its answer taken where it is read, so a send
// that starts while Listen waits for the login can wait for the same answer.
class WindowedTcpTransport : public Transport, private WindowedSending::Session {
 public:
  WindowedTcpTransport(SendContext& context, TcpConnection& connection, FileSystem& files);
  ~WindowedTcpTransport() override;

  // A port that is no number is reported; the send then says so too. A
  // session held for receiving is opened again with the new settings.
  void Configure(const std::function<void(int error_number)>& report_error) override;
  bool SplitsLongMessages() const override { return true; }
  std::string RefusalOf(std::string_view text) const override;
  void PrepareForSend() override {}
  void SendSingle() override;
  // A long text needs no double message here: it goes as one linked message.
  void SendDouble() override;
  bool OpenRun() override;
  // Back once the member's parts are on their way.
  bool SendMember(int following) override;
  // Waits for the run's last answers and receipts.
  void CloseRun(bool interrupted) override;
  // Every wait watches the cancel flag itself.
  void Cancel() override {}
  void StopExchange() override {}
  // A session the far end ended counts as lost too: no receipt comes over
  // it any more.
  bool ConnectionLost() const override;
  bool LineHeld() const override;
  void StopTimers() override {}
  // Leaves a session held for receiving up.
  void HangUp() override;
  std::string ClosingStatus() const final;
  bool ResendsUnanswered() const override { return ResendUnanswered(); }

  bool CanReceive() const override { return true; }
  std::string Listen() override;
  bool Listening() const override { return listening_ && Held(); }
  void StopListening() override;

 protected:
  // The port setting as a number; nothing when it is no port.
  virtual std::optional<int> ConfiguredPort() const = 0;
  // Why the settings cannot carry `message` (made of `text`); empty when
  // they can.
  virtual std::string RefusalFor(const SmsMessage& message, std::string_view text) const = 0;
  // Connects (through Connect) and logs in (through AwaitLogin); empty once
  // logged in, otherwise why not, for the receipt line.
  virtual std::string Open() = 0;
  // The connection is made: the login goes out at once.
  virtual void WriteLogin() = 0;
  // The status line while the session ends.
  virtual std::string LogoutStatus() const = 0;
  // A new connection's reader.
  virtual void ResetReader() = 0;
  virtual void OnData(const std::string& bytes) = 0;
  // The connection closed; `Broken()` says why.
  virtual void OnClosed() {}
  // Called every second while a session holds.
  virtual void CheckLink() = 0;
  // The end of the session before the connection closes.
  virtual void Logout() = 0;
  virtual int WindowSize() const = 0;
  virtual WindowTiming Timing() const = 0;
  // Writes a submit of `part`; the key its answer comes under.
  virtual int SubmitPart(const std::string& part) = 0;
  // The submits of `message` to the current recipient put in `prepared`;
  // otherwise why it cannot go.
  virtual std::string Fill(const SmsMessage& message, WindowedSending::Prepared& prepared) = 0;

  // The Session calls a protocol adds to or answers itself.
  void Close() override;
  std::string UnansweredText() const override = 0;
  bool ResendUnanswered() const override = 0;
  std::string FarEnd() const override = 0;

  // Makes the connection, `where` naming it on the status line, and has the
  // login written; false with `reason` when it cannot be made.
  bool Connect(const std::string& host, int port, bool tls, const std::string& where,
               std::string& reason);
  // Waits for the login's answer (30 seconds); empty once logged in,
  // otherwise why not (`no_answer` when none came).
  std::string AwaitLogin(const std::string& no_answer);
  // The login answered positively: the session holds and the link check runs.
  void LoggedIn();
  // The far end refused the login for `why`: not tried again in this send.
  void LoginRefusedFor(const std::string& why);
  // The status line, left alone by a Listen that no send waits for.
  void ShowStatus(const std::string& text);
  // Processes events until `done`, the time-out, a broken connection or
  // (with `stoppable`) Cancel or the end of the send; true when `done`.
  bool Wait(int timeout_ms, const std::function<bool()>& done, bool stoppable);
  // A send's cancel or end; a Listen that no send waits for has neither.
  bool Stopped() const { return !Unattended() && (state_.cancelled || state_.finished); }
  // Takes `reason` as why the connection ended, unless it already ended;
  // true when it did not.
  bool Break(const std::string& reason);
  // The time a message sent for later is to go out; nothing when now.
  std::optional<TimePoint> DeliveryLater() const;

  SendContext& context() const { return context_; }
  SendState& state() const { return state_; }
  const ProgramSettings& settings() const { return settings_; }
  TcpConnection& tcp() const { return tcp_; }
  SubmitWindow* window() const { return sending_.Window(); }
  // Logged in, from the login's answer to the hang-up.
  bool session() const { return session_; }
  bool SessionHolds() const { return session_ && tcp_.IsOpen() && broken_.empty(); }
  const std::string& Broken() const override { return broken_; }
  // A receipt the far end sent: the send's window matches it, and between
  // sends the store (a part sent earlier over the held session or before
  // the program was restarted).
  void ReceiptCame(const std::string& id, DeliveryOutcome outcome, const std::string& reason);

 private:
  bool Start() final;
  bool LoginRefused() const final { return login_refused_; }
  // A Listen that no send waits for: quiet, and deaf to the flags of the
  // last send.
  bool Unattended() const { return listen_attempt_ && !state_.sending; }
  // A session holds that the settings since made no different.
  bool Held() const { return SessionHolds() && !reconfigured_; }
  // Ends a session the settings changed under, before a new one opens.
  void EndStaleSession();
  // The login under way has its answer, or its time ran out.
  bool LoginSettled() const;
  std::unique_ptr<SubmitWindow> MakeWindow() final;
  std::optional<WindowedSending::Prepared> Prepare() final;

  SendContext& context_;
  TcpConnection& tcp_;
  FileSystem& files_;
  SendState& state_;
  const ProgramSettings& settings_;
  std::unique_ptr<Timer> link_timer_;
  bool connected_ = false;
  bool session_ = false;
  // The far end refused the last login: not tried again in this send.
  bool login_refused_ = false;
  std::string login_refusal_;
  // Where the connection goes, for the status line.
  std::string where_;
  // Until when the login under way waits for its connection or its answer.
  TimePoint login_deadline_;
  // The session is kept for receiving; a Listen is opening it.
  bool listening_ = false;
  bool listen_attempt_ = false;
  // The settings changed while the connection was up.
  bool reconfigured_ = false;
  // Why the connection ended; empty while it holds.
  std::string broken_;
  WindowedSending sending_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_WINDOWED_TCP_TRANSPORT_H_
