#include "phonebook/new_group_dialog.h"

#include "platform/store_error.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

// As long as the database's table names may be.
constexpr int kGroupNameLength = 64;

}  // namespace

NewGroupDialog::NewGroupDialog(GroupPanel& panel, Dialogs& dialogs)
    : panel_(panel), dialogs_(dialogs) {
  name_box_.max_length = kGroupNameLength;
}

void NewGroupDialog::EditName(const std::string& text) {
  name_box_.text = Utf8Prefix(text, name_box_.max_length);
}

bool NewGroupDialog::Ok() {
  // Blanks around the name are no part of it; a name of blanks alone is none.
  const std::string name = TrimBlanks(name_box_.text);
  if (name.empty()) {
    focus_request_ = true;
    return false;
  }
  try {
    panel_.CreateGroup(name);
  } catch (const StoreError& error) {
    switch (error.number()) {
      case kStoreErrorTableExists:
        dialogs_.MessageBox("Name already exist!", "Duplicate name!", MessageIcon::kCritical);
        focus_request_ = true;
        break;
      case kStoreErrorDiskFull:
        dialogs_.MessageBox("Disk full!", "Disk full!", MessageIcon::kCritical);
        break;
      default:
        dialogs_.MessageBox("Unknown error while saving!", " Unknown error!",
                            MessageIcon::kCritical);
        break;
    }
    return false;
  }
  return true;
}

bool NewGroupDialog::TakeFocusRequest() {
  bool requested = focus_request_;
  focus_request_ = false;
  return requested;
}

}  // namespace tolvane
