#include "core/message_cut.h"

#include <optional>

#include "sms/file_reference_counter.h"

namespace tolvane {

namespace {

// Hands out the stored reference, or the file's next one, and remembers
// which it gave.
class CutReference : public ReferenceCounter {
 public:
  CutReference(FileSystem& files, const std::string& folder, int stored)
      : files_(files), folder_(folder), stored_(stored) {}

  uint8_t Next() override {
    if (!given_) {
      given_ = stored_ >= 0 ? static_cast<uint8_t>(stored_)
                            : FileReferenceCounter(files_, folder_).Next();
    }
    return *given_;
  }
  int Given() const { return given_ ? *given_ : -1; }

 private:
  FileSystem& files_;
  const std::string& folder_;
  int stored_;
  std::optional<uint8_t> given_;
};

}  // namespace

SmsMessage CutMessage(SendContext& context, FileSystem& files, const std::string& text) {
  const ProgramSettings& settings = context.Settings();
  const std::int64_t id = context.State().message_id;
  CutReference reference(files, settings.ProgramFolder, context.Ledger().StoredReference(id));
  SmsMessage message = PrepareMessage(text, settings.MaxParts, reference);
  if (message.error.empty()) {
    context.Ledger().Cut(id, static_cast<int>(message.parts.size()), reference.Given(),
                         message.encoding == SmsEncoding::kUcs2 ? "UCS-2" : "GSM");
  }
  return message;
}

}  // namespace tolvane
