#ifndef TOLVANE_CORE_SEND_CONTEXT_H_
#define TOLVANE_CORE_SEND_CONTEXT_H_

#include <string>

#include "core/ended_message.h"
#include "core/part_ledger.h"
#include "core/program_settings.h"
#include "core/send_state.h"
#include "platform/event_loop.h"
#include "sms/received_part.h"

namespace tolvane {

// What a transport sees of the main window: the shared send record, the
// settings, the status and receipt lines, the message box and EndSend.
class SendContext {
 public:
  virtual ~SendContext() = default;
  virtual SendState& State() = 0;
  virtual const ProgramSettings& Settings() const = 0;
  virtual EventLoop& Loop() = 0;
  // The message store's record of the parts sent.
  virtual PartLedger& Ledger() = 0;

  virtual void SetStatusLine(const std::string& text) = 0;
  virtual void SetReceiptLine(const std::string& text) = 0;
  virtual const std::string& ReceiptLine() const = 0;
  // Caption of the "Receipt:" frame.
  virtual void SetReceiptCaption(const std::string& text) = 0;
  virtual const std::string& MessageText() const = 0;
  virtual void SetMessageText(const std::string& text) = 0;
  // The "Use Prefix2" option is selected.
  virtual bool UsePrefix2() const = 0;
  virtual void Beep() = 0;

  // The 2-second answer watchdog; callers reset the tick count themselves.
  virtual void StartReceiptTimer() = 0;
  virtual void StopReceiptTimer() = 0;
  // Ends the send: timers, hang-up, controls, log and receipt file.
  virtual void EndSend() = 0;
  // Logs a message of a group run that ended after later members went out,
  // and counts it for the run; the send itself goes on.
  virtual void EndMember(const EndedMessage& ended) = 0;
  // Keeps a message or part the network brought to the account (a reply);
  // the transport acknowledges it only when this says it was kept.
  virtual ReceiveOutcome Receive(const ReceivedPart& part) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_SEND_CONTEXT_H_
