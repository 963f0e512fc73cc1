#ifndef TOLVANE_PLATFORM_QT_QT_HELP_VIEWER_H_
#define TOLVANE_PLATFORM_QT_QT_HELP_VIEWER_H_

#include "platform/help_viewer.h"

namespace tolvane {

// Opens the HTML manual in the desktop's browser.
class QtHelpViewer : public HelpViewer {
 public:
  bool ShowContents(const std::string& help_file) override;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_HELP_VIEWER_H_
