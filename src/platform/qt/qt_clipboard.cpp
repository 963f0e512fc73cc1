#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/text_codec.h"

namespace tolvane {

bool QtClipboard::HasText() const { return !QGuiApplication::clipboard()->text().isEmpty(); }

std::string QtClipboard::Text() const {
  return Utf8ToCp1252(QGuiApplication::clipboard()->text().toStdString());
}

void QtClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(Cp1252ToUtf8(text)));
}

}  // namespace tolvane
