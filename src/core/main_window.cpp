#include "core/main_window.h"

#include <algorithm>
#include <utility>

#include "bulk/autosending.h"
#include "bulk/group_sending.h"
#include "core/delivery_time.h"
#include "core/opt_out_check.h"
#include "core/rate_limit.h"
#include "core/receipt_texts.h"
#include "platform/local_file_system.h"
#include "platform/phone_book_store.h"
#include "platform/store_error.h"
#include "records/log_file.h"
#include "records/log_record.h"
#include "text/text_helpers.h"

namespace tolvane {
namespace {

constexpr int kReceiptTickMs = 2000;
constexpr int kReceiptTickLimit = 40;

// What a send locks and its end frees again (with the lists).
constexpr MainControl kLockedWhileSending[] = {MainControl::kNow,
                                               MainControl::kSend,
                                               MainControl::kGroupSending,
                                               MainControl::kMenuMessage,
                                               MainControl::kMenuPhonebook,
                                               MainControl::kMenuSettings,
                                               MainControl::kPhonebookButton,
                                               MainControl::kMessageButton,
                                               MainControl::kDelayNone,
                                               MainControl::kDelayTo};

}  // namespace

MainWindow::MainWindow(ProgramSettings& settings, const MainWindowServices& services,
                       MainWindowHost& host)
    : settings_(settings),
      services_(services),
      host_(host),
      ledger_(services.loop),
      redial_(*this),
      transports_(MakeTransports(services.transports, {*this, services.ports, services.http_client,
                                                       services.files, redial_})),
      receipt_timer_(services.loop.CreateTimer()),
      compose_(std::make_unique<ComposeRules>(*this, services.dialogs, services.clipboard)),
      autosending_(std::make_unique<Autosending>(*this, services.dialogs, services.files)),
      quick_messages_(LocalFileSystem::Instance()) {
  ledger_.Use(services.message_store);
  receipt_timer_->SetInterval(kReceiptTickMs);
  receipt_timer_->SetSingleShot(false);
  receipt_timer_->SetCallback([this] { OnReceiptTimerTick(); });
  mail_ = std::make_unique<MailChecker>(*this, services.loop, services.mail_client,
                                        services.dialler, services.dialogs);

  auto set = [this](MainControl c, std::string text) { Mutable(c).text = std::move(text); };
  set(MainControl::kReceiptFrame, "Receipt:");
  set(MainControl::kTemporaryNumber, "Temporary number");
  set(MainControl::kDouble, "&Double");
  set(MainControl::kUsePrefix1, "Use Prefix1");
  set(MainControl::kUsePrefix2, "Use Prefix2");
  set(MainControl::kDelayNone, "N&one");
  set(MainControl::kDelayTo, "&To...");
  set(MainControl::kSend, "&Send");
  set(MainControl::kCancel, "&Cancel");
  set(MainControl::kGroupSending, "&Groupsending >>");
  set(MainControl::kSendToGroup, "Send to &Group");
  set(MainControl::kMessageButton, "&Message...");
  set(MainControl::kPhonebookButton, "&Phoneb...");
  set(MainControl::kExitButton, "E&xit");
  set(MainControl::kNow, "No&w");
  set(MainControl::kNewMessage, "New message");
  set(MainControl::kAutosending, "&Autosending");
  set(MainControl::kMailchecking, "Mailchec&king");
  set(MainControl::kMenuMessage, "&Message...");
  set(MainControl::kMenuPhonebook, "&Phonebook...");
  set(MainControl::kMenuSettings, "&Settings...");
  set(MainControl::kMenuExit, "E&xit");
  set(MainControl::kMenuCut, "&Cut");
  set(MainControl::kMenuCopy, "C&opy");
  set(MainControl::kMenuPaste, "&Paste");
  set(MainControl::kMenuHelpTopics, "&Help Topics");
  set(MainControl::kMenuAbout, "&About Tolvane...");
  Mutable(MainControl::kUsePrefix1).checked = true;
  Mutable(MainControl::kDelayNone).checked = true;
  Mutable(MainControl::kNumberField).enabled = false;
  Mutable(MainControl::kCancel).enabled = false;
  Mutable(MainControl::kErrorLabel).visible = false;
  MutableList(MainList::kGroups).visible = false;
  MutableList(MainList::kMembers).visible = false;
  Mutable(MainControl::kSendToGroup).visible = false;
  groups_ = std::make_unique<GroupSending>(*this, services.dialogs);
  UpdateCharCount();
}

MainWindow::~MainWindow() = default;

const ControlState& MainWindow::Control(MainControl control) const {
  return controls_[static_cast<size_t>(control)];
}

ControlState& MainWindow::Mutable(MainControl control) {
  return controls_[static_cast<size_t>(control)];
}

const ListState& MainWindow::List(MainList list) const { return lists_[static_cast<size_t>(list)]; }

ListState& MainWindow::MutableList(MainList list) { return lists_[static_cast<size_t>(list)]; }

void MainWindow::Changed() {
  if (on_changed_) on_changed_();
}

void MainWindow::RequestFocus(MainControl control) {
  focus_ = control;
  ++focus_count_;
  Changed();
}

bool MainWindow::SeekPerson(const std::string& name) {
  if (cursor_ == nullptr) return false;
  try {
    return cursor_->SeekName(name);
  } catch (const StoreError&) {
    return false;
  }
}

void MainWindow::OnRecipientChosen(int index) {
  ListState& list = MutableList(MainList::kRecipients);
  if (index < 0 || index >= static_cast<int>(list.items.size())) return;
  list.selected = index;
  ControlState& number = Mutable(MainControl::kNumberField);
  number.text.clear();
  if (SeekPerson(list.items[index])) number.text = cursor_->Field(kFieldTelenummer);
  SetMessageText(state_.saved_text);
}

void MainWindow::RefreshRecipientList() {
  const bool temporary = Control(MainControl::kTemporaryNumber).checked;
  if (recipient_list_stale_) {
    ListState& list = MutableList(MainList::kRecipients);
    list.items.clear();
    list.selected = -1;
    if (!temporary) Mutable(MainControl::kNumberField).text.clear();
    // The list shows what could be read; a failing read ends it early.
    try {
      if (cursor_ != nullptr) {
        // Safe on an empty table, and sees records added since the cursor
        // last moved.
        cursor_->MoveFirst();
        for (; !cursor_->Eof(); cursor_->MoveNext())
          list.items.push_back(cursor_->Field(kFieldNamn));
      }
    } catch (const StoreError&) {
    }
    if (!list.items.empty() && !temporary) OnRecipientChosen(0);
  }
  Changed();
  if (autosend_box_pending_) {
    autosend_box_pending_ = false;
    autosending_->ApplyStartupDefault();
  }
}

void MainWindow::DisableCancel() {
  Mutable(MainControl::kCancel).enabled = false;
  Changed();
}

void MainWindow::SetEnabled(MainControl control, bool enabled) {
  Mutable(control).enabled = enabled;
  Changed();
}

void MainWindow::SetEnabled(MainList list, bool enabled) {
  MutableList(list).enabled = enabled;
  Changed();
}

void MainWindow::SetChecked(MainControl control, bool checked) {
  Mutable(control).checked = checked;
  Changed();
}

void MainWindow::SetComposeEnabled(bool enabled) {
  Mutable(MainControl::kMessageBox).enabled = enabled;
  Mutable(MainControl::kSend).enabled = enabled;
  Changed();
}

void MainWindow::SetErrorLabel(const std::string& text) {
  ControlState& label = Mutable(MainControl::kErrorLabel);
  label.text = text;
  label.visible = !text.empty();
  Changed();
}

void MainWindow::OnTemporaryNumberToggled(bool checked) {
  Mutable(MainControl::kTemporaryNumber).checked = checked;
  ListState& list = MutableList(MainList::kRecipients);
  ControlState& number = Mutable(MainControl::kNumberField);
  list.enabled = !checked;
  list.visible = !checked;
  Mutable(MainControl::kGroupSending).enabled = !checked;
  number.text.clear();
  number.enabled = checked;
  if (checked) {
    if (!command_line_mode_ && !autosend_in_progress_) RequestFocus(MainControl::kNumberField);
  } else if (list.HasSelection()) {
    OnRecipientChosen(list.selected);
  }
  Changed();
}

void MainWindow::OnNumberEdited(const std::string& text) {
  Mutable(MainControl::kNumberField).text = text;
  Changed();
}

void MainWindow::OnPrefixChosen(int prefix) {
  Mutable(MainControl::kUsePrefix1).checked = prefix != 2;
  Mutable(MainControl::kUsePrefix2).checked = prefix == 2;
  Changed();
}

bool MainWindow::GroupMode() const { return groups_->GroupMode(); }

void MainWindow::OnAutosendingClicked(bool checked) { autosending_->OnBoxClicked(checked); }

void MainWindow::OnGroupSendingToggled() { groups_->OnGroupSendingToggled(); }

void MainWindow::OnDelayNone() {
  state_.deferred = false;
  recipient_list_stale_ = false;
  Mutable(MainControl::kDelayNone).checked = true;
  Mutable(MainControl::kDelayTo).checked = false;
  Mutable(MainControl::kDelayTo).text = "&To...";
  Changed();
}

void MainWindow::OnDelayTo() {
  Mutable(MainControl::kDelayNone).checked = false;
  Mutable(MainControl::kDelayTo).checked = true;
  Changed();
  delay_confirmed_ = false;
  host_.OpenTimeToSend();
  // Left without OK (Escape), the dialog chose no time: no delay, and the
  // options say so.
  if (!delay_confirmed_) OnDelayNone();
}

void MainWindow::SetDeliveryTime(const std::string& shown_time, const std::string& delivery_time) {
  delay_confirmed_ = true;
  state_.deferred = true;
  state_.delivery_time = delivery_time;
  Mutable(MainControl::kDelayTo).text = "&To: " + shown_time;
  Changed();
}

void MainWindow::Rensa_Nummer(const std::string& nummer) {
  state_.recipient_number = DigitsOf(nummer);
  state_.recipient_international = TrimBlanks(nummer).starts_with('+');
}

// --- Send dispatch.

void MainWindow::RefuseSend(const std::string& reason) {
  SetReceiptLine(reason);
  state_.sending = false;
  if (!Control(MainControl::kMailchecking).checked) {
    Mutable(MainControl::kNow).enabled = true;
    Mutable(MainControl::kSend).enabled = true;
    Mutable(MainControl::kGroupSending).enabled = true;
  }
  Changed();
}

void MainWindow::StartSend() {
  const bool own_number = std::exchange(state_.to_own_number, false);
  if (mail_check_running_) return;
  SendState& s = state_;
  s.sending = true;
  s.cancelled = s.finished = s.init_failed = s.dial_failed = s.redial_pending = false;
  s.ended = s.later_part = s.attempted = s.online = s.accepted = false;
  s.sender_number.clear();
  s.restore_controls = true;
  s.receipt_ticks = 0;
  s.following_count = 0;

  // The mail forward's text is the mails' own: braces in it are no fields.
  const std::string text = own_number ? EscapeFields(MessageText()) : MessageText();
  if (text.empty()) {
    if (!command_line_mode_ && !autosend_in_progress_) RequestFocus(MainControl::kMessageBox);
    s.sending = false;
    return;
  }
  if (const std::string refusal = compose_->SendRefusal(text); !refusal.empty()) {
    RefuseSend(refusal);
    return;
  }
  // From here a refusal belongs to this send, not to the last run's recipient.
  SetReceiptCaption("Receipt:");
  s.sender_number = DigitsOf(settings_.Avs);

  const bool temporary = Control(MainControl::kTemporaryNumber).checked;
  if (!temporary && !command_line_mode_ && !autosend_in_progress_ && !settings_.NrFranFilOn &&
      !List(MainList::kRecipients).HasSelection()) {
    RefuseSend("No recipient!");
    return;
  }

  s.transaction_reference = 0;
  std::string typed;
  if (temporary) {
    typed = TrimBlanks(Control(MainControl::kNumberField).text);
    Rensa_Nummer(typed);
    s.recipient_name = "Temporary number";
  } else {
    // The person is the cursor's current record, where choosing put it;
    // the cursor is shared, so it is put back on the chosen name first.
    const ListState& list = List(MainList::kRecipients);
    if (list.HasSelection()) SeekPerson(list.SelectedText());
    std::string number;
    s.recipient_name.clear();
    try {
      if (cursor_ != nullptr && !cursor_->Eof() && !cursor_->Bof()) {
        s.recipient_name = cursor_->Field(kFieldNamn);
        number = cursor_->Field(kFieldTelenummer);
      }
    } catch (const StoreError&) {
    }
    typed = number;
    Rensa_Nummer(number);
  }
  // A number without digits reaches nobody: a gateway would even call it delivered.
  if (s.recipient_number.empty()) {
    RefuseSend("No recipient!");
    return;
  }
  const FieldMember recipient{temporary ? "" : s.recipient_name, typed};
  if (const std::string refusal = compose_->RecipientRefusal(text, recipient); !refusal.empty()) {
    RefuseSend(refusal);
    return;
  }
  // Not for the mail forward, to the user's own number.
  const OptOutCheck::Verdict opt_out =
      OptOutCheck(own_number ? nullptr : ledger_.Store())
          .SingleSend(typed, command_line_mode_ || autosend_in_progress_, services_.dialogs);
  if (opt_out == OptOutCheck::Verdict::kKeep) {
    s.sending = false;
    return;
  }
  Transport& transport = ActiveTransport();
  transport.PrepareForSend();
  // Nothing goes before the store holds it.
  const bool refused = opt_out == OptOutCheck::Verdict::kRefuse;
  std::vector<RunRecipient> recipients{
      {s.recipient_name, typed, refused ? kReceiptOptedOut : "", 0, s.message}};
  if (const std::string refusal = ledger_.BeginRun(NewRun("single", ""), recipients);
      !refusal.empty()) {
    RefuseSend(refusal);
    return;
  }
  s.message_id = recipients.front().message_id;
  // A refused send is logged like one that went, and nothing goes.
  s.attempted = refused;
  SetReceiptLine(refused ? kReceiptOptedOut : "");
  LockWindow();
  if (refused || !RateLimit::AwaitNext(*this)) {
    EndSend();
    EndRun();
    return;
  }
  ledger_.MessageGoes(s.message_id);

  if (s.double_message) {
    // The double senders end the send themselves.
    transport.SendDouble();
  } else {
    transport.SendSingle();
    if (!s.ended || s.finished || s.cancelled) {
      // Closing step.
      transport.StopExchange();
      EndSend();
    }
  }
  EndRun();
}

RunStart MainWindow::NewRun(const std::string& kind, const std::string& title) const {
  RunStart start{kind, title, state_.run_source, settings_.AccessTyp, MessageText(), std::nullopt};
  if (state_.deferred) start.scheduled = DeliveryTimePoint(state_.delivery_time);
  return start;
}

void MainWindow::EndRun() {
  ledger_.EndRun(ReceiptLine());
  const std::string error = ledger_.TakeError();
  if (error.empty()) return;
  SetStatusLine(error);
  if (!command_line_mode_ && !autosend_in_progress_) {
    services_.dialogs.MessageBox(error, "Tolvane", MessageIcon::kExclamation);
  }
}

Transport& MainWindow::ActiveTransport() {
  for (RegisteredTransport& registered : transports_) {
    if (registered.access_typ == settings_.AccessTyp) return *registered.transport;
  }
  return *transports_.front().transport;
}

void MainWindow::ConfigureTransports(const std::function<void(int error_number)>& report_error) {
  for (RegisteredTransport& registered : transports_) registered.transport->Configure(report_error);
  // The chosen transport decides how the message box counts.
  UpdateCharCount();
  if (on_configured_) on_configured_();
}

void MainWindow::CancelSend() {
  state_.cancelled = true;
  if (mail_check_running_ && !state_.sending) {
    mail_->Cancel();
  } else if (state_.sending) {
    ActiveTransport().Cancel();
  }
}

void MainWindow::LockWindow() {
  for (MainControl c : kLockedWhileSending) Mutable(c).enabled = false;
  MutableList(MainList::kRecipients).enabled = false;
  Mutable(MainControl::kCancel).enabled = true;
  Changed();
}

void MainWindow::UnlockWindow() {
  for (MainControl c : kLockedWhileSending) Mutable(c).enabled = true;
  Mutable(MainControl::kSendToGroup).enabled = true;
  MutableList(MainList::kRecipients).enabled = true;
  MutableList(MainList::kGroups).enabled = true;
}

void MainWindow::EndSend() {
  SendState& s = state_;
  // A second run for the same send (after Cancel, or the closing step after
  // an exchange that already ended) still hangs up, but must not log twice.
  const bool first_run = !s.ended;
  receipt_timer_->Stop();
  Transport& transport = ActiveTransport();
  transport.StopTimers();
  redial_.Stop();
  if (!s.keep_line) {
    SetStatusLine(transport.ClosingStatus());
    transport.HangUp();
    Mutable(MainControl::kCancel).enabled = false;
    if (s.restore_controls && !Control(MainControl::kAutosending).checked &&
        !Control(MainControl::kMailchecking).checked) {
      UnlockWindow();
      UpdateCharCount();
      if (!command_line_mode_ && !autosend_in_progress_) RequestFocus(MainControl::kMessageBox);
    }
    s.sending = false;
    SetStatusLine("");
  }
  if (first_run) WriteRecords();
  if (!s.keep_line) s.write_receipt_file = false;
  s.ended = true;
  autosend_in_progress_ = false;
  Changed();
}

void MainWindow::WriteRecords() {
  SendState& s = state_;
  if (!s.attempted) return;
  if (s.accepted && ledger_.LeftUnknown(s.message_id)) {
    SetReceiptLine(kReceiptUnknown);
    s.accepted = false;
  }
  WriteRecords(s.recipient_name + " " + s.recipient_number, s.message, s.cancelled, s.message_id);
}

void MainWindow::WriteRecords(const std::string& recipient, const std::string& message,
                              bool cancelled, std::int64_t message_id) {
  const SendState& s = state_;
  // The results come from the receipt line before a write error replaces it.
  const std::string detail = cancelled ? std::string(kReceiptCancelled) : ReceiptLine();
  const std::string receipt_result = ReceiptResult(cancelled, ReceiptLine());
  LogRecord record =
      LogRecord::At(services_.loop.Now(), recipient, LogResult(cancelled, ReceiptLine()), message);
  if (settings_.LoggOn) {
    int error = WriteLogRecord(settings_.ProgramFolder, record);
    if (error != 0) SetReceiptLine(LogWriteErrorText(error));
  }
  if (s.write_receipt_file) {
    record.result = receipt_result;
    int error = Skriv_Kvitto(settings_.ProgramFolder, s.receipt_file_name, record);
    if (error != 0) SetReceiptLine(ReceiptWriteErrorText(error));
  }
  // Ended in the store only once logged: a program that ends in between
  // leaves the message to be logged (again) by the run's continuation.
  ledger_.EndMessage(message_id, detail);
}

void MainWindow::EndMember(const EndedMessage& ended) {
  SetReceiptCaption("Receipt for sending to: " + ended.member.name);
  // The parts sent now were taken, but one written before the program ended
  // never had its answer.
  const bool unknown = ended.accepted && ledger_.LeftUnknown(ended.member.message_id);
  SetReceiptLine(unknown ? kReceiptUnknown : ended.receipt);
  WriteRecords(ended.member.name + " " + ended.member.number, ended.member.message,
               ended.receipt == kReceiptCancelled, ended.member.message_id);
  groups_->NoteAnswer(ended.accepted && !unknown);
}

ReceiveOutcome MainWindow::Receive(const ReceivedPart& part) {
  return inbox_ == nullptr ? ReceiveOutcome::kNotKept : inbox_->Take(settings_.AccessTyp, part);
}

void MainWindow::OnReceiptTimerTick() {
  SendState& s = state_;
  ++s.receipt_ticks;
  if (ActiveTransport().ConnectionLost()) {
    SetReceiptLine(s.cancelled ? "Sending Cancelled." : "Operator closed the connection.");
    s.keep_line = false;
    s.finished = true;
    return;
  }
  if (s.receipt_ticks > kReceiptTickLimit) {
    SetReceiptLine(kReceiptNoReport);
    s.keep_line = false;
    s.finished = true;
  }
}

// --- Lines and boxes.

void MainWindow::SetStatusLine(const std::string& text) {
  Mutable(MainControl::kStatusLine).text = text;
  Mutable(MainControl::kStatusLine).warning = false;
  Changed();
}

void MainWindow::SetReceiptLine(const std::string& text) {
  Mutable(MainControl::kReceiptLine).text = text;
  Changed();
}

const std::string& MainWindow::ReceiptLine() const {
  return Control(MainControl::kReceiptLine).text;
}

void MainWindow::SetReceiptCaption(const std::string& text) {
  Mutable(MainControl::kReceiptFrame).text = text;
  Changed();
}

const std::string& MainWindow::MessageText() const {
  return Control(MainControl::kMessageBox).text;
}

void MainWindow::SetMessageText(const std::string& text) {
  Mutable(MainControl::kMessageBox).text = text;
  // The count follows every change of the box, whoever makes it.
  UpdateCharCount();
}

bool MainWindow::UsePrefix2() const { return Control(MainControl::kUsePrefix2).checked; }

// --- Buttons and menus.

void MainWindow::Exit() { host_.CloseMainWindow(); }

void MainWindow::OpenPhoneBook() {
  if (GroupMode()) OnGroupSendingToggled();
  recipient_list_stale_ = true;
  host_.OpenPhoneBook();
}

void MainWindow::OpenQuickMessages() {
  recipient_list_stale_ = false;
  host_.OpenQuickMessages();
}

void MainWindow::OpenSettings() {
  recipient_list_stale_ = false;
  host_.OpenSettings();
}

void MainWindow::ShowHelpTopics() {
  if (!services_.help_viewer.ShowContents(settings_.HelpFile)) {
    services_.dialogs.MessageBox("Can´t find the helpfile", "Tolvane", MessageIcon::kCritical);
  }
}

}  // namespace tolvane
