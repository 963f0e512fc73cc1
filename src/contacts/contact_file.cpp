#include "contacts/contact_file.h"

namespace tolvane {

ContactFile ReadContactFile(const std::string& bytes, ContactFormat format) {
  ContactFile file;
  file.format = format;
  if (format == ContactFormat::kCsv) {
    file.table = ReadCsvTable(bytes);
  } else {
    file.cards = ReadVcards(bytes);
  }
  return file;
}

}  // namespace tolvane
