#include "records/quick_messages_window.h"

#include <algorithm>
#include <optional>

#include "platform/text_codec.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

ControlState Captioned(const char* text) {
  ControlState control;
  control.text = text;
  return control;
}

}  // namespace

QuickMessagesWindow::QuickMessagesWindow(QuickMessageStore& store, Dialogs& dialogs,
                                         Clipboard& clipboard,
                                         std::function<void(const std::string&)> on_use)
    : store_(store),
      dialogs_(dialogs),
      clipboard_(clipboard),
      on_use_(std::move(on_use)),
      add_button_(Captioned("&Add >>")),
      delete_button_(Captioned("&Delete")),
      use_button_(Captioned("&Use")),
      close_button_(Captioned("&Close")),
      menu_cut_(Captioned("&Cut")),
      menu_copy_(Captioned("C&opy")),
      menu_paste_(Captioned("&Paste")) {
  entry_box_.max_length = kEntryLimit;
}

void QuickMessagesWindow::Open() {
  closed_ = false;
  ShowAt(position_);
  EditEntry(entry_box_.text);
  focus_request_ = true;
  Changed();
}

void QuickMessagesWindow::Activate() {
  focus_request_ = true;
  Changed();
}

void QuickMessagesWindow::Step(int position) {
  ShowAt(position);
  focus_request_ = true;
  Changed();
}

void QuickMessagesWindow::ShowAt(int position) {
  const int count = store_.Count();
  position_ = std::clamp(position, 1, std::max(count, 1));
  // An empty list shows number 0 and no message.
  shown_message_ = count > 0 ? store_.Message(position_) : "";
  number_ = std::to_string(count > 0 ? position_ : 0);
  total_ = std::to_string(count);
}

void QuickMessagesWindow::EditEntry(const std::string& text) {
  entry_box_.text = EditedText(entry_box_.text, text, kEntryLimit);
  char_count_ = std::to_string(Utf8Length(entry_box_.text));
  UpdateButtons();
  Changed();
}

void QuickMessagesWindow::UpdateButtons() {
  add_button_.enabled = !entry_box_.text.empty();
  delete_button_.enabled = store_.Count() > 0;
  // With nothing shown, "&Use" would only empty the main window's message box.
  use_button_.enabled = store_.Count() > 0;
}

void QuickMessagesWindow::Add() {
  // A text of blanks only would be stored as an empty message.
  if (TrimTrailingBlanks(entry_box_.text).empty()) {
    dialogs_.MessageBox("No message to add!", "What?", MessageIcon::kInformation);
    focus_request_ = true;
    Changed();
    return;
  }
  if (store_.Count() >= QuickMessageStore::kMaxMessages) {
    dialogs_.MessageBox("You can only store 50 message!", "No more message!",
                        MessageIcon::kCritical);
    return;
  }
  // The 400-byte record holds Windows-1252 only.
  if (const std::optional<char32_t> unfit = FirstOutsideCp1252(entry_box_.text)) {
    dialogs_.MessageBox("A quick message cannot hold the character " + CharacterText(*unfit) +
                            "; remove it to store the message.",
                        "Cannot store", MessageIcon::kExclamation);
    focus_request_ = true;
    Changed();
    return;
  }
  store_.Append(entry_box_.text);
  EditEntry("");
  focus_request_ = true;
  ShowAt(store_.Count());
  Save();
  UpdateButtons();
  Changed();
}

void QuickMessagesWindow::Delete() {
  if (store_.Count() < 1) return;
  store_.RemoveEqual(shown_message_);
  ShowAt(position_);
  focus_request_ = true;
  Save();
  UpdateButtons();
  Changed();
}

void QuickMessagesWindow::Use() {
  if (store_.Count() < 1) return;
  on_use_(shown_message_);
  closed_ = true;
  Changed();
}

void QuickMessagesWindow::Close() {
  closed_ = true;
  Changed();
}

void QuickMessagesWindow::Save() {
  if (!store_.Save()) {
    dialogs_.MessageBox("Error while writing to file", "Error", MessageIcon::kExclamation);
  }
}

void QuickMessagesWindow::OnEditMenuOpening(bool text_selected) {
  menu_cut_.enabled = text_selected;
  menu_copy_.enabled = text_selected;
  menu_paste_.enabled = clipboard_.HasText();
  Changed();
}

void QuickMessagesWindow::Cut(int start, int length) {
  if (auto text = CutSelection(clipboard_, entry_box_.text, start, length)) EditEntry(*text);
}

void QuickMessagesWindow::Copy(int start, int length) {
  CopySelection(clipboard_, entry_box_.text, start, length);
}

void QuickMessagesWindow::Paste(int start, int length) {
  if (auto text = PasteOverSelection(clipboard_, entry_box_.text, start, length)) EditEntry(*text);
}

bool QuickMessagesWindow::TakeFocusRequest() {
  bool requested = focus_request_;
  focus_request_ = false;
  return requested;
}

void QuickMessagesWindow::Changed() {
  if (on_changed_) on_changed_();
}

}  // namespace tolvane
