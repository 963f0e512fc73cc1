#ifndef TOLVANE_CORE_DISPLAY_ENVIRONMENT_H_
#define TOLVANE_CORE_DISPLAY_ENVIRONMENT_H_

#include <functional>
#include <string>

namespace tolvane {

// Reads an environment variable: its value, or nullptr when it is not set.
using EnvironmentVariable = std::function<const char*(const char*)>;

// The Qt platforms to try in turn, for QT_QPA_PLATFORM, so that the program
// runs without windows rather than aborting when no display can be opened:
// on an X11 or Wayland system, the displays that DISPLAY and WAYLAND_DISPLAY
// name (Wayland first), then "offscreen". With neither named (a script over
// ssh, cron) only "offscreen". Empty when Qt is left to choose: a platform
// set in QT_QPA_PLATFORM is always obeyed, and Windows and macOS always have
// a display. An empty value counts as unset, as it does for Qt and Xlib.
std::string QtPlatformChoice(const EnvironmentVariable& variable);

}  // namespace tolvane

#endif  // TOLVANE_CORE_DISPLAY_ENVIRONMENT_H_
