#ifndef TOLVANE_PLATFORM_QT_QT_DESKTOP_NOTIFIER_H_
#define TOLVANE_PLATFORM_QT_QT_DESKTOP_NOTIFIER_H_

#include "platform/desktop_notifier.h"

namespace tolvane {

// Notices through the desktop's notification service
// (org.freedesktop.Notifications on the session bus). The call is sent
// without waiting for its answer; without a session bus nothing is shown.
class QtDesktopNotifier : public DesktopNotifier {
 public:
  void Notify(const std::string& title, const std::string& body) override;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_DESKTOP_NOTIFIER_H_
