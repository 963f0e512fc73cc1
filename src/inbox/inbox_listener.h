#ifndef TOLVANE_INBOX_INBOX_LISTENER_H_
#define TOLVANE_INBOX_INBOX_LISTENER_H_

#include "store/stored_records.h"

namespace tolvane {

// Told of every whole message the inbox stored.
class InboxListener {
 public:
  virtual ~InboxListener() = default;
  virtual void Arrived(const StoredMessage& message) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_INBOX_INBOX_LISTENER_H_
