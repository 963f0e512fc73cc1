#ifndef TOLVANE_CORE_PART_RECORD_H_
#define TOLVANE_CORE_PART_RECORD_H_

#include <cstdint>
#include <map>
#include <string>

#include "core/send_context.h"
#include "sms/status_report.h"
#include "store/stored_records.h"

namespace tolvane {

// What a transport with one submit on its way at a time (the GSM modem, the
// dial-up modem, the HTTP gateway) tells the message store about the parts
// of the message being sent (`SendState::message_id`): each marked writing
// before its submit leaves, then its answer, then its receipt, matched by the
// reference its answer gave.
class PartRecord {
 public:
  explicit PartRecord(SendContext& context) : context_(context) {}

  // A double message is one message of two parts, sent as two exchanges:
  // the first one's end (logged on its own) does not end it in the store.
  void BeginDouble();
  // The second exchange goes, or the double message ends early.
  void EndDouble();

  // Part `index` is about to be written. Empty when the store holds that;
  // otherwise why nothing may be written.
  std::string Writing(int index);
  // The answer to the part written last; only its first counts.
  void Accepted(const std::string& ref);
  void Refused(const std::string& detail);
  // The exchange ended without an answer to the part written: it may have
  // gone. Nothing when it was answered.
  void Unanswered(const std::string& detail);
  // A receipt for the accepted part whose answer gave `ref`.
  void Receipt(const std::string& ref, DeliveryOutcome outcome, const std::string& reason);

 private:
  void Answer(MessageState state, const std::string& ref, const std::string& detail);

  SendContext& context_;
  // The double message's id while its first exchange goes.
  std::int64_t held_ = 0;
  PartKey part_;
  bool awaiting_answer_ = false;
  // The message's accepted parts by the reference their answers gave.
  std::map<std::string, PartKey> accepted_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_PART_RECORD_H_
