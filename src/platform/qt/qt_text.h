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

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_TEXT_H_
