#ifndef TOLVANE_UI_QT_TEXT_H_
#define TOLVANE_UI_QT_TEXT_H_

#include <QString>
#include <string>

namespace tolvane {

// The program's 8-bit text on a widget and back.
QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

// Message texts keep their line breaks as CR LF; multi-line text boxes use a
// bare line feed.
QString MessageToQt(const std::string& text);
std::string MessageFromQt(const QString& text);

}  // namespace tolvane

#endif  // TOLVANE_UI_QT_TEXT_H_
