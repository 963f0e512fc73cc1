#ifndef TOLVANE_CORE_COMPOSE_RULES_H_
#define TOLVANE_CORE_COMPOSE_RULES_H_

#include <string>

#include "core/field_preview.h"

namespace tolvane {

class Clipboard;
class Dialogs;
class MainWindow;

// The main window's message box: what it takes of an edit, its count on the
// status line, "&Double", the saved text and the Edit menu, and which texts
// a send refuses before any transport is reached.
//
// With the modem or the gateway the box holds 160 characters, or 320 with
// "&Double". With a transport that splits, the box takes whatever is typed
// or pasted and counts as a phone does; a text of more than `[Message]
// MaxParts` parts is never cut, but shown over the limit and refused by Send.
class ComposeRules {
 public:
  static constexpr int kSingleLimit = 160;
  static constexpr int kDoubleLimit = 320;

  ComposeRules(MainWindow& window, Dialogs& dialogs, Clipboard& clipboard);

  void UpdateCharCount();
  // Every change the user makes to the box: typed, pasted, dropped, cut or
  // undone.
  void OnMessageEdited(const std::string& text);
  void OnDoubleToggled(bool checked);
  void SetDoubleMode(bool on);
  // Why a single send of the box's `text` is refused before the recipient
  // is known; empty when it may go. A text with fields is checked for them
  // here, and its filled text by RecipientRefusal.
  std::string SendRefusal(const std::string& text);
  // Fills the fields of `text` for the recipient into SendState's message;
  // why that text is refused, or empty when it may go.
  std::string RecipientRefusal(const std::string& text, const FieldMember& recipient);

  void NewMessage();
  void UseQuickMessage(const std::string& text);
  void OnEditMenuOpening(bool text_selected);
  void Cut(int start, int length);
  void Copy(int start, int length);
  void Paste(int start, int length);

 private:
  MainWindow& window_;
  Dialogs& dialogs_;
  // Why `text`, as it goes, is refused.
  std::string TextRefusal(const std::string& text);

  Clipboard& clipboard_;
  FieldPreview preview_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_COMPOSE_RULES_H_
