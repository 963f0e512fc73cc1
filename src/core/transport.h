#ifndef TOLVANE_CORE_TRANSPORT_H_
#define TOLVANE_CORE_TRANSPORT_H_

#include <functional>
#include <string>
#include <string_view>

#include "core/send_context.h"

namespace tolvane {

// Error number of a setting a transport cannot take (an invalid property
// value of the original controls).
inline constexpr int kErrorInvalidPropertyValue = 380;

// A way to the network. The main window, group runs, command-line orders,
// autosending and the mail forward reach every transport through this
// interface; which one a send uses follows `AccessTyp` when the send starts.
//
// Every transport keeps these rules:
// 1. Constructing one opens nothing; `Configure` applies the settings at
//    start-up and after the settings dialog, and never blocks.
// 2. A wait is a loop that processes pending events; it returns once the
//    shared `SendState` says the exchange ended, finished or was cancelled.
// 3. Outcomes are texts on the receipt line and flags in `SendState`;
//    `accepted` is set only when the network took the message.
// 4. A message whose submit went out but whose answer never came is never
//    sent again on the transport's own account: its outcome is unknown.
// 5. Every send ends through `SendContext::EndSend`, which calls `HangUp`
//    unless the line is kept for the next message of a run.
// 6. Between `OpenRun` and `CloseRun` the connection stays up; each member
//    goes out with `SendMember`.
class Transport {
 public:
  virtual ~Transport() = default;

  // Takes the settings over; an item the device cannot take is reported by
  // its error number and left as it was.
  virtual void Configure(const std::function<void(int error_number)>& report_error) = 0;
  // A transport that cuts a long text into linked parts: the message box
  // counts as a phone does, up to `[Message] MaxParts` parts, and "&Double"
  // is not needed.
  virtual bool SplitsLongMessages() const = 0;
  // Why the transport cannot carry the text, as the receipt line shows it;
  // empty when it can. Asked before anything is dialled or posted.
  virtual std::string RefusalOf(std::string_view text) const = 0;
  // First step of every send, before the recipient is resolved.
  virtual void PrepareForSend() = 0;

  // Sends `SendState::message`; returns when its exchange is over. The
  // caller ends the send.
  virtual void SendSingle() = 0;
  // Sends the message box as a double message and ends the send itself.
  virtual void SendDouble() = 0;

  // A run of several recipients. False when the connection could not be made;
  // the send has then been ended.
  virtual bool OpenRun() = 0;
  // Sends the current member (`SendState` holds its number and name) and
  // waits for its answer; `following` members of the run come after it.
  // A transport that keeps several messages on their way returns once the
  // member's parts went out and ends each member through
  // `SendContext::EndMember` when its outcome comes, at the latest in
  // `CloseRun`. False when the run was cancelled or failed.
  virtual bool SendMember(int following) = 0;
  // Ends the run; `interrupted` when it stopped before its last member.
  virtual void CloseRun(bool interrupted) = 0;

  // Stops what is under way after the user pressed "&Cancel".
  virtual void Cancel() = 0;
  // Stops whatever is still under way when a single send has ended.
  virtual void StopExchange() = 0;
  // The answer watchdog's tick: true when the connection broke under the send.
  virtual bool ConnectionLost() const = 0;
  // A line is up (to hang up at exit).
  virtual bool LineHeld() const = 0;
  // The end of every send: the transport's own timers stopped.
  virtual void StopTimers() = 0;
  // The end of a send that does not keep the line for the next message.
  virtual void HangUp() = 0;
  // The status line meanwhile.
  virtual std::string ClosingStatus() const { return "Hanging up..."; }
  // A run cut short sends again the parts that were written and never
  // answered (the recipient may have them) only when the settings ask so.
  virtual bool ResendsUnanswered() const { return false; }

  // Receiving. A transport that can receive keeps its session while the
  // program runs and hands what arrives to SendContext::Receive, answering
  // the network only after that. Sends use the held session; a send that
  // starts while the session is being opened waits for that attempt, never
  // for a pause between attempts.
  virtual bool CanReceive() const { return false; }
  // Opens the session for receiving; empty once it holds, otherwise why not.
  virtual std::string Listen() { return "it cannot receive"; }
  // The session held for receiving is up.
  virtual bool Listening() const { return false; }
  // Closes the held session (the settings changed, the program ends).
  virtual void StopListening() {}
};

// Processes events until the current exchange has ended, finished or been
// cancelled.
void WaitForExchange(SendContext& context);

// The refusal of a transport that carries Windows-1252 bytes only: it names
// the first character of the text outside the code page; empty when none is.
std::string Cp1252Refusal(std::string_view text);

}  // namespace tolvane

#endif  // TOLVANE_CORE_TRANSPORT_H_
