#ifndef TOLVANE_SMS_FILE_REFERENCE_COUNTER_H_
#define TOLVANE_SMS_FILE_REFERENCE_COUNTER_H_

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "sms/reference_counter.h"

namespace tolvane {

inline constexpr char kReferenceFileName[] = "smsref.dat";
inline constexpr char kReferenceTempName[] = "smsref.tmp";

// Keeps the last reference given out in smsref.dat in the program's folder:
// its decimal number on one CR LF line, rewritten whole at every Next(). A
// missing or unreadable file starts the count at 1. When the file cannot be
// written the count goes on in memory, as a message is better sent with a
// reference that may repeat after a restart than not sent.
class FileReferenceCounter : public ReferenceCounter {
 public:
  // `program_folder` ends with a separator.
  FileReferenceCounter(FileSystem& files, std::string program_folder);

  uint8_t Next() override;

 private:
  FileSystem& files_;
  std::string program_folder_;
  std::optional<uint8_t> last_;
};

}  // namespace tolvane

#endif  // TOLVANE_SMS_FILE_REFERENCE_COUNTER_H_
