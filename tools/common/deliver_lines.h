#ifndef TOLVANE_TOOLS_COMMON_DELIVER_LINES_H_
#define TOLVANE_TOOLS_COMMON_DELIVER_LINES_H_

#include <QSocketNotifier>
#include <functional>
#include <string>

#include "sim/sim_delivery.h"

namespace tolvane::tools {

// Reads standard input while the tool runs: each line "deliver FROM TEXT"
// goes to `deliver`; a refused order, and any other line that is not blank,
// are named on standard error. Nothing happens once the input ends.
class DeliverLines {
 public:
  using Deliver = std::function<bool(const sim::DeliverOrder&, std::string& refusal)>;
  explicit DeliverLines(Deliver deliver);

 private:
  void Read();

  Deliver deliver_;
  QSocketNotifier notifier_;
  std::string pending_;
};

}  // namespace tolvane::tools

#endif  // TOLVANE_TOOLS_COMMON_DELIVER_LINES_H_
