#ifndef TOLVANE_MAIL_MAIL_HOST_H_
#define TOLVANE_MAIL_MAIL_HOST_H_

#include <string>

#include "core/redial_countdown.h"
#include "core/send_host.h"

namespace tolvane {

// What the mail check needs besides SendHost: its error label, telling that
// it runs, the message box's 320-character mode for the summary, and the
// countdown before a busy line is dialled again.
class MailHost : public virtual SendHost {
 public:
  virtual void SetErrorLabel(const std::string& text) = 0;
  virtual void SetMailCheckRunning(bool on) = 0;
  virtual void SetDoubleMode(bool on) = 0;
  virtual RedialCountdown& Redial() = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_MAIL_MAIL_HOST_H_
