#ifndef TOLVANE_TESTS_FUZZ_SEND_ENDED_H_
#define TOLVANE_TESTS_FUZZ_SEND_ENDED_H_

#include <cstdio>
#include <functional>
#include <string>

#include "bulk/group_sending.h"
#include "core/main_window.h"
#include "fuzz_check.h"

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

// The two sends of a session's fuzz target: the one the script answers (a
// run of three, as a list order starts one, when `run`; otherwise one to a
// temporary number), then, once `hand_over` gave the line to the simulated
// peer, one more, which must be delivered. Each must end cleanly.
inline void ScriptedThenSoundSend(MainWindow& window, const std::function<bool()>& line_open,
                                  const std::string& text, bool run,
                                  const std::function<void()>& hand_over) {
  window.OnMessageEdited(text);
  if (run) {
    window.Groups().SetGroupMembers({"0701", "0702", "0703"});
    window.SetAutosendInProgress(true);
    window.Groups().SandGruppAuto();
    window.SetAutosendInProgress(false);
  } else {
    window.OnTemporaryNumberToggled(true);
    window.OnNumberEdited("+46701234567");
    window.StartSend();
  }
  FUZZ_CHECK(SendEndedCleanly(window, line_open()));

  hand_over();
  window.OnTemporaryNumberToggled(true);
  window.OnNumberEdited("+46701234567");
  window.OnMessageEdited("Again");
  window.StartSend();
  FUZZ_CHECK(SendEndedCleanly(window, line_open()));
  const std::string& receipt = window.Control(MainControl::kReceiptLine).text;
  if (receipt != "Message delivered.") {
    std::fprintf(stderr, "second send: receipt \"%s\"\n", receipt.c_str());
    FUZZ_CHECK(false);
  }
}

}  // namespace tolvane

#endif  // TOLVANE_TESTS_FUZZ_SEND_ENDED_H_
