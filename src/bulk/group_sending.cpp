#include "bulk/group_sending.h"

#include <algorithm>
#include <memory>

#include "core/compose_rules.h"
#include "core/message_fields.h"
#include "core/opt_out_check.h"
#include "core/rate_limit.h"
#include "core/receipt_texts.h"
#include "phonebook/group_tables.h"
#include "platform/store_error.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr char kListRecipientName[] = "Group";

// What group mode gives back after a run, unless autosending holds them.
constexpr MainControl kFreedAfterGroupRun[] = {
    MainControl::kMenuMessage,  MainControl::kMenuPhonebook,   MainControl::kMenuSettings,
    MainControl::kGroupSending, MainControl::kPhonebookButton, MainControl::kMessageButton,
    MainControl::kSendToGroup,  MainControl::kDelayNone,       MainControl::kDelayTo};

std::string NotANumber(const std::string& number) {
  return "Not a number: " + number + ", skipped.";
}

}  // namespace

GroupSending::GroupSending(GroupHost& window, Dialogs& dialogs)
    : window_(window), dialogs_(dialogs) {}

// --- Group mode.

void GroupSending::OnGroupSendingToggled() {
  if (group_mode_) {
    LeaveGroupMode();
  } else {
    EnterGroupMode();
  }
}

void GroupSending::EnterGroupMode() {
  const bool unattended = window_.CommandLineMode() || window_.AutosendInProgress();
  if (window_.Control(MainControl::kMailchecking).checked && !unattended) {
    dialogs_.MessageBox("Uncheck Mailchecking first!", "Not Mailchecing AND groupsending!",
                        MessageIcon::kCritical);
    return;
  }
  window_.Mutable(MainControl::kMailchecking).enabled = false;
  window_.MutableList(MainList::kMembers).items.clear();
  window_.MutableList(MainList::kMembers).selected = -1;
  group_mode_ = true;
  window_.MutableList(MainList::kRecipients).enabled = false;
  window_.SetMessageText(window_.State().saved_text);
  if (!unattended) window_.RequestFocus(MainControl::kMessageBox);
  window_.Mutable(MainControl::kGroupSending).text = "&Groupsending <<";
  window_.Mutable(MainControl::kNow).enabled = false;
  window_.Mutable(MainControl::kSend).enabled = false;
  window_.MutableList(MainList::kGroups).visible = true;
  window_.MutableList(MainList::kMembers).visible = true;
  window_.Mutable(MainControl::kSendToGroup).visible = true;
  // Group runs carry single messages: a ticked "Double" is refused and cleared.
  if (window_.Control(MainControl::kDouble).checked) window_.OnDoubleToggled(true);
  FillGroupList();
  window_.Changed();
}

void GroupSending::LeaveGroupMode() {
  group_mode_ = false;
  window_.Mutable(MainControl::kGroupSending).text = "&Groupsending >>";
  window_.Mutable(MainControl::kMailchecking).enabled = true;
  if (!window_.Control(MainControl::kAutosending).checked) {
    window_.Mutable(MainControl::kNow).enabled = true;
    window_.Mutable(MainControl::kSend).enabled = true;
    window_.MutableList(MainList::kRecipients).enabled = true;
  }
  window_.MutableList(MainList::kGroups).visible = false;
  window_.MutableList(MainList::kMembers).visible = false;
  window_.Mutable(MainControl::kSendToGroup).visible = false;
  window_.RefreshRecipientList();
}

void GroupSending::FillGroupList() {
  ListState& groups = window_.MutableList(MainList::kGroups);
  groups.items.clear();
  groups.selected = -1;
  if (PhoneBookStore* store = window_.PhoneBookStoreOrNull()) {
    try {
      groups.items = GroupNames(*store);
    } catch (const StoreError&) {
    }
  }
  if (!groups.items.empty()) OnGroupChosen(0);
}

void GroupSending::OnGroupChosen(int index) {
  ListState& groups = window_.MutableList(MainList::kGroups);
  if (index < 0 || index >= static_cast<int>(groups.items.size())) return;
  groups.selected = index;
  ListState& members = window_.MutableList(MainList::kMembers);
  members.items.clear();
  members.selected = -1;
  if (PhoneBookStore* store = window_.PhoneBookStoreOrNull()) {
    try {
      members.items = MemberNames(*store, groups.items[index]);
    } catch (const StoreError&) {
    }
  }
  // Outside double mode the count shows the 160-character limit.
  window_.UpdateCharCount();
}

// --- Runs.

void GroupSending::ResetRun() {
  SendState& s = window_.State();
  s.keep_line = s.ended = s.cancelled = s.finished = false;
  s.init_failed = s.dial_failed = s.redial_pending = s.attempted = false;
  s.receipt_ticks = 0;
  s.recipient_number.clear();
  s.restore_controls = true;
  run_members_ = 0;
  run_accepted_ = 0;
}

void GroupSending::Refuse(const std::string& reason) {
  window_.SetReceiptLine(reason);
  window_.State().sending = false;
}

std::string GroupSending::TextRefusal(const std::string& text) {
  if (text.empty()) return "The message is empty.";
  // A frame carries at most 160 characters, and text an order or a file put
  // into the box is not held to the box's limit.
  Transport& transport = window_.ActiveTransport();
  if (!transport.SplitsLongMessages() &&
      Utf8Length(text) > static_cast<size_t>(ComposeRules::kSingleLimit)) {
    return "Message exceeds 160 character!";
  }
  return transport.RefusalOf(text);
}

bool GroupSending::PrepareRun(std::vector<Recipient>& recipients, bool fill) {
  SendState& s = window_.State();
  const std::string& text = window_.MessageText();
  if (text.empty()) {
    if (!window_.CommandLineMode() && !window_.AutosendInProgress()) {
      window_.RequestFocus(MainControl::kMessageBox);
    }
    s.sending = false;
    return false;
  }
  if (fill) {
    if (const std::string problem = FieldProblem(text); !problem.empty()) {
      Refuse(problem);
      return false;
    }
    for (Recipient& r : recipients) {
      r.text = FillFields(text, {r.name == kListRecipientName ? "" : r.name, r.number});
    }
  }
  // One text for all is refused as a whole, before the run is stored; a
  // member's own text that cannot go skips that member alone.
  const bool same = std::all_of(recipients.begin(), recipients.end(), [&](const Recipient& r) {
    return r.text == recipients.front().text;
  });
  if (same) {
    s.message = recipients.empty() ? text : recipients.front().text;
    if (const std::string refusal = TextRefusal(s.message); !refusal.empty()) {
      Refuse(refusal);
      return false;
    }
  } else {
    for (Recipient& r : recipients) {
      if (r.skipped.empty()) r.skipped = TextRefusal(r.text);
    }
  }
  window_.SetReceiptLine("");
  window_.SetReceiptCaption("Receipt:");
  s.sender_number = DigitsOf(window_.Settings().Avs);
  window_.LockWindow();
  window_.MutableList(MainList::kGroups).enabled = false;
  window_.Mutable(MainControl::kSendToGroup).enabled = false;
  window_.Changed();
  return true;
}

void GroupSending::SendToGroup() {
  if (window_.MailCheckRunning()) return;
  SendState& s = window_.State();
  s.sending = true;
  ResetRun();
  const ListState& groups = window_.List(MainList::kGroups);
  if (groups.items.empty()) {
    Refuse("No group exist!");
    return;
  }
  OnGroupChosen(groups.HasSelection() ? groups.selected : 0);
  const std::string group = groups.SelectedText();
  s.recipient_name = group;
  if (window_.List(MainList::kMembers).items.empty()) {
    Refuse("No recipients!");
    return;
  }
  std::vector<Recipient> recipients = GroupRecipients(group);
  if (!PrepareRun(recipients, true)) return;
  SendRun(std::move(recipients), true, group);
  RestoreGroupMode();
}

void GroupSending::SandGruppAuto() {
  if (window_.MailCheckRunning()) return;
  SendState& s = window_.State();
  s.sending = true;
  ResetRun();
  s.recipient_name = kListRecipientName;
  std::vector<Recipient> recipients = ListRecipients();
  if (!PrepareRun(recipients, true)) return;
  SendRun(std::move(recipients), false, "");
}

void GroupSending::SendRun(std::vector<Recipient> recipients, bool highlight,
                           const std::string& title) {
  SkipOptedOut(recipients);
  // Nothing goes before the store holds every member.
  std::vector<RunRecipient> stored;
  for (const Recipient& recipient : recipients) {
    stored.push_back({recipient.name, recipient.number, recipient.skipped, 0, recipient.text});
  }
  MessageLedger& ledger = window_.Messages();
  const std::string refusal =
      ledger.BeginRun(window_.NewRun(title.empty() ? "list" : "group", title), stored);
  if (!refusal.empty()) {
    window_.SetReceiptLine(refusal);
    window_.EndSend();
    return;
  }
  for (size_t i = 0; i < recipients.size(); ++i) recipients[i].message_id = stored[i].message_id;
  SendQueued(recipients, highlight);
}

void GroupSending::ResumeRun(const StoredRun& run, const std::vector<RunRecipient>& members,
                             std::map<std::int64_t, std::vector<int>> pending) {
  SendState& s = window_.State();
  s.sending = true;
  ResetRun();
  s.recipient_name = run.title.empty() ? kListRecipientName : run.title;
  std::vector<Recipient> recipients;
  std::vector<std::int64_t> messages;
  for (const RunRecipient& member : members) {
    const std::string& text = member.text.empty() ? window_.MessageText() : member.text;
    recipients.push_back(
        {member.name, member.number_typed, member.skipped, text, member.message_id});
    messages.push_back(member.message_id);
  }
  // A member who opted out since the run began is not sent to either.
  SkipOptedOut(recipients);
  window_.Messages().ResumeRun(run.id, run.transport, std::move(messages), std::move(pending));
  if (!PrepareRun(recipients, false)) {
    // The transport cannot carry the text now: the run ends with the reason.
    window_.EndRun();
    return;
  }
  // The run keeps the receipt choice it was queued with, on every start.
  s.no_receipt = !run.receipt;
  SendQueued(recipients, false);
  s.no_receipt = false;
}

void GroupSending::SendQueued(const std::vector<Recipient>& recipients, bool highlight) {
  run_members_ = static_cast<int>(recipients.size());
  const bool any_sendable = std::any_of(recipients.begin(), recipients.end(),
                                        [](const Recipient& r) { return r.skipped.empty(); });
  if (any_sendable) {
    SendMembers(recipients, highlight);
  } else {
    SkipAll(recipients, highlight);
  }
  ReportRun();
  window_.EndRun();
}

void GroupSending::SkipAll(const std::vector<Recipient>& recipients, bool highlight) {
  SendState& s = window_.State();
  // Logged like the members of any run; the last one's end frees the window.
  s.attempted = true;
  s.keep_line = true;
  for (int i = 0; i < static_cast<int>(recipients.size()); ++i) {
    BeginMember(recipients, i, highlight);
  }
  // A run that reached nobody failed: an autosend file stays and is tried
  // again like one whose call failed.
  s.finished = true;
}

void GroupSending::ReportRun() {
  const int not_sent = run_members_ - run_accepted_;
  std::string text;
  if (not_sent > 0) {
    text = std::to_string(not_sent) + " of " + std::to_string(run_members_) + " members not sent";
    if (window_.Settings().LoggOn) text += ", see the log";
  }
  window_.SetStatusLine(text);
}

std::vector<GroupSending::Recipient> GroupSending::GroupRecipients(const std::string& group) {
  std::vector<Recipient> recipients;
  std::unique_ptr<RecordCursor> table;
  try {
    if (PhoneBookStore* store = window_.PhoneBookStoreOrNull()) table = store->OpenCursor(group);
  } catch (const StoreError&) {
  }
  for (const std::string& line : window_.List(MainList::kMembers).items) {
    Recipient& recipient = recipients.emplace_back(Recipient{line, "", "", ""});
    bool found = false;
    try {
      found = table != nullptr && table->SeekName(line);
      if (found) {
        recipient.name = table->Field(kFieldNamn);
        recipient.number = table->Field(kFieldTelenummer);
      }
    } catch (const StoreError&) {
      found = false;
    }
    if (!found) {
      recipient.skipped = "No record of " + line + " in the group, skipped.";
    } else if (DigitsOf(recipient.number).empty()) {
      recipient.skipped = NotANumber(recipient.number);
    }
  }
  return recipients;
}

std::vector<GroupSending::Recipient> GroupSending::ListRecipients() const {
  std::vector<Recipient> recipients;
  for (const std::string& number : group_members_) {
    recipients.push_back(
        {kListRecipientName, number, DigitsOf(number).empty() ? NotANumber(number) : "", ""});
  }
  return recipients;
}

std::vector<FieldMember> GroupSending::ChosenMembers() {
  const ListState& groups = window_.List(MainList::kGroups);
  std::vector<FieldMember> members;
  if (!groups.HasSelection()) return members;
  for (const Recipient& recipient : GroupRecipients(groups.SelectedText())) {
    if (recipient.skipped.empty()) members.push_back({recipient.name, recipient.number});
  }
  return members;
}

void GroupSending::SkipOptedOut(std::vector<Recipient>& recipients) const {
  const OptOutCheck opt_outs(window_.Messages().Store());
  for (Recipient& recipient : recipients) {
    if (recipient.skipped.empty() && !opt_outs.Match(recipient.number).empty()) {
      recipient.skipped = kReceiptOptedOut;
    }
  }
}

bool GroupSending::BeginMember(const std::vector<Recipient>& recipients, int index,
                               bool highlight) {
  SendState& s = window_.State();
  const Recipient& recipient = recipients[index];
  if (highlight) window_.MutableList(MainList::kMembers).selected = index;
  s.ended = false;
  // The last member's exchange hangs up.
  if (index == static_cast<int>(recipients.size()) - 1) s.keep_line = false;
  if (!recipient.skipped.empty()) {
    Skip(recipient);
    return false;
  }
  window_.Rensa_Nummer(recipient.number);
  s.recipient_name = recipient.name;
  s.message = recipient.text;
  s.receipt_ticks = 0;
  s.message_id = recipient.message_id;
  if (!RateLimit::AwaitNext(window_)) return false;
  window_.Messages().MessageGoes(s.message_id);
  return true;
}

void GroupSending::Skip(const Recipient& recipient) {
  SendState& s = window_.State();
  s.message_id = recipient.message_id;
  s.recipient_name = recipient.name;
  s.message = recipient.text;
  window_.Rensa_Nummer(recipient.number);
  window_.SetReceiptLine(recipient.skipped);
  // Logs the member like any other; the last one also ends the run.
  window_.EndSend();
}

void GroupSending::SendMembers(const std::vector<Recipient>& recipients, bool highlight) {
  SendState& s = window_.State();
  Transport& transport = window_.ActiveTransport();
  if (!transport.OpenRun()) return;
  int following = 0;
  for (const Recipient& recipient : recipients) following += recipient.skipped.empty();
  const int count = static_cast<int>(recipients.size());
  bool interrupted = false;
  for (int i = 0; i < count; ++i) {
    if (!BeginMember(recipients, i, highlight)) {
      // Cancelled while the rate limits held the member back.
      interrupted = s.cancelled;
      if (interrupted) break;
      continue;
    }
    s.accepted = false;
    const bool answered = transport.SendMember(--following);
    // A positive answer counts even when the notification never comes.
    NoteAnswer(s.accepted);
    if (!answered) {
      interrupted = true;
      break;
    }
  }
  transport.CloseRun(interrupted);
}

void GroupSending::RestoreGroupMode() {
  window_.Mutable(MainControl::kSend).enabled = false;
  window_.Mutable(MainControl::kNow).enabled = false;
  window_.Mutable(MainControl::kCancel).enabled = false;
  window_.MutableList(MainList::kRecipients).enabled = false;
  window_.MutableList(MainList::kGroups).enabled = true;
  if (!window_.Control(MainControl::kAutosending).checked) {
    for (MainControl control : kFreedAfterGroupRun) window_.Mutable(control).enabled = true;
  }
  window_.Changed();
}

}  // namespace tolvane
