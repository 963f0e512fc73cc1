#include "contacts/contact_format.h"

#include <strings.h>

namespace tolvane {

std::optional<ContactFormat> ContactFormatOfPath(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return std::nullopt;
  const std::string extension = path.substr(dot + 1);
  if (strcasecmp(extension.c_str(), "csv") == 0) return ContactFormat::kCsv;
  if (strcasecmp(extension.c_str(), "vcf") == 0 || strcasecmp(extension.c_str(), "vcard") == 0) {
    return ContactFormat::kVcard;
  }
  return std::nullopt;
}

ContactFormat ContactFormatOfBytes(const std::string& bytes) {
  size_t start = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  start = bytes.find_first_not_of(" \t\r\n", start);
  if (start == std::string::npos) return ContactFormat::kCsv;
  return strncasecmp(bytes.c_str() + start, "BEGIN:VCARD", 11) == 0 ? ContactFormat::kVcard
                                                                    : ContactFormat::kCsv;
}

}  // namespace tolvane
