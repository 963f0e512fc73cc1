#include "ui/qt_main_window_host.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

#include "bulk/time_to_send_dialog.h"
#include "core/about.h"
#include "phonebook/contacts_transfer.h"
#include "phonebook/group_panel.h"
#include "phonebook/phone_book_window.h"
#include "platform/local_file_system.h"
#include "platform/qt/qt_http_client.h"
#include "platform/qt/qt_progress_window.h"
#include "platform/qt/qt_text.h"
#include "records/quick_messages_window.h"
#include "ui/balance_dialog.h"
#include "ui/import_preview_dialog.h"
#include "ui/phone_book_dialog.h"
#include "ui/quick_messages_dialog.h"
#include "ui/settings_dialog_widget.h"
#include "ui/time_to_send_widget.h"

namespace tolvane {

void QtMainWindowHost::OpenPhoneBook() {
  if (presenter_ == nullptr || presenter_->PhoneBookCursor() == nullptr) return;
  PhoneBookWindow window(*presenter_->PhoneBookCursor(), dialogs_,
                         [this] { presenter_->RefreshRecipientList(); });
  // The panel outlives the dialog that shows it.
  std::optional<GroupPanel> groups;
  PhoneBookStore* store = presenter_->PhoneBookStoreOrNull();
  if (store != nullptr) groups.emplace(window, *presenter_->PhoneBookCursor(), *store, dialogs_);
  PhoneBookDialog dialog(window, &widget_);
  if (groups) dialog.AddGroupPanel(*groups, dialogs_);
  QtProgressWindow progress;
  std::optional<ContactsTransfer> transfer;
  if (store != nullptr) {
    transfer.emplace(
        window, groups ? &*groups : nullptr,
        ContactsTransferServices{*store, ProgramFileSystem(), file_chooser_, dialogs_, progress},
        [](ImportPreview& preview) {
          ImportPreviewDialog shown(preview, QApplication::activeWindow());
          return shown.exec() == QDialog::Accepted;
        });
    dialog.AddContactsTransfer(*transfer);
  }
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
  if (presenter_ == nullptr || settings_ == nullptr) return;
  SettingsDialog dialog(
      {*settings_, presenter_->Transports(), dialogs_, *this, dialler_, serial_ports_});
  SettingsDialogWidget window(dialog, &widget_);
  window.exec();
}

void QtMainWindowHost::OpenAbout() {
  dialogs_.MessageBox(AboutText(), "About Tolvane", MessageIcon::kInformation);
}

void QtMainWindowHost::OpenTimeToSend() {
  if (presenter_ == nullptr) return;
  MainWindow* presenter = presenter_;
  TimeToSendDialog dialog(presenter->Loop().Now(),
                          [presenter](const std::string& shown, const std::string& delivery) {
                            presenter->SetDeliveryTime(shown, delivery);
                          });
  TimeToSendWidget window(dialog, &widget_);
  window.exec();
}

void QtMainWindowHost::CloseMainWindow() { widget_.close(); }

void QtMainWindowHost::ShowReceiving(const std::string& text) { widget_.ShowReceiving(text); }

void QtMainWindowHost::ReconfigureTransports() { presenter_->ConfigureTransports(); }

void QtMainWindowHost::RefreshRecipientList() { presenter_->RefreshRecipientList(); }

void QtMainWindowHost::OpenBalance(const BalanceQuery& query) {
  // The window asks with an HTTP client of its own.
  QtHttpClient client;
  BalanceWindow window(client, *settings_, query);
  BalanceDialog dialog(window, QApplication::activeWindow());
  dialog.exec();
}

std::optional<std::string> QtMainWindowHost::ChooseFolder(const std::string& title) {
  const QString folder = QFileDialog::getExistingDirectory(QApplication::activeWindow(),
                                                           ToQString(title), QDir::homePath());
  if (folder.isEmpty()) return std::nullopt;
  return FromQString(QDir::toNativeSeparators(folder));
}

}  // namespace tolvane
