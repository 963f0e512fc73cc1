#ifndef TOLVANE_PHONEBOOK_GROUP_PANEL_H_
#define TOLVANE_PHONEBOOK_GROUP_PANEL_H_

#include <functional>
#include <string>
#include <utility>

#include "core/control_state.h"
#include "phonebook/phone_book_window.h"
#include "platform/dialogs.h"
#include "platform/phone_book_store.h"
#include "platform/record_cursor.h"

namespace tolvane {

// The group panel of the phone-book window: the groups of the phone book, the
// members of the chosen one, names dragged from the window's name list into
// the group and members dragged onto the trash can, or added and removed with
// buttons (and the Insert and Delete keys), which keep the same rules. It
// opens and closes with "&Groups >>"; the window is wide while it is open.
// Texts are UTF-8.
class GroupPanel {
 public:
  enum class DragSource { kNameList, kMemberList };
  enum class DropTarget { kMemberList, kTrashCan };
  enum class DragCursor { kPlain, kAccept, kRefuse };

  static constexpr int kNarrowWidthTwips = 4815;
  static constexpr int kWideWidthTwips = 8230;
  // Marks a drag from the phone book's name list, so a drop target can tell
  // it from a drag of a member.
  static constexpr char kNameListTag[] = "Lista1";

  // `window` is the phone-book window beside the panel, `phone_book_cursor`
  // the cursor it moves to the selected person.
  GroupPanel(PhoneBookWindow& window, RecordCursor& phone_book_cursor, PhoneBookStore& store,
             Dialogs& dialogs);

  void SetOnChanged(std::function<void()> on_changed) { on_changed_ = std::move(on_changed); }

  // "&Groups >>" opens the panel, "&Groups <<" closes it.
  void Toggle();
  bool IsOpen() const { return open_; }
  int WindowWidthTwips() const { return open_ ? kWideWidthTwips : kNarrowWidthTwips; }

  // After the phone book changed behind the panel (an import): an open panel
  // reads its groups again and keeps the chosen one.
  void Reload();
  void SelectGroup(int index);
  void SelectMember(int index);
  // "De&lete group", after the user's Yes.
  void DeleteGroup();
  // Adds the group table and chooses the new group. Throws StoreError
  // (kStoreErrorTableExists when the name is taken in any letter case).
  void CreateGroup(const std::string& name);

  // Dragging: whether a drag may start from the list, what the cursor shows
  // over a target and after leaving it, and a drop.
  bool CanStartDrag(DragSource source) const;
  void DragOver(DragSource source, DropTarget target);
  void DragLeave();
  void Drop(DragSource source, DropTarget target);
  DragCursor Cursor() const { return cursor_; }

  // "Add &to group" (and Insert): the person chosen in the name list joins
  // the chosen group, as by a drop on the member list.
  void AddChosenPerson();
  // "&Remove from group" (and Delete): the chosen member leaves the group, as
  // by a drop on the trash can.
  void RemoveChosenMember();
  // Enabled only when they can act: the add button for a chosen person who is
  // not yet in the chosen group and while it has room, the remove button for
  // a chosen member.
  ControlState AddMemberButton() const;
  ControlState RemoveMemberButton() const;

  const ControlState& ToggleButton() const { return toggle_button_; }
  const ControlState& NewGroupButton() const { return new_group_button_; }
  const ControlState& DeleteGroupButton() const { return delete_group_button_; }
  // The ">>" arrow and the hints "Drag name to group", "Drag a name to
  // trashcan to delete it".
  const ControlState& ArrowLabel() const { return arrow_label_; }
  const ControlState& DragHint() const { return drag_hint_; }
  const ControlState& TrashHint() const { return trash_hint_; }
  const ListState& GroupList() const { return group_list_; }
  const ListState& MemberList() const { return member_list_; }

 private:
  void FillGroupList();
  void FillMemberList();
  // The one way in and out of a group, for drops, buttons and keys alike.
  void AddMember();
  void RemoveMember();
  bool IsMember(const std::string& name) const;
  void ShowLabels(bool shown);
  void Changed();

  PhoneBookWindow& window_;
  RecordCursor& phone_book_cursor_;
  PhoneBookStore& store_;
  Dialogs& dialogs_;
  std::function<void()> on_changed_;

  bool open_ = false;
  DragCursor cursor_ = DragCursor::kPlain;
  ControlState toggle_button_;
  ControlState new_group_button_;
  ControlState delete_group_button_;
  ControlState arrow_label_;
  ControlState drag_hint_;
  ControlState trash_hint_;
  ListState group_list_;
  ListState member_list_;
};

}  // namespace tolvane

#endif  // TOLVANE_PHONEBOOK_GROUP_PANEL_H_
