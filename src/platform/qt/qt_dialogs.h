#ifndef TOLVANE_PLATFORM_QT_QT_DIALOGS_H_
#define TOLVANE_PLATFORM_QT_QT_DIALOGS_H_

#include <string>

#include "platform/dialogs.h"

namespace tolvane {

// Message boxes as QMessageBox over the active window. Without a display (the
// offscreen platform) a box is written to standard error as "title: text" and
// takes its safe default answer at once (OK, or No), so an unattended run
// never waits for a click.
class QtDialogs : public Dialogs {
 public:
  MessageAnswer MessageBox(const std::string& text, const std::string& title, MessageIcon icon,
                           MessageButtons buttons = MessageButtons::kOk) override;
  void MessageBoxWithDetails(const std::string& text, const std::string& title, MessageIcon icon,
                             const std::string& details) override;
  void Beep() override;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_DIALOGS_H_
