#include "ui/qt_text.h"

#include "platform/text_codec.h"

namespace tolvane {

QString ToQt(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

std::string FromQt(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

QString MessageToQt(const std::string& text) {
  QString shown = ToQt(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

std::string MessageFromQt(const QString& text) {
  QString typed = text;
  typed.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  typed.replace(QChar(QChar::ParagraphSeparator), QChar('\n'));
  typed.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return FromQt(typed);
}

}  // namespace tolvane
