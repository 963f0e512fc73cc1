#include "ui/message_text_box.h"

#include <QPlainTextEdit>
#include <QString>
#include <QTextCursor>

namespace tolvane {

void MakeMessageTextBox(QPlainTextEdit* box) { box->setTabChangesFocus(true); }

void ShowMessageText(QPlainTextEdit* box, const QString& text) {
  const QString shown = box->toPlainText();
  // Setting the same text again would move the caret while the user types.
  if (shown == text) return;
  const int caret = box->textCursor().position();
  box->setPlainText(text);
  if (shown.size() == text.size()) {
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(caret);
    box->setTextCursor(cursor);
  } else {
    box->moveCursor(QTextCursor::End);
  }
}

}  // namespace tolvane
