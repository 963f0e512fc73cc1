#include "phonebook/contacts_transfer.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "contacts/contact_export.h"
#include "contacts/contact_file.h"
#include "contacts/contact_format.h"
#include "contacts/contact_import.h"
#include "phonebook/group_tables.h"
#include "platform/atomic_file.h"

namespace tolvane {

namespace {

constexpr char kImportTitle[] = "Import";
constexpr char kExportTitle[] = "Export";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool HoldsContacts(const ContactFile& file) {
  return file.format == ContactFormat::kCsv ? !file.table.rows.empty() || !file.table.header.empty()
                                            : !file.cards.empty();
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::size_t CountPeople(PhoneBookStore& store) {
  std::size_t count = 0;
  for (auto cursor = store.OpenCursor(kPhoneBookTable); !cursor->Eof(); cursor->MoveNext()) ++count;
  return count;
}

}  // namespace

ControlState ContactsTransfer::ImportButton() const {
  ControlState button;
  button.text = "&Import...";
  button.enabled = window_.IsBrowsing();
  return button;
}

ControlState ContactsTransfer::ExportButton() const {
  ControlState button;
  button.text = "E&xport...";
  button.enabled = window_.IsBrowsing();
  return button;
}

void ContactsTransfer::Import() {
  if (!window_.IsBrowsing()) return;
  const std::optional<std::string> path = services_.chooser.ChooseFileToOpen(
      "Import contacts", {{"Contact files", {"csv", "vcf", "vcard", "txt"}},
                          {"CSV files", {"csv", "txt"}},
                          {"vCard files", {"vcf", "vcard"}},
                          {"All files", {}}});
  if (!path) return;
  std::string bytes;
  if (const int error = services_.files.ReadFile(*path, bytes); error != 0) {
    Fail("Could not read " + Quoted(*path) + ": " + std::strerror(error), kImportTitle);
    return;
  }
  ImportFile(*path, bytes);
}

void ContactsTransfer::ImportFile(const std::string& path, const std::string& bytes) {
  // No text file holds a NUL byte: a picture or a program is not worth a
  // preview of its garbage.
  if (bytes.find('\0') != std::string::npos) {
    services_.dialogs.MessageBox(Quoted(path) + " is not a CSV or vCard file.", kImportTitle,
                                 MessageIcon::kExclamation);
    return;
  }
  const ContactFormat format = ContactFormatOfPath(path).value_or(ContactFormatOfBytes(bytes));
  ContactFile file = ReadContactFile(bytes, format);
  if (!HoldsContacts(file)) {
    services_.dialogs.MessageBox("No contacts found in " + Quoted(path) + ".", kImportTitle,
                                 MessageIcon::kInformation);
    return;
  }
  std::vector<std::string> groups;
  try {
    groups = GroupNames(services_.store);
  } catch (const StoreError&) {
    // Only the offer lacks them; a group typed is made when missing.
  }
  ImportPreview preview(path, std::move(file), std::move(groups));
  if (!show_preview_(preview)) return;
  const ImportPlan plan = preview.Plan();

  // A big file shows its progress; between the steps the events run, and
  // with them Cancel.
  const int total = static_cast<int>(plan.people.size());
  const bool shown = total > kImportProgressThreshold;
  bool cancelled = false;
  if (shown) {
    services_.progress.Open(kImportTitle, "Importing " + std::to_string(total) + " people...",
                            total);
  }
  const ImportResult result = ApplyImport(
      services_.store, plan,
      [&](int done, int) {
        if (shown && !services_.progress.Advance(done)) cancelled = true;
      },
      [&] { return cancelled; });
  if (shown) services_.progress.Close();

  if (result.Changed()) {
    window_.Reload();
    if (panel_ != nullptr) panel_->Reload();
  }
  const MessageIcon icon =
      result.failure.empty() ? MessageIcon::kInformation : MessageIcon::kCritical;
  if (result.details.empty()) {
    services_.dialogs.MessageBox(result.Summary(), kImportTitle, icon);
  } else {
    services_.dialogs.MessageBoxWithDetails(result.Summary(), kImportTitle, icon,
                                            Lines(result.details));
  }
}

void ContactsTransfer::Export() {
  if (!window_.IsBrowsing()) return;
  std::vector<FileKind> kinds = {{"Phone book as CSV", {"csv"}}, {"Phone book as vCard", {"vcf"}}};
  // The group chosen in the open panel is offered too, in both formats.
  std::string group;
  if (panel_ != nullptr && panel_->IsOpen() && panel_->GroupList().HasSelection()) {
    group = panel_->GroupList().SelectedText();
    kinds.push_back({"Group " + Quoted(group) + " as CSV", {"csv"}});
    kinds.push_back({"Group " + Quoted(group) + " as vCard", {"vcf"}});
  }
  const std::optional<ChosenFile> chosen =
      services_.chooser.ChooseFileToSave("Export contacts", kinds);
  if (!chosen) return;
  const bool whole_book = chosen->kind < 2;
  // The name's extension wins over the kind chosen: a file named .vcf is a vCard.
  const ContactFormat format =
      ContactFormatOfPath(chosen->path)
          .value_or(chosen->kind % 2 == 0 ? ContactFormat::kCsv : ContactFormat::kVcard);
  std::string bytes;
  std::size_t count = 0;
  try {
    bytes = ExportContacts(services_.store, format, whole_book ? "" : group);
    count = whole_book ? CountPeople(services_.store) : MemberNames(services_.store, group).size();
  } catch (const StoreError&) {
    Fail("Could not read the phone book.", kExportTitle);
    return;
  }
  if (!ReplaceFile(services_.files, chosen->path, chosen->path + ".tmp", bytes)) {
    Fail("Could not write " + Quoted(chosen->path) + ": " + std::strerror(errno), kExportTitle);
    return;
  }
  services_.dialogs.MessageBox(std::to_string(count) + (count == 1 ? " person" : " people") +
                                   " written to " + Quoted(chosen->path) + ".",
                               kExportTitle, MessageIcon::kInformation);
}

void ContactsTransfer::Fail(const std::string& text, const std::string& title) {
  services_.dialogs.MessageBox(text, title, MessageIcon::kCritical);
}

}  // namespace tolvane
