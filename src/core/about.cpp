#include "core/about.h"

namespace tolvane {

std::string ProgramVersion() { return TOLVANE_VERSION; }

std::string AboutText() {
  return "Tolvane 2000\nVersion " + ProgramVersion() +
         "\n\nSends SMS text messages through a modem and the operator's SMS centre, or "
         "through an SMS web gateway.\n\n"
         "Built on Qt 6 (LGPL 3), SQLite (public domain) and libsodium (ISC licence).";
}

}  // namespace tolvane
