#include "inbox/messages_window.h"

#include <algorithm>

#include "platform/local_time.h"
#include "platform/store_error.h"
#include "sms/compose_counter.h"
#include "sms/number_forms.h"
#include "sms/sms_address.h"

namespace tolvane {

namespace {

constexpr char kReadError[] = "The message store could not be read: ";

std::string TimeText(TimePoint time) { return ShortDateText(time) + " " + HourMinuteText(time); }

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

// What became of a sent message, in the words of the conversation.
std::string StateText(MessageState state) {
  switch (state) {
    case MessageState::kQueued:
    case MessageState::kWriting:
      return "queued";
    case MessageState::kAccepted:
      return "sent";
    case MessageState::kDelivered:
      return "delivered";
    case MessageState::kRefused:
    case MessageState::kFailed:
    case MessageState::kExpired:
      return "failed";
    case MessageState::kUnknown:
    case MessageState::kReceived:
      break;
  }
  return "unknown";
}

}  // namespace

MessagesWindow::MessagesWindow(const MessagesWindowServices& services)
    : services_(services), sending_(services.host) {
  OnReplyEdited("");
}

template <typename Read>
void MessagesWindow::Reading(Read read) {
  try {
    read();
  } catch (const StoreError& error) {
    status_ = kReadError + std::string(error.what());
  }
}

std::vector<ConversationRow> MessagesWindow::ListRows(int offset, int limit) const {
  std::vector<ConversationRow> rows;
  if (!search_.empty()) {
    const int end = std::min<int>(offset + limit, static_cast<int>(found_.size()));
    for (int i = offset; i < end; ++i) {
      const StoredMessage& message = found_[i];
      rows.push_back({message.number, TitleOf(message.number, message.name),
                      FirstLine(message.text), TimeText(message.created), 0});
    }
    return rows;
  }
  try {
    for (const Conversation& conversation : services_.reader.Conversations(offset, limit)) {
      rows.push_back({conversation.number, TitleOf(conversation.number, conversation.name),
                      conversation.last_line, TimeText(conversation.last_time),
                      conversation.unread});
    }
  } catch (const StoreError&) {
    // The count read before says what is wrong; the rows stay empty.
  }
  return rows;
}

std::string MessagesWindow::TitleOf(const std::string& number,
                                    const std::string& stored_name) const {
  std::string name = names_.NameOf(number);
  if (name.empty()) name = stored_name;
  return name.empty() ? number : name;
}

bool MessagesWindow::SendEnabled() const {
  return !shown_number_.empty() && !reply_.empty() && !over_limit_ &&
         !services_.host.State().sending && !services_.host.MailCheckRunning();
}

std::string MessagesWindow::ReceiveLine() const {
  return services_.host.ActiveTransport().CanReceive() ? "" : kCannotReceive;
}

std::string MessagesWindow::ButtonText() const {
  return unread_ > 0 ? "Messages (" + std::to_string(unread_) + ")" : "Messages";
}

void MessagesWindow::Changed(bool list) {
  if (on_changed_) on_changed_(list);
  if (on_button_changed_) on_button_changed_(ButtonText());
}

void MessagesWindow::Open() {
  // The phone book may have changed since the window was last open.
  names_.Update(services_.host.PhoneBookStoreOrNull());
  visible_ = true;
  status_.clear();
  LoadOptOuts();
  Refresh();
  if (!shown_number_.empty()) OnConversationChosen(shown_number_);
  if (on_open_) on_open_();
}

void MessagesWindow::Refresh() {
  Reading([this] {
    unread_ = services_.reader.UnreadTotal();
    if (search_.empty()) list_count_ = services_.reader.ConversationCount();
  });
  Changed(true);
}

void MessagesWindow::OnConversationChosen(const std::string& number) {
  shown_number_ = number;
  const int unread_before = unread_;
  Reading([&] {
    services_.reader.MarkRead(number);
    unread_ = services_.reader.UnreadTotal();
  });
  LoadShown();
  // The list is read again only to show an unread count that went.
  Changed(unread_ != unread_before);
}

void MessagesWindow::LoadShown() {
  shown_stored_.clear();
  shown_.clear();
  shown_count_ = 0;
  Reading([this] {
    shown_count_ = services_.reader.MessageCount(shown_number_);
    shown_stored_ = services_.reader.Messages(
        shown_number_, std::max(0, shown_count_ - kShownMessages), kShownMessages);
  });
  std::string stored_name;
  for (const StoredMessage& message : shown_stored_) {
    shown_.push_back({TimeText(message.created), message.text, message.incoming,
                      message.incoming ? "" : StateText(message.state)});
    if (!message.name.empty()) stored_name = message.name;
  }
  const std::string title = TitleOf(shown_number_, stored_name);
  shown_title_ = shown_number_.empty() || title == shown_number_
                     ? shown_number_
                     : title + " (" + shown_number_ + ")";
}

void MessagesWindow::OnReplyEdited(const std::string& text) {
  reply_ = text;
  const ComposeCounter counter = CountForCompose(text, services_.host.Settings().MaxParts);
  counter_ = counter.text;
  over_limit_ = counter.over_limit;
  Changed(false);
}

void MessagesWindow::Send() {
  if (!SendEnabled()) return;
  const OrderOutcome outcome = sending_.SendReply(shown_number_, reply_);
  status_ = services_.host.ReceiptLine();
  if (outcome == OrderOutcome::kAccepted) OnReplyEdited("");
  LoadShown();
  Refresh();
}

void MessagesWindow::OnSearchEdited(const std::string& text) {
  search_ = text;
  found_.clear();
  if (!text.empty()) {
    Reading([this] { found_ = services_.reader.Search(search_, kSearchLimit); });
    list_count_ = static_cast<int>(found_.size());
  }
  Refresh();
}

void MessagesWindow::DeleteShown() {
  if (shown_number_.empty()) return;
  const std::string question = "Delete the conversation with " + shown_title_ + " (" +
                               std::to_string(shown_count_) + " messages)?";
  if (services_.dialogs.MessageBox(question, "Messages", MessageIcon::kQuestion,
                                   MessageButtons::kYesNo) != MessageAnswer::kYes) {
    return;
  }
  Reading([this] { services_.reader.Delete(shown_number_); });
  shown_number_.clear();
  LoadShown();
  OnSearchEdited(search_);
}

void MessagesWindow::CopyMessage(int index) {
  if (index < 0 || index >= static_cast<int>(shown_.size())) return;
  services_.clipboard.SetText(shown_[index].text);
}

void MessagesWindow::Arrived(const StoredMessage& message) {
  names_.Update(services_.host.PhoneBookStoreOrNull());
  const bool seen = visible_ && message.number == shown_number_;
  if (message.flash && !seen) {
    // Shown at once, as a phone shows it, rather than only announced.
    shown_number_ = message.number;
    Open();
  } else if (seen) {
    OnConversationChosen(message.number);
  } else if (services_.notifier != nullptr) {
    services_.notifier->Notify(TitleOf(message.number, message.name), FirstLine(message.text));
  }
  if (!search_.empty()) OnSearchEdited(search_);
  Refresh();
}

void MessagesWindow::MessageStateChanged(const MessageStateChange& change) {
  if (!visible_ || !SameNumber(change.number, shown_number_)) return;
  LoadShown();
  Changed(false);
}

bool MessagesWindow::AddOptOutEnabled() const {
  // A sender's name cannot be sent to, so it needs no opting out.
  const std::string number = NormalisedNumber(opt_out_number_);
  return OptOutsShown() && !number.empty() &&
         number.find_first_not_of("+0123456789") == std::string::npos;
}

void MessagesWindow::LoadOptOuts() {
  if (!OptOutsShown()) return;
  Reading([this] { opt_outs_ = services_.opt_outs->OptOuts(); });
}

void MessagesWindow::OnOptOutNumberEdited(const std::string& text) {
  opt_out_number_ = text;
  Changed(false);
}

void MessagesWindow::AddOptOut() {
  if (!AddOptOutEnabled()) return;
  Reading([this] {
    services_.opt_outs->SetOptedOut(NormalisedNumber(opt_out_number_), true,
                                    services_.host.Loop().Now());
  });
  opt_out_number_.clear();
  LoadOptOuts();
  Changed(false);
}

void MessagesWindow::RemoveOptOut(int index) {
  if (!OptOutsShown() || index < 0 || index >= static_cast<int>(opt_outs_.size())) return;
  Reading([&] {
    services_.opt_outs->SetOptedOut(opt_outs_[index], false, services_.host.Loop().Now());
  });
  LoadOptOuts();
  Changed(false);
}

}  // namespace tolvane
