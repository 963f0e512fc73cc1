#ifndef TOLVANE_PLATFORM_DESKTOP_NOTIFIER_H_
#define TOLVANE_PLATFORM_DESKTOP_NOTIFIER_H_

#include <string>

namespace tolvane {

// A short notice on the user's desktop, beside any window. Texts are UTF-8.
class DesktopNotifier {
 public:
  virtual ~DesktopNotifier() = default;
  virtual void Notify(const std::string& title, const std::string& body) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_DESKTOP_NOTIFIER_H_
