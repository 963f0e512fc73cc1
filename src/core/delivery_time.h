#ifndef TOLVANE_CORE_DELIVERY_TIME_H_
#define TOLVANE_CORE_DELIVERY_TIME_H_

#include <optional>
#include <string_view>

#include "platform/event_loop.h"

namespace tolvane {

// The local time a message sent for later is due, from the "ddmmyyhhmm"
// text of the time-to-send dialog (SendState::delivery_time); nothing when
// the text is not such a time.
std::optional<TimePoint> DeliveryTimePoint(std::string_view ddmmyyhhmm);

}  // namespace tolvane

#endif  // TOLVANE_CORE_DELIVERY_TIME_H_
