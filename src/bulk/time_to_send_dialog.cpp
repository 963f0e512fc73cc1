#include "bulk/time_to_send_dialog.h"

#include <algorithm>
#include <utility>

#include "platform/local_time.h"

namespace tolvane {

TimeToSendDialog::TimeToSendDialog(
    TimePoint now, std::function<void(const std::string&, const std::string&)> on_ok)
    : start_(now), on_ok_(std::move(on_ok)) {
  // Confirmed at once, the dialog means the time it shows: now.
  SetPosition(0);
}

void TimeToSendDialog::SetPosition(int position) {
  position_ = std::clamp(position, 0, kMaxPosition);
  const TimePoint chosen = start_ + position_ * kStep;
  label_ = ShortDateText(chosen) + "  " + HourMinuteText(chosen);
  delivery_time_ = LocalTimeText(chosen, "%d%m%y%H%M");
}

void TimeToSendDialog::Ok() {
  if (on_ok_) on_ok_(label_, delivery_time_);
}

}  // namespace tolvane
