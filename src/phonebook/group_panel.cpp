#include "phonebook/group_panel.h"

#include <algorithm>
#include <memory>

#include "phonebook/group_tables.h"

namespace tolvane {

GroupPanel::GroupPanel(PhoneBookWindow& window, RecordCursor& phone_book_cursor,
                       PhoneBookStore& store, Dialogs& dialogs)
    : window_(window), phone_book_cursor_(phone_book_cursor), store_(store), dialogs_(dialogs) {
  toggle_button_.text = "&Groups >>";
  new_group_button_.text = "New grou&p";
  delete_group_button_.text = "De&lete group";
  arrow_label_.text = ">>";
  drag_hint_.text = "Drag name to group";
  trash_hint_.text = "Drag a name to trashcan to delete it";
  ShowLabels(false);
}

void GroupPanel::Toggle() {
  open_ = !open_;
  toggle_button_.text = open_ ? "&Groups <<" : "&Groups >>";
  ShowLabels(open_);
  // Closing keeps everything as it is; nothing is saved or reloaded.
  if (open_) FillGroupList();
  Changed();
}

void GroupPanel::ShowLabels(bool shown) {
  arrow_label_.visible = shown;
  drag_hint_.visible = shown;
  trash_hint_.visible = shown;
}

void GroupPanel::FillGroupList() {
  group_list_.items.clear();
  group_list_.selected = -1;
  member_list_.items.clear();
  member_list_.selected = -1;
  // Errors here only shorten the list; the panel goes on with what it has.
  try {
    group_list_.items = GroupNames(store_);
  } catch (const StoreError&) {
  }
  delete_group_button_.enabled = !group_list_.items.empty();
  if (!group_list_.items.empty()) SelectGroup(0);
}

void GroupPanel::Reload() {
  if (!open_) return;
  const std::string chosen = group_list_.HasSelection() ? group_list_.SelectedText() : "";
  FillGroupList();
  auto found = std::find(group_list_.items.begin(), group_list_.items.end(), chosen);
  if (found != group_list_.items.end()) {
    SelectGroup(static_cast<int>(found - group_list_.items.begin()));
  }
  Changed();
}

void GroupPanel::SelectGroup(int index) {
  if (index < 0 || index >= static_cast<int>(group_list_.items.size())) return;
  group_list_.selected = index;
  FillMemberList();
  Changed();
}

void GroupPanel::FillMemberList() {
  member_list_.items.clear();
  member_list_.selected = -1;
  if (!group_list_.HasSelection()) return;
  try {
    member_list_.items = MemberNames(store_, group_list_.SelectedText());
  } catch (const StoreError&) {
  }
}

void GroupPanel::SelectMember(int index) {
  if (index < -1 || index >= static_cast<int>(member_list_.items.size())) return;
  member_list_.selected = index;
  Changed();
}

void GroupPanel::CreateGroup(const std::string& name) {
  store_.CreateTable(name);
  FillGroupList();
  auto created = std::find(group_list_.items.begin(), group_list_.items.end(), name);
  if (created != group_list_.items.end()) {
    SelectGroup(static_cast<int>(created - group_list_.items.begin()));
  }
  delete_group_button_.enabled = true;
  Changed();
}

void GroupPanel::DeleteGroup() {
  if (!delete_group_button_.enabled || !group_list_.HasSelection()) return;
  const int position = group_list_.selected;
  const std::string name = group_list_.SelectedText();
  if (dialogs_.MessageBox("Delete? \"" + name + "\" ?", "Are you sure?", MessageIcon::kQuestion,
                          MessageButtons::kYesNo) != MessageAnswer::kYes) {
    return;
  }
  try {
    store_.DeleteTable(name);
  } catch (const StoreError&) {
  }
  FillGroupList();
  const int count = static_cast<int>(group_list_.items.size());
  // The group that took the deleted one's place, or the one before it.
  if (count > 0) SelectGroup(std::min(position, count - 1));
  Changed();
}

bool GroupPanel::CanStartDrag(DragSource source) const {
  if (source == DragSource::kNameList) {
    return open_ && window_.NameList().enabled && !window_.NameList().items.empty();
  }
  return !member_list_.items.empty();
}

void GroupPanel::DragOver(DragSource source, DropTarget target) {
  if (source == DragSource::kNameList) {
    cursor_ = target == DropTarget::kMemberList ? DragCursor::kAccept : DragCursor::kRefuse;
  } else if (target == DropTarget::kTrashCan) {
    cursor_ = DragCursor::kAccept;
  }
}

void GroupPanel::DragLeave() { cursor_ = DragCursor::kPlain; }

void GroupPanel::Drop(DragSource source, DropTarget target) {
  cursor_ = DragCursor::kPlain;
  // People are never deleted from the phone book by dragging, and a member
  // released over its own list stays where it is.
  if (source == DragSource::kNameList && target == DropTarget::kMemberList) {
    AddMember();
  } else if (source == DragSource::kMemberList && target == DropTarget::kTrashCan) {
    RemoveMember();
  }
  Changed();
}

void GroupPanel::AddChosenPerson() {
  if (!open_) return;
  AddMember();
  Changed();
}

void GroupPanel::RemoveChosenMember() {
  if (!open_) return;
  RemoveMember();
  Changed();
}

ControlState GroupPanel::AddMemberButton() const {
  ControlState button;
  button.text = "Add &to group";
  const ListState& names = window_.NameList();
  button.enabled = open_ && names.enabled && names.HasSelection() && group_list_.HasSelection() &&
                   static_cast<int>(member_list_.items.size()) < kMaxGroupMembers &&
                   !IsMember(names.SelectedText());
  return button;
}

ControlState GroupPanel::RemoveMemberButton() const {
  ControlState button;
  button.text = "&Remove from group";
  button.enabled = open_ && group_list_.HasSelection() && member_list_.HasSelection();
  return button;
}

bool GroupPanel::IsMember(const std::string& name) const {
  return std::find(member_list_.items.begin(), member_list_.items.end(), name) !=
         member_list_.items.end();
}

void GroupPanel::AddMember() {
  if (static_cast<int>(member_list_.items.size()) >= kMaxGroupMembers) {
    dialogs_.MessageBox("You can have max 40 members in a group!", "Full!",
                        MessageIcon::kInformation);
    return;
  }
  if (group_list_.items.empty()) {
    dialogs_.MessageBox("Create a group first!", "No Group!", MessageIcon::kInformation);
    return;
  }
  const ListState& names = window_.NameList();
  if (!names.HasSelection() || !group_list_.HasSelection()) return;
  const std::string name = names.SelectedText();
  if (IsMember(name)) return;
  try {
    // The member is a copy of the person as the phone book holds them now;
    // the shared cursor is put on them, as choosing the name did.
    if (!phone_book_cursor_.SeekName(name)) return;
    std::unique_ptr<RecordCursor> group = store_.OpenCursor(group_list_.SelectedText());
    group->AddNew();
    for (const char* field : {kFieldNamn, kFieldTelenummer, kFieldOperator}) {
      group->SetField(field, phone_book_cursor_.Field(field));
    }
    group->Update();
    group->Close();
  } catch (const StoreError& error) {
    switch (error.number()) {
      case kStoreErrorDuplicateKey:
        dialogs_.MessageBox("Name already exists", "Duplicate name!", MessageIcon::kCritical);
        break;
      case kStoreErrorDiskFull:
        dialogs_.MessageBox("Disk full!", "Disk full!", MessageIcon::kCritical);
        break;
      default:
        dialogs_.MessageBox("Unknown error while saving record!", "Error!", MessageIcon::kCritical);
        break;
    }
    return;
  }
  // Listed once it is stored, so the list never shows a member the group lacks.
  member_list_.items.push_back(name);
}

void GroupPanel::RemoveMember() {
  if (!member_list_.HasSelection() || !group_list_.HasSelection()) return;
  const int position = member_list_.selected;
  try {
    std::unique_ptr<RecordCursor> group = store_.OpenCursor(group_list_.SelectedText());
    if (group->SeekName(member_list_.SelectedText())) group->Delete();
    group->Close();
  } catch (const StoreError&) {
  }
  FillMemberList();
  const int count = static_cast<int>(member_list_.items.size());
  if (count > 0) member_list_.selected = position < count ? position : position - 1;
}

void GroupPanel::Changed() {
  if (on_changed_) on_changed_();
}

}  // namespace tolvane
