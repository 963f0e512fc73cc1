#ifndef TOLVANE_PLATFORM_HELP_VIEWER_H_
#define TOLVANE_PLATFORM_HELP_VIEWER_H_

#include <string>

namespace tolvane {

// Shows the help file at its contents; false when it cannot.
class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  virtual bool ShowContents(const std::string& help_file) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_HELP_VIEWER_H_
