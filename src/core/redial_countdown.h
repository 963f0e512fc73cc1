#ifndef TOLVANE_CORE_REDIAL_COUNTDOWN_H_
#define TOLVANE_CORE_REDIAL_COUNTDOWN_H_

#include <memory>

#include "core/send_context.h"
#include "platform/event_loop.h"

namespace tolvane {

// The wait before a busy line is dialled again, counted down second by second
// on the status line. The modem's call to the SMS centre and the mail check's
// dial-up connection share it.
class RedialCountdown {
 public:
  explicit RedialCountdown(SendContext& context);

  // Counts the 16 seconds down; returns early when the send is cancelled.
  void Wait();
  void Stop();

 private:
  SendContext& context_;
  std::unique_ptr<Timer> timer_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_REDIAL_COUNTDOWN_H_
