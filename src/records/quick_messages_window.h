#ifndef TOLVANE_RECORDS_QUICK_MESSAGES_WINDOW_H_
#define TOLVANE_RECORDS_QUICK_MESSAGES_WINDOW_H_

#include <functional>
#include <string>
#include <utility>

#include "core/control_state.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "records/quick_message_store.h"

namespace tolvane {

// The quick-message window: steps through the stored messages with a scroll
// bar, adds the text of its entry box, deletes the shown message (and every
// equal one that is not its direct neighbour), and hands the shown message to
// the main window. Every change is written to the store at once. Texts are
// UTF-8, line breaks CR LF.
class QuickMessagesWindow {
 public:
  static constexpr int kEntryLimit = 320;

  // `on_use` puts a message into the main window's message box.
  QuickMessagesWindow(QuickMessageStore& store, Dialogs& dialogs, Clipboard& clipboard,
                      std::function<void(const std::string&)> on_use);

  // Called after every action that changed what the window shows.
  void SetOnChanged(std::function<void()> on_changed) { on_changed_ = std::move(on_changed); }

  // Shows the message at the scroll position, as the window opens.
  void Open();
  // The window came to the front: the entry box gets the focus.
  void Activate();
  // The scroll bar was moved to `position`.
  void Step(int position);
  void EditEntry(const std::string& text);
  void Add();
  void Delete();
  void Use();
  // The "&Close" button; nothing needs saving (every change is written).
  void Close();
  // Edit menu: called before it opens, then the chosen entry acts on the
  // entry box's selection (start and length, in characters).
  void OnEditMenuOpening(bool text_selected);
  void Cut(int start, int length);
  void Copy(int start, int length);
  void Paste(int start, int length);

  static const char* Title() { return "Quick messages"; }
  // The message shown, without its padding, and its number "of" the total.
  const std::string& ShownMessage() const { return shown_message_; }
  const std::string& Number() const { return number_; }
  const std::string& Total() const { return total_; }
  // The scroll bar runs from 1 to its maximum, the count.
  int ScrollMaximum() const { return store_.Count(); }
  int ScrollPosition() const { return position_; }
  const ControlState& EntryBox() const { return entry_box_; }
  // The entry box's live length, beside "Number of character (max 320)".
  const std::string& CharCount() const { return char_count_; }
  const ControlState& AddButton() const { return add_button_; }
  const ControlState& DeleteButton() const { return delete_button_; }
  const ControlState& UseButton() const { return use_button_; }
  const ControlState& CloseButton() const { return close_button_; }
  const ControlState& MenuCut() const { return menu_cut_; }
  const ControlState& MenuCopy() const { return menu_copy_; }
  const ControlState& MenuPaste() const { return menu_paste_; }
  // The entry box asked for the focus; reading clears the request.
  bool TakeFocusRequest();
  // "&Use" or "&Close" ended the window.
  bool Closed() const { return closed_; }

 private:
  // Shows the message at `position`, held to the scroll bar's range.
  void ShowAt(int position);
  // Rewrites the store; a failure is told, the list in memory stays.
  void Save();
  void UpdateButtons();
  void Changed();

  QuickMessageStore& store_;
  Dialogs& dialogs_;
  Clipboard& clipboard_;
  std::function<void(const std::string&)> on_use_;
  std::function<void()> on_changed_;

  int position_ = 1;
  std::string shown_message_;
  std::string number_;
  std::string total_;
  std::string char_count_;
  ControlState entry_box_;
  ControlState add_button_;
  ControlState delete_button_;
  ControlState use_button_;
  ControlState close_button_;
  ControlState menu_cut_;
  ControlState menu_copy_;
  ControlState menu_paste_;
  bool focus_request_ = false;
  bool closed_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_RECORDS_QUICK_MESSAGES_WINDOW_H_
