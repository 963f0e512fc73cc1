#include "platform/qt/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <iostream>
#include <utility>
#include <vector>

#include "platform/text_codec.h"
#include "text/text_helpers.h"

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

QString ToQString(const std::string& text) { return QString::fromStdString(LineBreaksToLf(text)); }

// Without a window a box is one line on standard error, which a journal
// keeps as one record.
std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : LineBreaksToLf(text)) {
    if (c != '\n') {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  return TrimTrailingBlanks(line);
}

}  // namespace

MessageAnswer QtDialogs::MessageBox(const std::string& text, const std::string& title,
                                    MessageIcon icon, MessageButtons buttons) {
  if (QGuiApplication::platformName() == "offscreen") {
    std::cerr << title << ": " << OneLine(text) << std::endl;
    return UnansweredBox(buttons);
  }
  QMessageBox::StandardButtons shown = QMessageBox::Ok;
  if (buttons == MessageButtons::kYesNo) shown = QMessageBox::Yes | QMessageBox::No;
  if (buttons == MessageButtons::kSaveDiscardCancel) {
    shown = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
  }
  QMessageBox box(ToQtIcon(icon), ToQString(title), ToQString(text), shown,
                  QApplication::activeWindow());
  // The texts may carry user input (names), never markup.
  box.setTextFormat(Qt::PlainText);
  if (buttons == MessageButtons::kContinueShowDrop) {
    box.setStandardButtons(QMessageBox::NoButton);
    const std::pair<const char*, MessageAnswer> choices[] = {
        {"&Continue", MessageAnswer::kContinue},
        {"&Show", MessageAnswer::kShow},
        {"&Drop", MessageAnswer::kDrop}};
    std::vector<std::pair<QAbstractButton*, MessageAnswer>> added;
    for (const auto& [label, answer] : choices) {
      added.emplace_back(box.addButton(QString::fromUtf8(label), QMessageBox::ActionRole), answer);
    }
    // Escape and the frame's close leave the choice for later.
    box.addButton(QMessageBox::Cancel)->hide();
    box.exec();
    for (const auto& [button, answer] : added) {
      if (box.clickedButton() == button) return answer;
    }
    return UnansweredBox(buttons);
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return MessageAnswer::kYes;
    case QMessageBox::No:
      return MessageAnswer::kNo;
    case QMessageBox::Save:
      return MessageAnswer::kSave;
    case QMessageBox::Discard:
      return MessageAnswer::kDiscard;
    case QMessageBox::Cancel:
      return MessageAnswer::kCancel;
    default:
      // Closed by Escape or its frame.
      return UnansweredBox(buttons);
  }
}

void QtDialogs::MessageBoxWithDetails(const std::string& text, const std::string& title,
                                      MessageIcon icon, const std::string& details) {
  if (QGuiApplication::platformName() == "offscreen") {
    std::cerr << title << ": " << OneLine(text) << "\n" << LineBreaksToLf(details) << std::endl;
    return;
  }
  QMessageBox box(ToQtIcon(icon), ToQString(title), ToQString(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  // Behind "Show Details...", the box's own button.
  box.setDetailedText(ToQString(details));
  box.exec();
}

void QtDialogs::Beep() { QApplication::beep(); }

}  // namespace tolvane
