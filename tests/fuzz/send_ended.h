#ifndef TOLVANE_TESTS_FUZZ_SEND_ENDED_H_
#define TOLVANE_TESTS_FUZZ_SEND_ENDED_H_

#include <cstdio>

#include "core/main_window.h"

namespace tolvane {

// A send is over as the user must see it: "&Send" usable, "&Cancel" not, the
// line (a port, a connection) closed. Says what it saw otherwise.
inline bool SendEndedCleanly(const MainWindow& window, bool line_open) {
  const bool clean = window.Control(MainControl::kSend).enabled &&
                     !window.Control(MainControl::kCancel).enabled && !line_open;
  if (!clean) {
    std::fprintf(stderr, "receipt \"%s\", send %d, cancel %d, line open %d\n",
                 window.Control(MainControl::kReceiptLine).text.c_str(),
                 window.Control(MainControl::kSend).enabled,
                 window.Control(MainControl::kCancel).enabled, line_open);
  }
  return clean;
}

}  // namespace tolvane

#endif  // TOLVANE_TESTS_FUZZ_SEND_ENDED_H_
