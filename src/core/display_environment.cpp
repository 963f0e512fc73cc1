#include "core/display_environment.h"

namespace tolvane {

bool RunsWithoutDisplay(const EnvironmentVariable& variable) {
#if defined(_WIN32) || defined(__APPLE__)
  (void)variable;
  return false;
#else
  auto set = [&variable](const char* name) {
    const char* value = variable(name);
    return value != nullptr && *value != '\0';
  };
  return !set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY");
#endif
}

}  // namespace tolvane
