#ifndef TOLVANE_BULK_GROUP_HOST_H_
#define TOLVANE_BULK_GROUP_HOST_H_

#include <string>

#include "core/send_host.h"

namespace tolvane {

// What group mode and its runs need besides SendHost: the group and member
// lists and the controls they change, the locking of a send, and the steps
// of the message box a run shares with the single send.
class GroupHost : public virtual SendHost {
 public:
  virtual ControlState& Mutable(MainControl control) = 0;
  virtual ListState& MutableList(MainList list) = 0;
  // Called after changes made through Mutable and MutableList.
  virtual void Changed() = 0;
  virtual void RequestFocus(MainControl control) = 0;
  // Disables what a send must not be disturbed by and enables "&Cancel".
  virtual void LockWindow() = 0;
  virtual void UpdateCharCount() = 0;
  // "&Double" as if clicked: a run refuses a ticked one with a box.
  virtual void OnDoubleToggled(bool checked) = 0;
  // Puts the digits of `nummer`, and whether it is international, into SendState.
  virtual void Rensa_Nummer(const std::string& nummer) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_BULK_GROUP_HOST_H_
