#ifndef TOLVANE_PLATFORM_QT_QT_TEXT_H_
#define TOLVANE_PLATFORM_QT_QT_TEXT_H_

#include <QString>
#include <string>

#include "platform/text_codec.h"

namespace tolvane {

// The program's UTF-8 text and Qt's strings, converted at the widgets.
inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string FromQString(const QString& text) { return text.toStdString(); }

// Message texts (and the clipboard's) keep their line breaks as CR LF inside
// the program; Qt's multi-line boxes and the clipboard use a bare line feed.
inline QString MessageToQString(const std::string& text) { return ToQString(LineBreaksToLf(text)); }
inline std::string MessageFromQString(const QString& text) {
  QString typed = text;
  typed.replace(QChar(QChar::ParagraphSeparator), QChar('\n'));
  return LineBreaksToCrLf(FromQString(typed));
}

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_TEXT_H_
