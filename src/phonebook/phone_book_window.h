#ifndef TOLVANE_PHONEBOOK_PHONE_BOOK_WINDOW_H_
#define TOLVANE_PHONEBOOK_PHONE_BOOK_WINDOW_H_

#include <array>
#include <functional>
#include <string>
#include <utility>

#include "core/control_state.h"
#include "platform/dialogs.h"
#include "platform/record_cursor.h"

namespace tolvane {

// The phone-book window: lists the people of Telelist and adds, changes and
// deletes them through the program's shared cursor on that table. It is either
// browsing (the name list usable) or entering a new or changed record (the
// boxes usable). Texts are UTF-8.
class PhoneBookWindow {
 public:
  enum class Focus { kNone, kNameBox, kNumberBox };
  static constexpr int kTypeOptionCount = 3;

  // on_closed runs when the window closes (the main window refreshes its
  // recipient list).
  PhoneBookWindow(RecordCursor& phone_book_cursor, Dialogs& dialogs,
                  std::function<void()> on_closed);

  // Called after every action that changed what the window shows.
  void SetOnChanged(std::function<void()> on_changed) { on_changed_ = std::move(on_changed); }

  // Fills the name list, as the window opens.
  void Open();
  void SelectName(int index);
  void EditNameText(const std::string& text);
  void EditNumberText(const std::string& text);
  void SelectType(int option);
  void NewRecord();
  void EditRecord();
  void SaveRecord();
  void DeleteRecord();
  void Undo();
  // Escape or the window's frame: whether the window may close. "&Close" is
  // disabled while a record is entered; here a new or changed record not yet
  // saved is saved, dropped or kept open as the user answers, and an
  // untouched one is dropped.
  bool MayClose();
  // The window has closed, by any route.
  void Close();
  // After the phone book changed behind the window (an import): the name list
  // read again, nobody chosen.
  void Reload();
  // Browsing, when the window may start work of its own on the phone book.
  bool IsBrowsing() const { return close_button_.enabled; }

  static const char* Title() { return "Phonebook"; }
  const ListState& NameList() const { return name_list_; }
  const ControlState& NameBox() const { return name_box_; }
  const ControlState& NumberBox() const { return number_box_; }
  const ControlState& TypeFrame() const { return type_frame_; }
  const ControlState& TypeOption(int option) const { return type_options_.at(option); }
  const ControlState& NewButton() const { return new_button_; }
  const ControlState& EditButton() const { return edit_button_; }
  const ControlState& SaveButton() const { return save_button_; }
  const ControlState& DeleteButton() const { return delete_button_; }
  const ControlState& UndoButton() const { return undo_button_; }
  const ControlState& CloseButton() const { return close_button_; }
  // The control that should get the focus, once: reading clears the request.
  Focus TakeFocusRequest();

 private:
  // Browsing: the name list and New/Close usable; Edit/Delete are left alone.
  void Browse();
  // Entering: the boxes, Save and Undo usable.
  void Enter();
  void EnableBoxes(bool enabled);
  void EnableEditAndDelete(bool enabled);
  void RefillNameList();
  // Moves the cursor to the selected person and shows them in the boxes.
  void ShowSelected();
  void RequestFocus(Focus focus) { focus_request_ = focus; }
  void Changed();

  RecordCursor& cursor_;
  Dialogs& dialogs_;
  std::function<void()> on_closed_;
  std::function<void()> on_changed_;

  bool new_record_ = false;
  // The boxes as entering began, to tell a changed record from an untouched one.
  std::string entered_name_;
  std::string entered_number_;
  Focus focus_request_ = Focus::kNone;

  ListState name_list_;
  ControlState name_box_;
  ControlState number_box_;
  ControlState type_frame_;
  std::array<ControlState, kTypeOptionCount> type_options_;
  ControlState new_button_;
  ControlState edit_button_;
  ControlState save_button_;
  ControlState delete_button_;
  ControlState undo_button_;
  ControlState close_button_;
};

}  // namespace tolvane

#endif  // TOLVANE_PHONEBOOK_PHONE_BOOK_WINDOW_H_
