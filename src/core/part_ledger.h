#ifndef TOLVANE_CORE_PART_LEDGER_H_
#define TOLVANE_CORE_PART_LEDGER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "store/message_state.h"
#include "store/stored_records.h"

namespace tolvane {

// What a transport tells the message store about the parts it sends. A
// message is named by its id in the store (`SendState::message_id`,
// `WindowMember::message_id`); id 0 is a message the store does not hold.
class PartLedger {
 public:
  virtual ~PartLedger() = default;

  // The transport cut the message into `part_count` parts linked by
  // `reference` (-1: a single part).
  virtual void Cut(std::int64_t message, int part_count, int reference,
                   const std::string& encoding) = 0;
  // The reference the message was cut with before the program was
  // restarted, so its remaining parts link to those already sent; -1 when
  // it has none and takes a new one.
  virtual int StoredReference(std::int64_t message) const = 0;
  // The parts (by index, of `part_count`) still to go: every part of a new
  // message, only those never written of one resumed after a restart.
  virtual std::vector<int> PendingParts(std::int64_t message, int part_count) const = 0;
  // The parts' submits are about to be written: on the disk before this
  // returns. Empty when recorded; otherwise why nothing may be written.
  virtual std::string Writing(const std::vector<PartKey>& parts) = 0;
  // A part's answer (accepted with the transport's reference, refused,
  // unknown) or its receipt (delivered, failed, expired).
  virtual void Answered(const PartKey& part, MessageState state, const std::string& ref,
                        const std::string& detail) = 0;
  // A receipt for a part no send in progress holds (one sent before a
  // restart): matched through the store by the reference its answer gave.
  // False when no part has that reference.
  virtual bool LateReceipt(const std::string& ref, MessageState state,
                           const std::string& detail) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_PART_LEDGER_H_
