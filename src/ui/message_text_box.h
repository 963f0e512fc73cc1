#ifndef TOLVANE_UI_MESSAGE_TEXT_BOX_H_
#define TOLVANE_UI_MESSAGE_TEXT_BOX_H_

class QPlainTextEdit;
class QString;

namespace tolvane {

// Makes `box` a message box: Tab and Shift+Tab move the focus on and back
// instead of typing a tab.
void MakeMessageTextBox(QPlainTextEdit* box);

// Shows `text`, the presenter's content of `box`, when it differs from what
// the box shows. Only the part that differs is replaced, as an edit the
// user can undo; `answers_edit` says the presenter took the user's last edit
// only in part, which then is undone together with it. The caret stays where
// it was when only characters were replaced (a pasted tab taken as a blank),
// stays at the edit when the box took an edit in part, and goes to the end of
// a new text.
void ShowMessageText(QPlainTextEdit* box, const QString& text, bool answers_edit = false);

}  // namespace tolvane

#endif  // TOLVANE_UI_MESSAGE_TEXT_BOX_H_
