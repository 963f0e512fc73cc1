#ifndef TOLVANE_BULK_ORDER_HOST_H_
#define TOLVANE_BULK_ORDER_HOST_H_

#include <string>

#include "core/send_host.h"

namespace tolvane {

class GroupSending;

// What an order needs besides SendHost: the group runs, and the temporary
// number it sends a single message to.
class OrderHost : public virtual SendHost {
 public:
  virtual GroupSending& Groups() = 0;
  virtual void OnTemporaryNumberToggled(bool checked) = 0;
  virtual void OnNumberEdited(const std::string& text) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_BULK_ORDER_HOST_H_
