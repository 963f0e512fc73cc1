#include "ui/message_text_box.h"

#include <QPlainTextEdit>
#include <QString>
#include <QTextCursor>
#include <algorithm>

namespace tolvane {

void MakeMessageTextBox(QPlainTextEdit* box) { box->setTabChangesFocus(true); }

void ShowMessageText(QPlainTextEdit* box, const QString& text, bool answers_edit) {
  const QString shown = box->toPlainText();
  // Setting the same text again would move the caret while the user types.
  if (shown == text) return;
  // What both share at the start and at the end stays; a surrogate pair is
  // not taken apart.
  const qsizetype shorter = std::min(shown.size(), text.size());
  qsizetype start = 0;
  while (start < shorter && shown[start] == text[start]) ++start;
  if (start > 0 && shown[start - 1].isHighSurrogate()) --start;
  qsizetype end = 0;
  while (end < shorter - start && shown[shown.size() - 1 - end] == text[text.size() - 1 - end]) {
    ++end;
  }
  if (end > 0 && shown[shown.size() - end].isLowSurrogate()) --end;
  const int caret = box->textCursor().position();

  QTextCursor edit(box->document());
  if (answers_edit) {
    edit.joinPreviousEditBlock();
  } else {
    edit.beginEditBlock();
  }
  edit.setPosition(static_cast<int>(start));
  edit.setPosition(static_cast<int>(shown.size() - end), QTextCursor::KeepAnchor);
  edit.insertText(text.mid(start, text.size() - end - start));
  edit.endEditBlock();

  const int length = box->document()->characterCount() - 1;
  QTextCursor shown_caret = box->textCursor();
  if (shown.size() == text.size()) {
    shown_caret.setPosition(std::min(caret, length));
  } else if (answers_edit) {
    shown_caret.setPosition(edit.position());
  } else {
    shown_caret.movePosition(QTextCursor::End);
  }
  box->setTextCursor(shown_caret);
}

}  // namespace tolvane
