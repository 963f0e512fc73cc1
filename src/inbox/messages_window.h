#ifndef TOLVANE_INBOX_MESSAGES_WINDOW_H_
#define TOLVANE_INBOX_MESSAGES_WINDOW_H_

#include <functional>
#include <string>
#include <vector>

#include "bulk/command_line_sending.h"
#include "bulk/order_host.h"
#include "inbox/conversation_names.h"
#include "inbox/inbox_listener.h"
#include "platform/clipboard.h"
#include "platform/desktop_notifier.h"
#include "platform/dialogs.h"
#include "store/conversation_reader.h"
#include "store/message_state_listener.h"
#include "store/opt_out_list.h"

namespace tolvane {

// A line of the list on the left: a conversation, or while a search runs a
// message found.
struct ConversationRow {
  std::string number;
  // The phone-book name, else the number.
  std::string title;
  std::string line;
  std::string time;
  int unread = 0;
};

// A message of the conversation shown.
struct ConversationMessage {
  std::string time;
  std::string text;
  bool incoming = false;
  // For a sent one: "sent", "delivered", "failed", "unknown" or "queued".
  std::string state;
};

// Everything the Messages window needs from outside. `notifier` is null
// where nobody would see a notice (no display).
struct MessagesWindowServices {
  ConversationReader& reader;
  // The main window, whose transport and send path a reply takes.
  OrderHost& host;
  Dialogs& dialogs;
  Clipboard& clipboard;
  DesktopNotifier* notifier = nullptr;
  // The opt-out list the window shows and edits; none without one.
  OptOutList* opt_outs = nullptr;
};

// Presenter of the Messages window: the conversations, the one shown with
// its reply box, search, delete and copy; and, being told of every message
// received, the unread count on the main window's button and the desktop
// notice of a message the user does not see; told of every state a message
// sent reaches, the conversation shown follows its receipts.
class MessagesWindow : public InboxListener, public MessageStateListener {
 public:
  static constexpr int kShownMessages = 500;
  static constexpr int kSearchLimit = 500;
  static constexpr char kCannotReceive[] =
      "This transport cannot receive; replies come only over GSM, SMPP or UCP/EMI.";

  explicit MessagesWindow(const MessagesWindowServices& services);

  // --- What the window renders.
  // The list on the left, fetched page by page as it is scrolled.
  int ListCount() const { return list_count_; }
  std::vector<ConversationRow> ListRows(int offset, int limit) const;
  // "Anna (+46701234567)", or "" when none is chosen.
  const std::string& ShownTitle() const { return shown_title_; }
  const std::string& ShownNumber() const { return shown_number_; }
  const std::vector<ConversationMessage>& ShownMessages() const { return shown_; }
  const std::string& Reply() const { return reply_; }
  // The same counter as the main window's message box.
  const std::string& Counter() const { return counter_; }
  bool CounterOverLimit() const { return over_limit_; }
  bool SendEnabled() const;
  bool DeleteEnabled() const { return !shown_number_.empty(); }
  // The outcome of the last send, or why the store could not be read.
  const std::string& StatusLine() const { return status_; }
  // kCannotReceive when the transport in use cannot, else "".
  std::string ReceiveLine() const;
  // The main window's button: "Messages (3)" (every letter of it is another
  // control's key; the menu entry has Ctrl+M).
  std::string ButtonText() const;
  bool Visible() const { return visible_; }
  // The opt-out list: shown only where there is one.
  bool OptOutsShown() const { return services_.opt_outs != nullptr; }
  const std::vector<std::string>& OptOuts() const { return opt_outs_; }
  const std::string& OptOutNumber() const { return opt_out_number_; }
  bool AddOptOutEnabled() const;

  // Called after any change; the list's rows changed too when `list` is set.
  void SetOnChanged(std::function<void(bool list)> on_changed) {
    on_changed_ = std::move(on_changed);
  }
  // The main window's button shows `caption`; called after any change.
  void SetOnButtonChanged(std::function<void(const std::string& caption)> on_button_changed) {
    on_button_changed_ = std::move(on_button_changed);
  }
  // Shows the window on screen; called by Open.
  void SetOnOpen(std::function<void()> on_open) { on_open_ = std::move(on_open); }

  // --- The user's actions.
  void Open();
  void Closed() { visible_ = false; }
  void OnConversationChosen(const std::string& number);
  void OnReplyEdited(const std::string& text);
  void Send();
  // Shows the messages holding `text` in the list; "" shows the
  // conversations again.
  void OnSearchEdited(const std::string& text);
  void DeleteShown();
  void CopyMessage(int index);
  void OnOptOutNumberEdited(const std::string& text);
  // Puts the number typed on the opt-out list, as the store keeps numbers.
  void AddOptOut();
  void RemoveOptOut(int index);

  // --- Told by the inbox.
  void Arrived(const StoredMessage& message) override;
  // Reads the unread total again (at start and after another program wrote).
  void Refresh();
  // --- Told by the store.
  void MessageStateChanged(const MessageStateChange& change) override;

 private:
  // Runs a read of the store; a failure goes on the status line.
  template <typename Read>
  void Reading(Read read);
  void LoadShown();
  void LoadOptOuts();
  std::string TitleOf(const std::string& number, const std::string& stored_name) const;
  void Changed(bool list);

  MessagesWindowServices services_;
  CommandLineSending sending_;
  ConversationNames names_;
  bool visible_ = false;
  int list_count_ = 0;
  int unread_ = 0;
  std::string search_;
  std::vector<StoredMessage> found_;
  std::string shown_number_;
  std::string shown_title_;
  std::vector<StoredMessage> shown_stored_;
  // All of its messages, also those older than the ones shown.
  int shown_count_ = 0;
  std::vector<ConversationMessage> shown_;
  std::string reply_;
  std::string counter_;
  bool over_limit_ = false;
  std::string status_;
  std::vector<std::string> opt_outs_;
  std::string opt_out_number_;
  std::function<void(bool)> on_changed_;
  std::function<void(const std::string&)> on_button_changed_;
  std::function<void()> on_open_;
};

}  // namespace tolvane

#endif  // TOLVANE_INBOX_MESSAGES_WINDOW_H_
