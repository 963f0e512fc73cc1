#include "core/message_ledger.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <utility>

#include "platform/store_error.h"
#include "sms/sms_address.h"
#include "text/text_helpers.h"

namespace tolvane {

namespace {

constexpr char kStoreWriteError[] = "The message store could not be written: ";

}  // namespace

template <typename Change>
bool MessageLedger::Try(Change change) {
  if (store_ == nullptr) return false;
  try {
    change();
    return true;
  } catch (const StoreError& error) {
    error_ = kStoreWriteError + std::string(error.what());
    return false;
  }
}

std::string MessageLedger::BeginRun(const RunStart& start, std::vector<RunRecipient>& recipients) {
  if (store_ == nullptr) return unavailable_;
  StoredRun run{.kind = start.kind,
                .title = start.title,
                .source = start.source,
                .transport = start.transport,
                .owner = owner_,
                .created = loop_.Now(),
                .ended = std::nullopt};
  std::vector<StoredMessage> messages;
  for (const RunRecipient& recipient : recipients) {
    StoredMessage& message = messages.emplace_back();
    message.number_typed = recipient.number_typed;
    message.number = NormalisedNumber(recipient.number_typed);
    message.name = recipient.name;
    message.text = recipient.text.empty() ? start.text : recipient.text;
    message.transport = start.transport;
    message.created = loop_.Now();
    message.scheduled = start.scheduled;
    if (!recipient.skipped.empty()) {
      message.state = MessageState::kRefused;
      message.detail = recipient.skipped;
    }
  }
  try {
    store_->AddRun(run, messages);
  } catch (const StoreError& error) {
    return kStoreWriteError + std::string(error.what());
  }
  for (size_t i = 0; i < recipients.size(); ++i) recipients[i].message_id = messages[i].id;
  run_ = run.id;
  transport_ = start.transport;
  run_messages_.clear();
  for (const StoredMessage& message : messages) run_messages_.push_back(message.id);
  pending_.clear();
  references_.clear();
  return {};
}

void MessageLedger::ResumeRun(std::int64_t run, const std::string& transport,
                              std::vector<std::int64_t> messages,
                              std::map<std::int64_t, std::vector<int>> pending) {
  run_ = run;
  transport_ = transport;
  run_messages_ = std::move(messages);
  references_.clear();
  Try([&] {
    for (std::int64_t message : run_messages_) {
      if (const auto stored = store_->Message(message); stored && stored->reference >= 0) {
        references_[message] = stored->reference;
      }
    }
  });
  pending_ = std::move(pending);
}

void MessageLedger::MessageGoes(std::int64_t message) {
  if (message == 0) return;
  Try([&] { store_->MarkSent(message, loop_.Now()); });
}

void MessageLedger::EndMessage(std::int64_t message, const std::string& detail) {
  if (message == 0) return;
  Try([&] { store_->EndMessage(message, detail, loop_.Now()); });
  pending_.erase(message);
}

bool MessageLedger::LeftUnknown(std::int64_t message) {
  bool unknown = false;
  const auto found = pending_.find(message);
  if (found == pending_.end()) return unknown;
  const std::vector<int>& going = found->second;
  Try([&] {
    const std::optional<StoredMessage> stored = store_->Message(message);
    if (!stored) return;
    for (const StoredPart& part : stored->parts) {
      unknown = unknown ||
                ((part.state == MessageState::kWriting || part.state == MessageState::kUnknown) &&
                 std::find(going.begin(), going.end(), part.index) == going.end());
    }
  });
  return unknown;
}

void MessageLedger::EndRun(const std::string& detail) {
  if (run_ == 0) return;
  Try([&] {
    for (std::int64_t message : run_messages_) store_->RefuseQueued(message, detail, loop_.Now());
    store_->EndRun(run_, loop_.Now());
  });
  run_ = 0;
  run_messages_.clear();
  pending_.clear();
  references_.clear();
}

bool MessageLedger::Received(const std::string& transport, const ReceivedPart& part) {
  StoredMessage message;
  message.number_typed = part.sender;
  message.number = NormalisedNumber(part.sender);
  message.text = part.text;
  message.encoding = part.encoding;
  message.transport = transport;
  message.created = loop_.Now();
  return Try([&] { store_->AddReceived(message); });
}

void MessageLedger::Cut(std::int64_t message, int part_count, int reference,
                        const std::string& encoding) {
  if (message == 0) return;
  Try([&] { store_->SetCut(message, part_count, reference, encoding); });
}

int MessageLedger::StoredReference(std::int64_t message) const {
  const auto found = references_.find(message);
  return found == references_.end() ? -1 : found->second;
}

std::vector<int> MessageLedger::PendingParts(std::int64_t message, int part_count) const {
  std::vector<int> parts;
  if (const auto found = pending_.find(message); found != pending_.end()) {
    std::copy_if(found->second.begin(), found->second.end(), std::back_inserter(parts),
                 [part_count](int index) { return index < part_count; });
    return parts;
  }
  parts.resize(part_count);
  std::iota(parts.begin(), parts.end(), 0);
  return parts;
}

std::string MessageLedger::Writing(const std::vector<PartKey>& parts) {
  std::vector<PartKey> stored;
  std::copy_if(parts.begin(), parts.end(), std::back_inserter(stored),
               [](const PartKey& part) { return part.message != 0; });
  if (stored.empty()) return {};
  if (store_ == nullptr) return unavailable_;
  try {
    store_->MarkWriting(stored, loop_.Now());
  } catch (const StoreError& error) {
    return kStoreWriteError + std::string(error.what());
  }
  return {};
}

void MessageLedger::Answered(const PartKey& part, MessageState state, const std::string& ref,
                             const std::string& detail) {
  if (part.message == 0) return;
  Try([&] { store_->SetPart(part, state, ref, detail, loop_.Now()); });
}

bool MessageLedger::LateReceipt(const std::string& ref, MessageState state,
                                const std::string& detail) {
  if (store_ == nullptr) return false;
  std::optional<PartKey> part;
  try {
    part = store_->FindPart(transport_, ref);
  } catch (const StoreError& error) {
    error_ = kStoreWriteError + std::string(error.what());
    return false;
  }
  if (!part) return false;
  Answered(*part, state, ref, detail);
  return true;
}

}  // namespace tolvane
