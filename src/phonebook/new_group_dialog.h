#ifndef TOLVANE_PHONEBOOK_NEW_GROUP_DIALOG_H_
#define TOLVANE_PHONEBOOK_NEW_GROUP_DIALOG_H_

#include <string>

#include "core/control_state.h"
#include "phonebook/group_panel.h"
#include "platform/dialogs.h"

namespace tolvane {

// "Save as...": asks for the name of a new group and creates it through the
// group panel. It stays open after a refusal, so the user can try another name.
class NewGroupDialog {
 public:
  NewGroupDialog(GroupPanel& panel, Dialogs& dialogs);

  static const char* Title() { return "Save as..."; }
  static const char* Label() { return "Name of group:"; }
  const ControlState& NameBox() const { return name_box_; }
  void EditName(const std::string& text);
  // "OK": true when the group was created and the dialog closes.
  bool Ok();
  // The name box wants the focus, once: reading clears the request.
  bool TakeFocusRequest();

 private:
  GroupPanel& panel_;
  Dialogs& dialogs_;
  ControlState name_box_;
  bool focus_request_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_PHONEBOOK_NEW_GROUP_DIALOG_H_
