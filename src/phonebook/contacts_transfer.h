#ifndef TOLVANE_PHONEBOOK_CONTACTS_TRANSFER_H_
#define TOLVANE_PHONEBOOK_CONTACTS_TRANSFER_H_

#include <functional>
#include <string>
#include <utility>

#include "core/control_state.h"
#include "phonebook/group_panel.h"
#include "phonebook/import_preview.h"
#include "phonebook/phone_book_window.h"
#include "platform/dialogs.h"
#include "platform/file_chooser.h"
#include "platform/file_system.h"
#include "platform/phone_book_store.h"
#include "platform/progress_window.h"

namespace tolvane {

// What the phone-book window's import and export work with.
struct ContactsTransferServices {
  PhoneBookStore& store;
  FileSystem& files;
  FileChooser& chooser;
  Dialogs& dialogs;
  ProgressWindow& progress;
};

// "&Import..." and "E&xport..." of the phone-book window. An import chooses a
// file, shows it in the preview window, brings it in as one transaction (with
// a progress bar and Cancel for a big file, the events processed between the
// steps), tells the result with the details of each row left out, and reads
// the window's lists again. An export writes the whole phone book, or the
// group chosen in the open group panel, as CSV or vCard.
class ContactsTransfer {
 public:
  // Shows the preview window until the user closes it; true for OK.
  using ShowPreview = std::function<bool(ImportPreview&)>;

  // `panel` may be null (no group panel).
  ContactsTransfer(PhoneBookWindow& window, GroupPanel* panel,
                   const ContactsTransferServices& services, ShowPreview show_preview)
      : window_(window),
        panel_(panel),
        services_(services),
        show_preview_(std::move(show_preview)) {}

  // Usable while the window is browsing.
  ControlState ImportButton() const;
  ControlState ExportButton() const;

  void Import();
  void Export();

 private:
  // The import of the file chosen, once it has been read.
  void ImportFile(const std::string& path, const std::string& bytes);
  void Fail(const std::string& text, const std::string& title);

  PhoneBookWindow& window_;
  GroupPanel* panel_;
  ContactsTransferServices services_;
  ShowPreview show_preview_;
};

}  // namespace tolvane

#endif  // TOLVANE_PHONEBOOK_CONTACTS_TRANSFER_H_
