#ifndef TOLVANE_API_API_RUN_HOST_H_
#define TOLVANE_API_API_RUN_HOST_H_

#include <string>

#include "bulk/group_host.h"

namespace tolvane {

// The host of a run the HTTP API asked for: the main window's send record,
// transport, lines and log through its GroupHost, but the run's own text
// in place of the message box, and unattended (no focus moves, no box).
class ApiRunHost : public GroupHost {
 public:
  explicit ApiRunHost(GroupHost& window) : window_(window) {}

  // The text of the run that goes next.
  void SetText(std::string text) { text_ = std::move(text); }

  // --- SendContext.
  SendState& State() override { return window_.State(); }
  const ProgramSettings& Settings() const override { return window_.Settings(); }
  EventLoop& Loop() override { return window_.Loop(); }
  PartLedger& Ledger() override { return window_.Ledger(); }
  void SetStatusLine(const std::string& text) override { window_.SetStatusLine(text); }
  void SetReceiptLine(const std::string& text) override { window_.SetReceiptLine(text); }
  const std::string& ReceiptLine() const override { return window_.ReceiptLine(); }
  void SetReceiptCaption(const std::string& text) override { window_.SetReceiptCaption(text); }
  const std::string& MessageText() const override { return text_; }
  void SetMessageText(const std::string& text) override { text_ = text; }
  bool UsePrefix2() const override { return window_.UsePrefix2(); }
  void Beep() override {}
  void StartReceiptTimer() override { window_.StartReceiptTimer(); }
  void StopReceiptTimer() override { window_.StopReceiptTimer(); }
  void EndSend() override { window_.EndSend(); }
  void EndMember(const EndedMessage& ended) override { window_.EndMember(ended); }
  ReceiveOutcome Receive(const ReceivedPart& part) override { return window_.Receive(part); }

  // --- SendHost.
  Transport& ActiveTransport() override { return window_.ActiveTransport(); }
  void StartSend() override {}
  MessageLedger& Messages() override { return window_.Messages(); }
  RunStart NewRun(const std::string& kind, const std::string& title) const override;
  void EndRun() override { window_.EndRun(); }
  const ControlState& Control(MainControl control) const override {
    return window_.Control(control);
  }
  const ListState& List(MainList list) const override { return window_.List(list); }
  void SetEnabled(MainControl control, bool enabled) override {
    window_.SetEnabled(control, enabled);
  }
  void SetEnabled(MainList list, bool enabled) override { window_.SetEnabled(list, enabled); }
  void SetChecked(MainControl control, bool checked) override {
    window_.SetChecked(control, checked);
  }
  void RefreshRecipientList() override {}
  PhoneBookStore* PhoneBookStoreOrNull() const override { return window_.PhoneBookStoreOrNull(); }
  bool CommandLineMode() const override { return true; }
  bool AutosendInProgress() const override { return window_.AutosendInProgress(); }
  void SetAutosendInProgress(bool on) override { window_.SetAutosendInProgress(on); }
  bool MailCheckRunning() const override { return window_.MailCheckRunning(); }

  // --- GroupHost.
  ControlState& Mutable(MainControl control) override { return window_.Mutable(control); }
  ListState& MutableList(MainList list) override { return window_.MutableList(list); }
  void Changed() override { window_.Changed(); }
  void RequestFocus(MainControl) override {}
  void LockWindow() override { window_.LockWindow(); }
  void UpdateCharCount() override { window_.UpdateCharCount(); }
  void OnDoubleToggled(bool checked) override { window_.OnDoubleToggled(checked); }
  void Rensa_Nummer(const std::string& nummer) override { window_.Rensa_Nummer(nummer); }

 private:
  GroupHost& window_;
  std::string text_;
};

}  // namespace tolvane

#endif  // TOLVANE_API_API_RUN_HOST_H_
