#ifndef TOLVANE_SIM_SCHEDULER_H_
#define TOLVANE_SIM_SCHEDULER_H_

#include <functional>

namespace tolvane::sim {

// Runs `action` after `milliseconds`: virtual time in the tests, the poll loop
// of tools/modem-sim in real time. The simulated peers pace their answers with it.
using Scheduler = std::function<void(int milliseconds, std::function<void()> action)>;

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SCHEDULER_H_
