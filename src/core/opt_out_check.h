#ifndef TOLVANE_CORE_OPT_OUT_CHECK_H_
#define TOLVANE_CORE_OPT_OUT_CHECK_H_

#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "store/opt_out_list.h"

namespace tolvane {

// The numbers that asked to receive no more messages, as a send sees them
// when it starts. A number written in the national form ("070-123 45 67")
// is the same as the international one on the list.
class OptOutCheck {
 public:
  // What becomes of a single send to a number on the list.
  enum class Verdict { kSend, kKeep, kRefuse };

  // The list as it is now; an empty one without a list or when it cannot
  // be read (the send then fails on the store itself).
  explicit OptOutCheck(const OptOutList* list);

  // The listed number `typed` reaches; empty when none.
  std::string Match(const std::string& typed) const;
  // An unattended send (an order, autosending) is refused; in the window
  // the user is asked, and kKeep means No.
  Verdict SingleSend(const std::string& typed, bool unattended, Dialogs& dialogs) const;

 private:
  std::vector<std::string> numbers_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_OPT_OUT_CHECK_H_
