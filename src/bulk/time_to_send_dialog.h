#ifndef TOLVANE_BULK_TIME_TO_SEND_DIALOG_H_
#define TOLVANE_BULK_TIME_TO_SEND_DIALOG_H_

#include <chrono>
#include <functional>
#include <string>

#include "platform/event_loop.h"

namespace tolvane {

// "Time to send...": a scroll bar counts steps of a little more than a minute
// from the moment the dialog opened; the SMS centre is asked to deliver the
// message at the chosen time. Nothing is queued in the program itself.
class TimeToSendDialog {
 public:
  static constexpr int kMaxPosition = 10068;
  static constexpr int kSmallChange = 1;
  static constexpr int kLargeChange = 60;
  // 0.000695 day: one step shows as one minute, and the last one lies just
  // under seven days ahead.
  static constexpr std::chrono::milliseconds kStep{60048};

  // `now` is when the dialog opens; `on_ok` gets the label's text and the
  // delivery time (ddmmyyhhmm) when the user confirms.
  TimeToSendDialog(
      TimePoint now,
      std::function<void(const std::string& shown, const std::string& delivery)> on_ok);

  static const char* Title() { return "Time to send..."; }
  int Position() const { return position_; }
  // The scroll bar moved; positions outside its range are held to it.
  void SetPosition(int position);
  // The chosen time as the label shows it: the short date, two blanks, hh:mm.
  const std::string& Label() const { return label_; }
  // The chosen time as the submit frame carries it: ddmmyyhhmm.
  const std::string& DeliveryTime() const { return delivery_time_; }
  void Ok();

 private:
  TimePoint start_;
  int position_ = 0;
  std::string label_;
  std::string delivery_time_;
  std::function<void(const std::string&, const std::string&)> on_ok_;
};

}  // namespace tolvane

#endif  // TOLVANE_BULK_TIME_TO_SEND_DIALOG_H_
