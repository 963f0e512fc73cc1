#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <iostream>

#include "platform/text_codec.h"

namespace tolvane {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
    case MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case MessageIcon::kCritical:
      return QMessageBox::Critical;
    case MessageIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

QString ToQString(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

}  // namespace

MessageAnswer QtDialogs::MessageBox(const std::string& text, const std::string& title,
                                    MessageIcon icon, MessageButtons buttons) {
  const bool yes_no = buttons == MessageButtons::kYesNo;
  if (QGuiApplication::platformName() == "offscreen") {
    std::cerr << Cp1252ToUtf8(title) << ": " << Cp1252ToUtf8(text) << std::endl;
    return yes_no ? MessageAnswer::kNo : MessageAnswer::kOk;
  }
  QMessageBox box(ToQtIcon(icon), ToQString(title), ToQString(text),
                  yes_no ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                  QApplication::activeWindow());
  // The texts may carry user input (names), never markup.
  box.setTextFormat(Qt::PlainText);
  int answer = box.exec();
  if (!yes_no) return MessageAnswer::kOk;
  return answer == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
}

void QtDialogs::Beep() { QApplication::beep(); }

}  // namespace tolvane
