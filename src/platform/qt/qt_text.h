#ifndef TOLVANE_PLATFORM_QT_QT_TEXT_H_
#define TOLVANE_PLATFORM_QT_QT_TEXT_H_

#include <QString>
#include <string>

#include "platform/text_codec.h"

namespace tolvane {

// The program's 8-bit text and Qt's strings, converted at the widgets.
inline QString ToQString(const std::string& text) {
  return QString::fromStdString(Cp1252ToUtf8(text));
}
inline std::string FromQString(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

// Message texts keep their line breaks as CR LF; multi-line text boxes use a
// bare line feed.
inline QString MessageToQString(const std::string& text) {
  return ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
inline std::string MessageFromQString(const QString& text) {
  QString typed = text;
  typed.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
      .replace(QChar(QChar::ParagraphSeparator), QChar('\n'))
      .replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return FromQString(typed);
}

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_TEXT_H_
