#ifndef TOLVANE_BULK_AUTOSEND_HOST_H_
#define TOLVANE_BULK_AUTOSEND_HOST_H_

#include "bulk/order_host.h"

namespace tolvane {

// What autosending needs besides sending orders: closing the program after
// a pass when the settings ask for it.
class AutosendHost : public OrderHost {
 public:
  virtual void Exit() = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_BULK_AUTOSEND_HOST_H_
