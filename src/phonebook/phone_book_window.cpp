#include "phonebook/phone_book_window.h"

#include "platform/phone_book_store.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {

namespace {

ControlState Caption(const char* text, bool enabled) {
  ControlState control;
  control.text = text;
  control.enabled = enabled;
  return control;
}

}  // namespace

PhoneBookWindow::PhoneBookWindow(RecordCursor& phone_book_cursor, Dialogs& dialogs,
                                 std::function<void()> on_closed)
    : cursor_(phone_book_cursor), dialogs_(dialogs), on_closed_(std::move(on_closed)) {
  name_box_.max_length = kNamnSize;
  number_box_.max_length = kTelenummerSize;
  type_frame_.text = "GSM or pagertype";
  type_options_ = {Caption("&GSM phone", false), Caption("&Minicall Text (Sweden)", false),
                   Caption("Minicall N&umerik (Sweden)", false)};
  type_options_[0].checked = true;
  new_button_ = Caption("&New record", true);
  edit_button_ = Caption("&Edit record", false);
  save_button_ = Caption("S&ave record", false);
  delete_button_ = Caption("Delete rec&ord", false);
  undo_button_ = Caption("&Undo", false);
  close_button_ = Caption("&Close", true);
  EnableBoxes(false);
}

void PhoneBookWindow::Open() {
  RefillNameList();
  Changed();
}

void PhoneBookWindow::SelectName(int index) {
  if (!name_list_.enabled) return;
  name_list_.selected = index;
  ShowSelected();
  Changed();
}

void PhoneBookWindow::EditNameText(const std::string& text) {
  if (name_box_.enabled) name_box_.text = Utf8Prefix(text, name_box_.max_length);
}

void PhoneBookWindow::EditNumberText(const std::string& text) {
  if (number_box_.enabled) number_box_.text = Utf8Prefix(text, number_box_.max_length);
}

void PhoneBookWindow::SelectType(int option) {
  if (!type_frame_.enabled || option < 0 || option >= kTypeOptionCount) return;
  for (int i = 0; i < kTypeOptionCount; ++i) type_options_[i].checked = i == option;
  Changed();
}

void PhoneBookWindow::NewRecord() {
  if (!new_button_.enabled) return;
  new_record_ = true;
  name_box_.text.clear();
  number_box_.text.clear();
  Enter();
  Changed();
}

void PhoneBookWindow::EditRecord() {
  if (!edit_button_.enabled) return;
  if (!name_list_.HasSelection()) {
    dialogs_.Beep();
    return;
  }
  Enter();
  Changed();
}

void PhoneBookWindow::SaveRecord() {
  if (!save_button_.enabled) return;
  // A name or number of blanks alone would be stored empty, so it counts as
  // missing.
  std::string name = TrimBlanks(name_box_.text);
  std::string number = TrimBlanks(number_box_.text);
  if (name.empty()) {
    dialogs_.MessageBox("You must enter a name!", "Name?", MessageIcon::kInformation);
    RequestFocus(Focus::kNameBox);
    Changed();
    return;
  }
  if (number.empty()) {
    dialogs_.MessageBox("You must enter a phone number!", "Number?", MessageIcon::kInformation);
    RequestFocus(Focus::kNumberBox);
    Changed();
    return;
  }
  try {
    if (new_record_) {
      cursor_.AddNew();
    } else {
      cursor_.Edit();
    }
    cursor_.SetField(kFieldNamn, name);
    cursor_.SetField(kFieldTelenummer, number);
    cursor_.SetField(kFieldOperator, "1");
    cursor_.Update();
  } catch (const StoreError& error) {
    // Stay entering with the boxes as typed, so the user can correct them.
    switch (error.number()) {
      case kStoreErrorDuplicateKey:
        dialogs_.MessageBox("Name already exist!", "Duplicate name!", MessageIcon::kCritical);
        RequestFocus(Focus::kNameBox);
        break;
      case kStoreErrorDiskFull:
        dialogs_.MessageBox("Disk full!", "Disk full!", MessageIcon::kCritical);
        RequestFocus(Focus::kNameBox);
        break;
      default:
        dialogs_.MessageBox("Unknown error while saving record!", "Error!", MessageIcon::kCritical);
        break;
    }
    Changed();
    return;
  }
  RefillNameList();
  name_box_.text.clear();
  number_box_.text.clear();
  Browse();
  new_record_ = false;
  Changed();
}

void PhoneBookWindow::DeleteRecord() {
  if (!delete_button_.enabled) return;
  if (!name_list_.HasSelection()) {
    dialogs_.Beep();
    return;
  }
  const int position = name_list_.selected;
  // Delete exactly the person selected, wherever the shared cursor was left.
  bool found = false;
  std::string name;
  try {
    found = cursor_.SeekName(name_list_.SelectedText());
    if (found) name = cursor_.Field(kFieldNamn);
  } catch (const StoreError&) {
    found = false;
  }
  if (found) {
    if (dialogs_.MessageBox("Delete? \"" + name + "\" ?", "Are you sure?", MessageIcon::kQuestion,
                            MessageButtons::kYesNo) != MessageAnswer::kYes) {
      return;
    }
    try {
      cursor_.Delete();
      cursor_.MoveNext();
    } catch (const StoreError&) {
    }
  }
  RefillNameList();
  name_box_.text.clear();
  number_box_.text.clear();
  if (name_list_.items.empty()) {
    EnableEditAndDelete(false);
  } else {
    const int count = static_cast<int>(name_list_.items.size());
    name_list_.selected = position < count ? position : count - 1;
    ShowSelected();
  }
  Changed();
}

void PhoneBookWindow::Undo() {
  if (!undo_button_.enabled) return;
  Browse();
  new_record_ = false;
  // Nothing was written: only the boxes go back to the selected person, or
  // empty when nobody is selected.
  name_box_.text.clear();
  number_box_.text.clear();
  ShowSelected();
  EnableEditAndDelete(!name_list_.items.empty());
  Changed();
}

bool PhoneBookWindow::MayClose() {
  if (close_button_.enabled) return true;
  MessageAnswer answer = MessageAnswer::kDiscard;
  if (name_box_.text != entered_name_ || number_box_.text != entered_number_) {
    answer = dialogs_.MessageBox("The record is not saved. Save it?", "Not saved!",
                                 MessageIcon::kQuestion, MessageButtons::kSaveDiscardCancel);
  }
  switch (answer) {
    case MessageAnswer::kSave:
      SaveRecord();
      // A refused save stays entering, its message shown.
      return close_button_.enabled;
    case MessageAnswer::kDiscard:
      Undo();
      return true;
    default:
      return false;
  }
}

void PhoneBookWindow::Close() {
  if (on_closed_) on_closed_();
}

void PhoneBookWindow::Reload() {
  RefillNameList();
  name_box_.text.clear();
  number_box_.text.clear();
  EnableEditAndDelete(false);
  Changed();
}

PhoneBookWindow::Focus PhoneBookWindow::TakeFocusRequest() {
  Focus focus = focus_request_;
  focus_request_ = Focus::kNone;
  return focus;
}

void PhoneBookWindow::Browse() {
  EnableBoxes(false);
  save_button_.enabled = false;
  undo_button_.enabled = false;
  new_button_.enabled = true;
  close_button_.enabled = true;
  name_list_.enabled = true;
}

void PhoneBookWindow::Enter() {
  entered_name_ = name_box_.text;
  entered_number_ = number_box_.text;
  EnableBoxes(true);
  RequestFocus(Focus::kNameBox);
  new_button_.enabled = false;
  EnableEditAndDelete(false);
  close_button_.enabled = false;
  name_list_.enabled = false;
  save_button_.enabled = true;
  undo_button_.enabled = true;
}

void PhoneBookWindow::EnableBoxes(bool enabled) {
  name_box_.enabled = enabled;
  number_box_.enabled = enabled;
  type_frame_.enabled = enabled;
  for (ControlState& option : type_options_) option.enabled = enabled;
}

void PhoneBookWindow::EnableEditAndDelete(bool enabled) {
  edit_button_.enabled = enabled;
  delete_button_.enabled = enabled;
}

void PhoneBookWindow::RefillNameList() {
  name_list_.items.clear();
  name_list_.selected = -1;
  // A failing read ends the list; the window goes on with what it has.
  try {
    for (cursor_.MoveFirst(); !cursor_.Eof(); cursor_.MoveNext()) {
      name_list_.items.push_back(cursor_.Field(kFieldNamn));
    }
  } catch (const StoreError&) {
  }
}

void PhoneBookWindow::ShowSelected() {
  if (!name_list_.HasSelection()) return;
  EnableEditAndDelete(true);
  name_box_.text.clear();
  number_box_.text.clear();
  try {
    if (cursor_.SeekName(name_list_.SelectedText())) {
      name_box_.text = cursor_.Field(kFieldNamn);
      number_box_.text = cursor_.Field(kFieldTelenummer);
    }
  } catch (const StoreError&) {
  }
}

void PhoneBookWindow::Changed() {
  if (on_changed_) on_changed_();
}

}  // namespace tolvane
