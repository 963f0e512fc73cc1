#ifndef TOLVANE_CORE_SEND_HOST_H_
#define TOLVANE_CORE_SEND_HOST_H_

#include "core/control_state.h"
#include "core/main_controls.h"
#include "core/message_ledger.h"
#include "core/send_context.h"
#include "core/transport.h"
#include "platform/phone_book_store.h"

namespace tolvane {

// What every mode (a group run, an order, autosending, the mail check) sees
// of the one who hosts it: besides what a transport sees, the transport in
// use, the single send, the state of the controls by role, and which modes
// run. The main window implements it; a mode never reaches the window itself.
class SendHost : public SendContext {
 public:
  // The transport `AccessTyp` chooses.
  virtual Transport& ActiveTransport() = 0;
  // The single send of the message box to the chosen recipient.
  virtual void StartSend() = 0;
  // The message store's runs.
  virtual MessageLedger& Messages() = 0;
  // A run of `kind` of the message box's text over the transport in use, at
  // the delivery time chosen.
  virtual RunStart NewRun(const std::string& kind, const std::string& title) const = 0;
  // Ends the run in the message store and tells of a failure to write it.
  virtual void EndRun() = 0;

  virtual const ControlState& Control(MainControl control) const = 0;
  virtual const ListState& List(MainList list) const = 0;
  virtual void SetEnabled(MainControl control, bool enabled) = 0;
  virtual void SetEnabled(MainList list, bool enabled) = 0;
  virtual void SetChecked(MainControl control, bool checked) = 0;
  // Refills the recipient list when it is stale.
  virtual void RefreshRecipientList() = 0;
  // The phone-book database, for its groups; null without one.
  virtual PhoneBookStore* PhoneBookStoreOrNull() const = 0;

  // Unattended sends (an order, an autosend file) ask for no focus.
  virtual bool CommandLineMode() const = 0;
  virtual bool AutosendInProgress() const = 0;
  virtual void SetAutosendInProgress(bool on) = 0;
  // A mail check holds the transport; no other send may start.
  virtual bool MailCheckRunning() const = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_SEND_HOST_H_
