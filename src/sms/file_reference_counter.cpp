#include "sms/file_reference_counter.h"

#include <utility>

#include "platform/atomic_file.h"
#include "text/text_helpers.h"

namespace tolvane {

FileReferenceCounter::FileReferenceCounter(FileSystem& files, std::string program_folder)
    : files_(files), program_folder_(std::move(program_folder)) {}

uint8_t FileReferenceCounter::Next() {
  const std::string path = program_folder_ + kReferenceFileName;
  if (!last_) {
    const std::optional<std::string> content = files_.Read(path);
    const long stored = content ? LeadingWholeNumber(*content) : 0;
    last_ = static_cast<uint8_t>(stored >= 0 && stored <= 255 ? stored : 0);
  }
  last_ = static_cast<uint8_t>(*last_ + 1);
  ReplaceFile(files_, path, program_folder_ + kReferenceTempName, std::to_string(*last_) + "\r\n");
  return *last_;
}

}  // namespace tolvane
