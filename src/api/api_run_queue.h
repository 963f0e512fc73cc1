#ifndef TOLVANE_API_API_RUN_QUEUE_H_
#define TOLVANE_API_API_RUN_QUEUE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "api/api_run_host.h"
#include "bulk/group_sending.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"

namespace tolvane {

// The runs the HTTP API queued in the message store, sent one after the
// other through the group runs of the window's transport: each when its
// time has come and the program is idle (no send, mail check or autosend
// file under way, and no wait of one on the stack, since one thread cannot
// start a send inside another's wait). A run still here when the program
// ends stays open in the store for the next start to continue.
class ApiRunQueue {
 public:
  ApiRunQueue(GroupHost& window, Dialogs& dialogs);
  ~ApiRunQueue();
  ApiRunQueue(const ApiRunQueue&) = delete;
  ApiRunQueue& operator=(const ApiRunQueue&) = delete;

  // Sends `run` (queued in the store) at `at` or, without a time, as soon as
  // the program is idle.
  void Add(std::int64_t run, std::optional<TimePoint> at);
  // Takes a run that has not begun out of the queue; false when it is not
  // waiting here (being sent, or never queued by this program).
  bool Withdraw(std::int64_t run);
  int Waiting() const { return static_cast<int>(waiting_.size()); }

 private:
  // Sends the first run due when the program is idle.
  void SendDue();

  GroupHost& window_;
  ApiRunHost host_;
  GroupSending groups_;
  std::unique_ptr<Timer> timer_;
  // Runs by id with the time each may go.
  std::map<std::int64_t, TimePoint> waiting_;
  bool sending_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_API_API_RUN_QUEUE_H_
