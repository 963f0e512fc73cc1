#ifndef TOLVANE_STORE_OPT_OUT_LIST_H_
#define TOLVANE_STORE_OPT_OUT_LIST_H_

#include <string>
#include <vector>

#include "platform/event_loop.h"

namespace tolvane {

// The numbers that asked to receive nothing more, as the store keeps them
// (in international form when the number says its country).
class OptOutList {
 public:
  virtual ~OptOutList() = default;
  virtual std::vector<std::string> OptOuts() const = 0;
  virtual void SetOptedOut(const std::string& number, bool opted_out, TimePoint now) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_STORE_OPT_OUT_LIST_H_
