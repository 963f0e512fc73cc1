#ifndef TOLVANE_UI_MESSAGE_TEXT_BOX_H_
#define TOLVANE_UI_MESSAGE_TEXT_BOX_H_

class QPlainTextEdit;
class QString;

namespace tolvane {

// Makes `box` a message box: Tab and Shift+Tab move the focus on and back
// instead of typing a tab.
void MakeMessageTextBox(QPlainTextEdit* box);

// Shows `text`, the presenter's content of `box`, when it differs from what
// the box shows. The caret goes to the end of a new text, but stays where it
// was when only characters were replaced (a pasted tab taken as a blank).
void ShowMessageText(QPlainTextEdit* box, const QString& text);

}  // namespace tolvane

#endif  // TOLVANE_UI_MESSAGE_TEXT_BOX_H_
