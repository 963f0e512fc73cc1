#ifndef TOLVANE_SMS_REFERENCE_COUNTER_H_
#define TOLVANE_SMS_REFERENCE_COUNTER_H_

#include <cstdint>

namespace tolvane {

// Where the 8-bit reference of a linked message comes from. The recipient's
// phone joins the parts that share a reference, so two linked messages sent
// close together, even across a restart of the program, must not share one.
class ReferenceCounter {
 public:
  virtual ~ReferenceCounter() = default;
  // The next reference, 0 to 255, wrapping after 255.
  virtual uint8_t Next() = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_SMS_REFERENCE_COUNTER_H_
