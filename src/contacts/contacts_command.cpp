#include "contacts/contacts_command.h"

#include <cstring>
#include <optional>
#include <ostream>

#include "contacts/contact_export.h"
#include "contacts/contact_file.h"
#include "contacts/contact_import.h"
#include "core/program.h"
#include "platform/atomic_file.h"
#include "platform/local_file_system.h"
#include "platform/sqlite_phone_book_store.h"

namespace tolvane {
namespace {

struct ContactsOrder {
  bool import = true;
  std::string file;
  std::string group;
  ContactFormat format = ContactFormat::kCsv;
};

std::optional<ContactsOrder> ReadOrder(const std::vector<std::string>& arguments,
                                       std::ostream& error) {
  const bool shaped =
      (arguments.size() == 2 ||
       (arguments.size() == 4 && arguments[2] == kContactsGroupOption && !arguments[3].empty())) &&
      !arguments[1].empty();
  if (!shaped || (arguments[0] != kImportOption && arguments[0] != kExportOption)) {
    error << "usage: tolvane --import FILE [--group NAME]\n"
             "       tolvane --export FILE [--group NAME]\n";
    return std::nullopt;
  }
  ContactsOrder order;
  order.import = arguments[0] == kImportOption;
  order.file = arguments[1];
  if (arguments.size() == 4) order.group = arguments[3];
  const std::optional<ContactFormat> format = ContactFormatOfPath(order.file);
  if (!format) {
    error << "tolvane: " << order.file
          << ": the file name must end in .csv (CSV) or .vcf (vCard)\n";
    return std::nullopt;
  }
  order.format = *format;
  return order;
}

int Import(const ContactsOrder& order, PhoneBookStore& store, std::ostream& out,
           std::ostream& error) {
  std::string bytes;
  if (int number = ProgramFileSystem().ReadFile(order.file, bytes); number != 0) {
    error << "tolvane: cannot read " << order.file << ": " << std::strerror(number) << "\n";
    return kExitFailed;
  }
  const ContactFile file = ReadContactFile(bytes, order.format);
  ImportChoices choices;
  choices.columns = file.table.guessed;
  choices.group = order.group;
  const CsvColumns& columns = choices.columns;
  if (order.format == ContactFormat::kCsv &&
      ((columns.name < 0 && columns.first_name < 0 && columns.last_name < 0) ||
       columns.numbers.empty())) {
    // Without a window nobody can choose the columns.
    error << "tolvane: " << order.file
          << ": the header names no name and phone columns; import it in the phone book "
             "window to choose them\n";
    return kExitFailed;
  }
  const ImportResult result = ApplyImport(store, PlanImport(file, choices));
  out << result.Summary() << "\n";
  for (const std::string& detail : result.details) out << detail << "\n";
  return result.Changed() ? kExitAccepted : kExitFailed;
}

int Export(const ContactsOrder& order, PhoneBookStore& store, std::ostream& out,
           std::ostream& error) {
  const std::string bytes = ExportContacts(store, order.format, order.group);
  if (!WriteFileAtomically(order.file, bytes)) {
    error << "tolvane: cannot write " << order.file << ": " << std::strerror(errno) << "\n";
    return kExitFailed;
  }
  out << (order.group.empty() ? "The phone book" : "The group \"" + order.group + "\"")
      << " is exported to " << order.file << "\n";
  return kExitAccepted;
}

}  // namespace

int RunContactsCommand(const std::vector<std::string>& arguments,
                       const std::string& phone_book_path, std::ostream& out, std::ostream& error) {
  const std::optional<ContactsOrder> order = ReadOrder(arguments, error);
  if (!order) return kExitBadOrder;
  SqlitePhoneBookStore store;
  try {
    store.Open(phone_book_path);
  } catch (const StoreError& store_error) {
    error << "tolvane: cannot open the phone book " << phone_book_path << ": " << store_error.what()
          << "\n";
    return kExitFailed;
  }
  try {
    return order->import ? Import(*order, store, out, error) : Export(*order, store, out, error);
  } catch (const StoreError& store_error) {
    error << "tolvane: " << store_error.what() << "\n";
    return kExitFailed;
  }
}

}  // namespace tolvane
