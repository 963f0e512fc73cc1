#include "ui/qt_main_window_host.h"

#include "phonebook/phone_book_window.h"
#include "records/quick_messages_window.h"
#include "ui/phone_book_dialog.h"
#include "ui/quick_messages_dialog.h"

namespace tolvane {

void QtMainWindowHost::OpenPhoneBook() {
  if (presenter_ == nullptr || presenter_->PhoneBookCursor() == nullptr) return;
  PhoneBookWindow window(*presenter_->PhoneBookCursor(), dialogs_,
                         [this] { presenter_->RefreshRecipientList(); });
  PhoneBookDialog dialog(window, &widget_);
  dialog.exec();
}

void QtMainWindowHost::OpenQuickMessages() {
  if (presenter_ == nullptr) return;
  MainWindow* presenter = presenter_;
  QuickMessagesWindow window(
      presenter->QuickMessages(), dialogs_, clipboard_,
      [presenter](const std::string& text) { presenter->UseQuickMessage(text); });
  QuickMessagesDialog dialog(window, &widget_);
  dialog.exec();
}

void QtMainWindowHost::OpenSettings() {
  dialogs_.MessageBox("Edit tolvmsg.ini beside the program to change the settings.", "Tolvane",
                      MessageIcon::kInformation);
}

void QtMainWindowHost::CloseMainWindow() { widget_.close(); }

}  // namespace tolvane
