#ifndef TOLVANE_CORE_WINDOWED_SENDING_H_
#define TOLVANE_CORE_WINDOWED_SENDING_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ended_message.h"
#include "core/send_context.h"
#include "core/submit_window.h"

namespace tolvane {

// The send flow of a transport that keeps a session with the far end and
// several submits on their way over it (SMPP, UCP/EMI): a single send and a
// group run, each through a SubmitWindow. The members of a run are logged
// as each one's outcome comes in; a broken session is opened again, with
// pauses from 1 s doubling to 60 s, while messages remain.
class WindowedSending {
 public:
  // The parts of the message box to the current recipient, as the
  // transport's submits.
  struct Prepared {
    std::vector<std::string> parts;
    // The parts' places in the whole message.
    std::vector<int> indices;
    bool wants_receipts = false;
  };

  // What the transport does for the flow.
  class Session {
   public:
    virtual ~Session() = default;
    // The connection made and logged in (at once when one holds); false
    // with the reason on the receipt line.
    virtual bool Start() = 0;
    virtual void Close() = 0;
    // Why the connection ended; empty while it holds.
    virtual const std::string& Broken() const = 0;
    // The far end refused the last login: no new session in this send.
    virtual bool LoginRefused() const = 0;
    // The window of a send or a run, open while a session holds.
    virtual std::unique_ptr<SubmitWindow> MakeWindow() = 0;
    // The parts for the current recipient; nothing, with the send ended,
    // when the message cannot go.
    virtual std::optional<Prepared> Prepare() = 0;
    // The outcome of a submit whose answer went with the broken connection.
    virtual std::string UnansweredText() const = 0;
    virtual bool ResendUnanswered() const = 0;
    // Who the far end is, for the status line: "the SMS centre".
    virtual std::string FarEnd() const = 0;
  };

  WindowedSending(SendContext& context, Session& session);

  // The window of the send or run under way; null before the first.
  SubmitWindow* Window() const { return window_.get(); }
  // The Transport calls of the same names.
  void SendSingle();
  bool OpenRun();
  bool SendMember();
  void CloseRun(bool interrupted);
  // The end of a send: the window goes.
  void Reset() { window_.reset(); }

 private:
  void OpenWindow(bool run);
  void Add(Prepared prepared);
  // Processes events until `done`, handing on every message that ended and
  // connecting again when the connection breaks; false when stopped or no
  // new connection could be made (every message then ended).
  bool Drive(const std::function<bool()>& done);
  bool Reconnect();
  void HandOn();
  bool Stopped() const;

  SendContext& context_;
  Session& session_;
  std::unique_ptr<SubmitWindow> window_;
  // Members of a run are logged one by one as they end.
  bool run_ = false;
  // The outcome of a single send.
  std::optional<EndedMessage> single_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_WINDOWED_SENDING_H_
