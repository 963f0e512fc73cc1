#ifndef TOLVANE_CORE_DISPLAY_ENVIRONMENT_H_
#define TOLVANE_CORE_DISPLAY_ENVIRONMENT_H_

#include <functional>

namespace tolvane {

// Reads an environment variable: its value, or nullptr when it is not set.
using EnvironmentVariable = std::function<const char*(const char*)>;

// Whether the program must run without a display: on an X11 or Wayland
// system (not Windows or macOS, which always have one) neither DISPLAY nor
// WAYLAND_DISPLAY names a display, as for a script run over ssh or from cron,
// and QT_QPA_PLATFORM chooses no platform. A platform chosen there is never
// overridden. An empty value counts as unset, as it does for Qt and Xlib.
bool RunsWithoutDisplay(const EnvironmentVariable& variable);

}  // namespace tolvane

#endif  // TOLVANE_CORE_DISPLAY_ENVIRONMENT_H_
