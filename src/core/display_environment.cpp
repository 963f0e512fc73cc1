#include "core/display_environment.h"

namespace tolvane {

std::string QtPlatformChoice(const EnvironmentVariable& variable) {
#if defined(_WIN32) || defined(__APPLE__)
  (void)variable;
  return {};
#else
  auto set = [&variable](const char* name) {
    const char* value = variable(name);
    return value != nullptr && *value != '\0';
  };
  if (set("QT_QPA_PLATFORM")) return {};
  std::string platforms;
  if (set("WAYLAND_DISPLAY")) platforms += "wayland;";
  if (set("DISPLAY")) platforms += "xcb;";
  return platforms + "offscreen";
#endif
}

}  // namespace tolvane
