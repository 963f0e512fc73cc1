#ifndef TOLVANE_BULK_RUN_RESUMPTION_H_
#define TOLVANE_BULK_RUN_RESUMPTION_H_

#include <string>
#include <vector>

#include "bulk/order_host.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/run_ownership.h"
#include "store/stored_records.h"

namespace tolvane {

// Runs cut short, found and finished exactly once. A run is cut short when
// it did not end and the program that owned it no longer runs; the program
// that claims it first in the store continues it. Parts still queued go;
// parts written and never answered go again only when the transport's
// settings ask for it, otherwise their message ends "Unknown". A delayed
// message keeps its time, and is refused as late once that time passed more
// than `[Message] LateAfter` minutes ago.
class RunResumption {
 public:
  RunResumption(OrderHost& window, FileSystem& files) : window_(window), files_(files) {}

  // Claims, for the owner the message ledger names, every run not ended
  // whose owner no longer runs; the runs claimed, oldest first.
  std::vector<StoredRun> ClaimCutShort(RunOwnership& ownership);
  // The runs this program claimed and has not ended yet, those from
  // autosend files or those not.
  std::vector<StoredRun> Claimed(bool from_files) const;

  // "A run to the group Vänner was cut short: 23 of 40 sent."
  std::string Description(const StoredRun& run) const;
  // Each member with the state of its message.
  std::string MembersText(const StoredRun& run) const;
  // Asks what becomes of the run: Continue, Show (then asked again) or Drop.
  // A box closed unanswered leaves it for the next start.
  void Ask(const StoredRun& run, Dialogs& dialogs);

  // Sends what is left of the run now; true when the message of every
  // member it took up was accepted.
  bool Continue(const StoredRun& run);
  // Ends the run with nothing sent: its queued messages refused "Dropped.".
  void Drop(const StoredRun& run);

 private:
  std::vector<StoredMessage> Messages(const StoredRun& run) const;
  // Logs the messages whose outcome came before the program stopped but
  // which were never logged, as their run would have.
  void LogUnlogged(const std::vector<StoredMessage>& messages);
  // Why a delayed message whose time passed too long ago is not sent; empty
  // when it goes.
  std::string LateText(const StoredMessage& message) const;
  // The autosend file of a run a message of which was accepted, before the
  // run was cut short or `accepted_now`, goes as a file sent does.
  void RemoveSource(const StoredRun& run, bool accepted_now);

  OrderHost& window_;
  FileSystem& files_;
};

}  // namespace tolvane

#endif  // TOLVANE_BULK_RUN_RESUMPTION_H_
