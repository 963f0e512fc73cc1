#ifndef TOLVANE_PLATFORM_QT_QT_HELP_VIEWER_H_
#define TOLVANE_PLATFORM_QT_QT_HELP_VIEWER_H_

#include <QString>

#include "platform/help_viewer.h"

namespace tolvane {

// Opens the HTML manual in the desktop's browser.
class QtHelpViewer : public HelpViewer {
 public:
  // The program that hands a file to the desktop's viewer where the desktop
  // services cannot tell whether a viewer took it ("xdg-open" on the free
  // desktops); empty where they can.
  static QString DefaultOpener();

  // `opener` gets the file's URL as its one argument; it failed when it ends
  // with another status than 0 within `grace_ms`. Still running by then, it
  // has handed the file to a viewer.
  explicit QtHelpViewer(QString opener = DefaultOpener(), int grace_ms = 5000)
      : opener_(std::move(opener)), grace_ms_(grace_ms) {}

  bool ShowContents(const std::string& help_file) override;

 private:
  QString opener_;
  int grace_ms_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_HELP_VIEWER_H_
