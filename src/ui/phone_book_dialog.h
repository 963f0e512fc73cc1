#ifndef TOLVANE_UI_PHONE_BOOK_DIALOG_H_
#define TOLVANE_UI_PHONE_BOOK_DIALOG_H_

#include <QDialog>
#include <array>

#include "phonebook/contacts_transfer.h"
#include "phonebook/group_panel.h"
#include "phonebook/phone_book_window.h"
#include "platform/dialogs.h"

class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tolvane {

class GroupPanelWidget;

// The phone-book window on screen: shows what the PhoneBookWindow holds and
// hands it every click, selection and keystroke. Creating the dialog opens the
// window (fills the name list); closing it by any route closes the window.
class PhoneBookDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PhoneBookDialog(PhoneBookWindow& window, QWidget* parent = nullptr);
  ~PhoneBookDialog() override;

  void done(int result) override;
  // Escape, the window's frame and "&Close": the window decides whether it
  // may close while a record is entered.
  void reject() override;
  // Adds the group panel beside the window, with its "&Groups >>" button.
  void AddGroupPanel(GroupPanel& panel, Dialogs& dialogs);
  // Adds "&Import..." and "E&xport..." among the window's buttons.
  void AddContactsTransfer(ContactsTransfer& transfer);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Render();

  PhoneBookWindow& window_;
  QListWidget* name_list_;
  QLineEdit* name_box_;
  QLineEdit* number_box_;
  QGroupBox* type_frame_;
  std::array<QRadioButton*, PhoneBookWindow::kTypeOptionCount> type_options_;
  QPushButton* new_button_;
  QPushButton* edit_button_;
  QPushButton* save_button_;
  QPushButton* delete_button_;
  QPushButton* undo_button_;
  QPushButton* close_button_;
  QGridLayout* buttons_;
  QHBoxLayout* layout_;
  // Whether a person can join a group follows the window's name list.
  GroupPanelWidget* group_panel_ = nullptr;
  ContactsTransfer* transfer_ = nullptr;
  QPushButton* import_button_ = nullptr;
  QPushButton* export_button_ = nullptr;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_PHONE_BOOK_DIALOG_H_
