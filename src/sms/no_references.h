#ifndef TOLVANE_SMS_NO_REFERENCES_H_
#define TOLVANE_SMS_NO_REFERENCES_H_

#include <cstdint>

#include "sms/reference_counter.h"

namespace tolvane {

// For splitting a text only to count or check its parts: it uses up no
// reference of the real counter.
class NoReferences : public ReferenceCounter {
 public:
  uint8_t Next() override { return 0; }
};

}  // namespace tolvane

#endif  // TOLVANE_SMS_NO_REFERENCES_H_
