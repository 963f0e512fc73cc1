#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/qt_text.h"

namespace tolvane {

bool QtClipboard::HasText() const { return !QGuiApplication::clipboard()->text().isEmpty(); }

// Qt gives the clipboard's line breaks as LF and writes them the platform's way.
std::string QtClipboard::Text() const {
  return MessageFromQString(QGuiApplication::clipboard()->text());
}

void QtClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setText(MessageToQString(text));
}

}  // namespace tolvane
