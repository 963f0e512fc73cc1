#ifndef TOLVANE_CORE_MAIN_WINDOW_H_
#define TOLVANE_CORE_MAIN_WINDOW_H_

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "bulk/autosend_host.h"
#include "bulk/group_host.h"
#include "core/compose_rules.h"
#include "core/control_state.h"
#include "core/main_controls.h"
#include "core/main_window_host.h"
#include "core/message_ledger.h"
#include "core/program_settings.h"
#include "core/redial_countdown.h"
#include "core/send_context.h"
#include "core/send_state.h"
#include "core/transport.h"
#include "core/transport_registry.h"
#include "inbox/inbox.h"
#include "mail/mail_checker.h"
#include "mail/mail_host.h"
#include "platform/clipboard.h"
#include "platform/dialler.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/file_system.h"
#include "platform/help_viewer.h"
#include "platform/http_client.h"
#include "platform/mail_client.h"
#include "platform/phone_book_store.h"
#include "platform/record_cursor.h"
#include "records/quick_message_store.h"

namespace tolvane {

class GroupSending;
class Autosending;

// Everything the main window needs from outside.
struct MainWindowServices {
  EventLoop& loop;
  // The transports offered, and the ports and connections they talk through.
  const TransportList& transports;
  TransportPorts& ports;
  HttpClient& http_client;
  Dialogs& dialogs;
  Clipboard& clipboard;
  HelpViewer& help_viewer;
  FileSystem& files;
  MailClient& mail_client;
  Dialler& dialler;
  // The message store; without it every send is refused until the program
  // gives one (`MainWindow::Messages().Use`).
  MessageStore* message_store = nullptr;
};

// Presenter of the main window: compose rules, recipient choice, the send
// dispatch and its end. It owns the state of every control; the window on
// screen renders it and forwards the user's actions.
class MainWindow : public GroupHost, public AutosendHost, public MailHost {
 public:
  static constexpr int kSingleLimit = ComposeRules::kSingleLimit;
  static constexpr int kDoubleLimit = ComposeRules::kDoubleLimit;

  MainWindow(ProgramSettings& settings, const MainWindowServices& services, MainWindowHost& host);
  ~MainWindow() override;

  // --- What the window renders.
  const std::string& Caption() const { return caption_; }
  const ControlState& Control(MainControl control) const override;
  const ListState& List(MainList list) const override;
  // The control that asked for the focus last, with a counter that grows on
  // every request so a repeated request is seen.
  MainControl FocusRequest() const { return focus_; }
  int FocusRequestCount() const { return focus_count_; }
  // Called after every change of the state above.
  void SetOnChanged(std::function<void()> on_changed) { on_changed_ = std::move(on_changed); }

  // --- The user's actions.
  void OnMessageEdited(const std::string& text) { compose_->OnMessageEdited(text); }
  void OnDoubleToggled(bool checked) override { compose_->OnDoubleToggled(checked); }
  void OnRecipientChosen(int index);
  void OnTemporaryNumberToggled(bool checked) override;
  void OnNumberEdited(const std::string& text) override;
  void OnPrefixChosen(int prefix);  // 1 or 2
  void OnGroupSendingToggled();
  // "Delayed sending": "N&one", "&To..." (opens "Time to send...", and
  // chooses "N&one" again when it is left without OK), and that dialog's OK
  // with the time it shows and the delivery time (ddmmyyhhmm).
  void OnDelayNone();
  void OnDelayTo();
  void SetDeliveryTime(const std::string& shown_time, const std::string& delivery_time);
  void OnAutosendingClicked(bool checked);
  void StartSend() override;
  void CancelSend();
  void NewMessage() { compose_->NewMessage(); }
  void Exit() override;
  void OpenPhoneBook();
  void OpenQuickMessages();
  // "&Use" in the quick-message window: the message goes into the message
  // box and the saved text.
  void UseQuickMessage(const std::string& text) { compose_->UseQuickMessage(text); }
  void OpenSettings();
  void ShowHelpTopics();
  void ShowAbout() { host_.OpenAbout(); }
  // Edit menu: called before it opens, then the chosen entry acts on the
  // message box's selection (start and length, in characters).
  void OnEditMenuOpening(bool text_selected) { compose_->OnEditMenuOpening(text_selected); }
  void Cut(int start, int length) { compose_->Cut(start, length); }
  void Copy(int start, int length) { compose_->Copy(start, length); }
  void Paste(int start, int length) { compose_->Paste(start, length); }

  // --- Program-wide state other parts set.
  void SetCommandLineMode(bool on) { command_line_mode_ = on; }
  bool CommandLineMode() const override { return command_line_mode_; }
  void SetAutosendInProgress(bool on) override { autosend_in_progress_ = on; }
  bool AutosendInProgress() const override { return autosend_in_progress_; }
  bool GroupMode() const;
  void SetMailCheckRunning(bool on) override { mail_check_running_ = on; }
  bool MailCheckRunning() const override { return mail_check_running_; }
  // The cursor on the phone book's people, open for the whole run.
  void SetPhoneBookCursor(RecordCursor* cursor) { cursor_ = cursor; }
  RecordCursor* PhoneBookCursor() const { return cursor_; }
  // The phone-book database, for its groups.
  void SetPhoneBookStore(PhoneBookStore* store) { store_ = store; }
  // What the transports receive goes there; refused until it is set.
  void SetInbox(Inbox* inbox) { inbox_ = inbox; }
  // Called once the transports took new settings.
  void SetOnConfigured(std::function<void()> on_configured) {
    on_configured_ = std::move(on_configured);
  }
  PhoneBookStore* PhoneBookStoreOrNull() const override { return store_; }
  // The quick messages, loaded at start-up and kept for the whole run.
  QuickMessageStore& QuickMessages() { return quick_messages_; }
  // Refills the recipient list when it is stale, and applies the autosend
  // default at the first call after start-up.
  void RefreshRecipientList() override;
  void SetRecipientListStale(bool stale) { recipient_list_stale_ = stale; }
  bool RecipientListStale() const { return recipient_list_stale_; }
  void SetAutosendBoxPending(bool pending) { autosend_box_pending_ = pending; }

  // Where the window stands: state 0 normal, 1 minimised, 2 maximised, and
  // the left and top edges in twips. Start-up sets it before the window shows.
  struct Placement {
    int state = 0;
    int x = 0;
    int y = 0;
  };
  const std::optional<Placement>& PlacementToRestore() const { return placement_; }
  void RestorePlacement(const Placement& placement) { placement_ = placement; }
  // Start-up and command-line sending lock or free the box and "&Send".
  void SetComposeEnabled(bool enabled);
  void DisableCancel();
  // For the modes that lock and free the window's commands.
  void SetEnabled(MainControl control, bool enabled) override;
  void SetEnabled(MainList list, bool enabled) override;
  void SetChecked(MainControl control, bool checked) override;
  void SetErrorLabel(const std::string& text) override;
  // The 320-character mode sends the message box as a double message
  // whatever "&Double" shows; off, the 160-character mode.
  void SetDoubleMode(bool on) override { compose_->SetDoubleMode(on); }

  void UpdateCharCount() override { compose_->UpdateCharCount(); }
  void Rensa_Nummer(const std::string& nummer) override;

  // --- SendContext.
  SendState& State() override { return state_; }
  const ProgramSettings& Settings() const override { return settings_; }
  EventLoop& Loop() override { return services_.loop; }
  PartLedger& Ledger() override { return ledger_; }
  MessageLedger& Messages() override { return ledger_; }
  RunStart NewRun(const std::string& kind, const std::string& title) const override;
  void EndRun() override;
  void SetStatusLine(const std::string& text) override;
  void SetReceiptLine(const std::string& text) override;
  const std::string& ReceiptLine() const override;
  void SetReceiptCaption(const std::string& text) override;
  const std::string& MessageText() const override;
  void SetMessageText(const std::string& text) override;
  bool UsePrefix2() const override;
  void Beep() override { services_.dialogs.Beep(); }
  void StartReceiptTimer() override { receipt_timer_->Start(); }
  void StopReceiptTimer() override { receipt_timer_->Stop(); }
  void EndSend() override;
  void EndMember(const EndedMessage& ended) override;
  ReceiveOutcome Receive(const ReceivedPart& part) override;

  // The transport `AccessTyp` chooses.
  Transport& ActiveTransport() override;
  // Every transport offered, as the settings dialog lists them.
  const TransportList& Transports() const { return services_.transports; }
  // Start-up and the settings dialog: every transport takes the settings over.
  void ConfigureTransports(const std::function<void(int error_number)>& report_error = nullptr);
  RedialCountdown& Redial() override { return redial_; }
  // Group mode and the group runs.
  GroupSending& Groups() override { return *groups_; }
  const GroupSending& Groups() const { return *groups_; }
  MailChecker& Mail() { return *mail_; }

  // --- For the modes the window owns: its controls and its own steps.
  ControlState& Mutable(MainControl control) override;
  ListState& MutableList(MainList list) override;
  void Changed() override;
  void RequestFocus(MainControl control) override;
  // Disables what a send must not be disturbed by and enables "&Cancel".
  void LockWindow() override;
  // Enables again what a send locked, with the group list and "Send to &Group".
  void UnlockWindow();

 private:
  // Ends a send before it starts: the reason on the receipt line, and
  // "No&w", "&Send" and "&Groupsending >>" enabled again.
  void RefuseSend(const std::string& reason);
  void OnReceiptTimerTick();
  // Moves the cursor to the person named `name`; false when there is none.
  bool SeekPerson(const std::string& name);
  // The log line and the asked-for receipt file line of the send, the
  // result taken from the receipt line, and the message's end in the store.
  // An accepted message with a part left unknown by an earlier program
  // (MessageLedger::LeftUnknown) is logged "Unknown" and not accepted.
  void WriteRecords();
  void WriteRecords(const std::string& recipient, const std::string& message, bool cancelled,
                    std::int64_t message_id);

  ProgramSettings& settings_;
  MainWindowServices services_;
  MainWindowHost& host_;
  SendState state_;
  MessageLedger ledger_;
  RedialCountdown redial_;
  std::vector<RegisteredTransport> transports_;
  std::unique_ptr<Timer> receipt_timer_;
  std::unique_ptr<ComposeRules> compose_;
  std::unique_ptr<GroupSending> groups_;
  std::unique_ptr<Autosending> autosending_;
  std::unique_ptr<MailChecker> mail_;

  std::string caption_ = "Tolvane 2000";
  std::array<ControlState, static_cast<size_t>(MainControl::kCount)> controls_;
  std::array<ListState, static_cast<size_t>(MainList::kCount)> lists_;
  RecordCursor* cursor_ = nullptr;
  PhoneBookStore* store_ = nullptr;
  Inbox* inbox_ = nullptr;
  std::function<void()> on_configured_;
  QuickMessageStore quick_messages_;
  bool recipient_list_stale_ = true;
  bool autosend_box_pending_ = false;
  bool delay_confirmed_ = false;  // "Time to send..." ended with OK
  std::optional<Placement> placement_;
  MainControl focus_ = MainControl::kMessageBox;
  int focus_count_ = 0;
  std::function<void()> on_changed_;

  bool command_line_mode_ = false;
  bool autosend_in_progress_ = false;
  bool mail_check_running_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_MAIN_WINDOW_H_
