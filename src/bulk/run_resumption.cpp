#include "bulk/run_resumption.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>

#include "bulk/group_sending.h"
#include "core/receipt_texts.h"
#include "platform/local_time.h"
#include "platform/store_error.h"
#include "text/text_helpers.h"

namespace tolvane {
namespace {

constexpr char kTitle[] = "Run cut short";
constexpr char kDropped[] = "Dropped.";

// Whom a message was for, as the user knows them.
std::string RecipientOf(const StoredMessage& message) {
  if (message.name.empty() || message.name == "Temporary number" || message.name == "Group") {
    return message.number_typed;
  }
  return message.name;
}

// A message whose send did not end: a part still queued or being written,
// and no part the far end turned away.
bool StillOpen(const StoredMessage& message) {
  if (message.incoming || message.state == MessageState::kRefused ||
      message.state == MessageState::kFailed || message.state == MessageState::kExpired) {
    return false;
  }
  return std::any_of(message.parts.begin(), message.parts.end(), [](const StoredPart& part) {
    return part.state == MessageState::kQueued || part.state == MessageState::kWriting;
  });
}

// The log line's result of a message whose outcome came before the program
// stopped but which was never logged (it waited for its receipts); empty
// for one that was logged or is not over.
std::string UnloggedOutcome(const StoredMessage& message) {
  if (message.incoming || !message.detail.empty() || StillOpen(message)) return {};
  switch (message.state) {
    case MessageState::kAccepted:
      return kReceiptSent;
    case MessageState::kDelivered:
      return kReceiptDelivered;
    case MessageState::kUnknown:
      return kReceiptUnknown;
    case MessageState::kFailed:
    case MessageState::kExpired:
      for (const StoredPart& part : message.parts) {
        if (part.state == message.state) return kReceiptNotDelivered + part.detail;
      }
      return kReceiptNotDelivered;
    default:
      return {};
  }
}

bool WasAccepted(MessageState state) {
  return state == MessageState::kAccepted || state == MessageState::kDelivered ||
         state == MessageState::kFailed || state == MessageState::kExpired;
}

}  // namespace

std::vector<StoredRun> RunResumption::ClaimCutShort(RunOwnership& ownership) {
  MessageLedger& ledger = window_.Messages();
  MessageStore* store = ledger.Store();
  std::vector<StoredRun> claimed;
  // A program without a lock of its own could not keep what it claims.
  if (store == nullptr || ledger.Owner().empty()) return claimed;
  try {
    for (StoredRun& run : store->OpenRuns()) {
      if (run.owner == ledger.Owner() || ownership.Alive(run.owner)) continue;
      if (!store->ClaimRun(run.id, run.owner, ledger.Owner())) continue;
      run.owner = ledger.Owner();
      claimed.push_back(run);
    }
  } catch (const StoreError& error) {
    window_.SetStatusLine(std::string("The message store could not be read: ") + error.what());
  }
  return claimed;
}

std::vector<StoredRun> RunResumption::Claimed(bool from_files) const {
  const MessageLedger& ledger = window_.Messages();
  std::vector<StoredRun> runs;
  if (ledger.Store() == nullptr || ledger.Owner().empty()) return runs;
  try {
    runs = ledger.Store()->OpenRuns();
  } catch (const StoreError&) {
    return {};
  }
  std::erase_if(runs, [&](const StoredRun& run) {
    return run.owner != ledger.Owner() || run.source.empty() == from_files;
  });
  return runs;
}

std::vector<StoredMessage> RunResumption::Messages(const StoredRun& run) const {
  MessageStore* store = window_.Messages().Store();
  if (store == nullptr) return {};
  try {
    return store->RunMessages(run.id);
  } catch (const StoreError&) {
    return {};
  }
}

std::string RunResumption::Description(const StoredRun& run) const {
  const std::vector<StoredMessage> messages = Messages(run);
  // Sent: a part of it at least was written.
  const auto sent = std::count_if(messages.begin(), messages.end(), [](const StoredMessage& m) {
    return std::any_of(m.parts.begin(), m.parts.end(), [](const StoredPart& part) {
      return part.state != MessageState::kQueued && part.state != MessageState::kRefused;
    });
  });
  const std::string tally =
      ": " + std::to_string(sent) + " of " + std::to_string(messages.size()) + " sent.";
  if (run.kind == "group") return "A run to the group " + run.title + " was cut short" + tally;
  if (messages.size() == 1)
    return "A message to " + RecipientOf(messages.front()) + " was cut short.";
  return "A run to " + std::to_string(messages.size()) + " numbers was cut short" + tally;
}

std::string RunResumption::MembersText(const StoredRun& run) const {
  std::string text = Description(run);
  for (const StoredMessage& message : Messages(run)) {
    text += "\r\n" + message.name + " " + message.number_typed + ": " +
            std::string(StateName(message.state));
    if (!message.detail.empty()) text += " (" + message.detail + ")";
  }
  return text;
}

void RunResumption::Ask(const StoredRun& run, Dialogs& dialogs) {
  for (;;) {
    switch (dialogs.MessageBox(Description(run), kTitle, MessageIcon::kQuestion,
                               MessageButtons::kContinueShowDrop)) {
      case MessageAnswer::kContinue:
        Continue(run);
        return;
      case MessageAnswer::kShow:
        dialogs.MessageBox(MembersText(run), kTitle, MessageIcon::kInformation);
        break;
      case MessageAnswer::kDrop:
        Drop(run);
        return;
      default:
        return;
    }
  }
}

std::string RunResumption::LateText(const StoredMessage& message) const {
  const int late_after = window_.Settings().LateAfter;
  if (!message.scheduled || late_after == 0) return {};
  if (window_.Loop().Now() - *message.scheduled <= std::chrono::minutes(late_after)) return {};
  return "Too late: it was to go at " + LocalTimeText(*message.scheduled, "%Y-%m-%d %H:%M") +
         ", more than " + std::to_string(late_after) + " minutes ago.";
}

bool RunResumption::Continue(const StoredRun& run) {
  // One send at a time: the run waits for the next start.
  if (window_.State().sending || window_.MailCheckRunning()) return false;
  const std::vector<StoredMessage> messages = Messages(run);
  LogUnlogged(messages);
  const bool resend = window_.ActiveTransport().ResendsUnanswered();
  std::vector<RunRecipient> members;
  std::map<std::int64_t, std::vector<int>> pending;
  for (const StoredMessage& message : messages) {
    if (!StillOpen(message)) continue;
    std::vector<int> parts;
    for (const StoredPart& part : message.parts) {
      const bool written =
          part.state == MessageState::kWriting || part.state == MessageState::kUnknown;
      if (part.state == MessageState::kQueued || (written && resend)) parts.push_back(part.index);
    }
    RunRecipient& member = members.emplace_back(RunRecipient{
        message.name, message.number_typed, LateText(message), message.id, message.text});
    if (parts.empty()) {
      member.skipped = kReceiptUnknown;
    } else if (parts.size() < message.parts.size()) {
      pending[message.id] = parts;
    }
  }
  if (members.empty()) {
    // Nothing left to send: the run just ends.
    window_.Messages().ResumeRun(run.id, run.transport, {}, {});
    window_.EndRun();
    RemoveSource(run, false);
    return true;
  }
  // The run goes with its own text and time; the window keeps the user's.
  SendState& state = window_.State();
  const std::string text = window_.MessageText();
  const bool deferred = state.deferred;
  const std::string delivery_time = state.delivery_time;
  const std::optional<TimePoint> scheduled = messages.front().scheduled;
  state.deferred = scheduled && *scheduled > window_.Loop().Now();
  if (state.deferred) state.delivery_time = LocalTimeText(*scheduled, "%d%m%y%H%M");
  window_.SetMessageText(messages.front().text);
  GroupSending& groups = window_.Groups();
  groups.ClearLastRun();
  groups.ResumeRun(run, members, std::move(pending));
  const bool accepted = groups.LastRunAccepted();
  state.deferred = deferred;
  state.delivery_time = delivery_time;
  window_.SetMessageText(text);
  RemoveSource(run, groups.LastRunAcceptedCount() > 0);
  return accepted;
}

void RunResumption::LogUnlogged(const std::vector<StoredMessage>& messages) {
  for (const StoredMessage& message : messages) {
    const std::string outcome = UnloggedOutcome(message);
    if (outcome.empty()) continue;
    window_.EndMember({{message.name, DigitsOf(message.number_typed), message.text, message.id},
                       outcome,
                       WasAccepted(message.state)});
  }
}

void RunResumption::Drop(const StoredRun& run) {
  MessageStore* store = window_.Messages().Store();
  if (store == nullptr) return;
  const TimePoint now = window_.Loop().Now();
  const std::vector<StoredMessage> messages = Messages(run);
  LogUnlogged(messages);
  try {
    for (const StoredMessage& message : messages) {
      if (StillOpen(message)) store->EndMessage(message.id, kDropped, now);
    }
    store->EndRun(run.id, now);
  } catch (const StoreError& error) {
    window_.SetStatusLine(std::string("The message store could not be written: ") + error.what());
  }
}

void RunResumption::RemoveSource(const StoredRun& run, bool accepted_now) {
  if (run.source.empty() || window_.Settings().AutoTabort != "1") return;
  const std::vector<StoredMessage> messages = Messages(run);
  if (accepted_now || std::any_of(messages.begin(), messages.end(),
                                  [](const StoredMessage& m) { return WasAccepted(m.state); })) {
    files_.Remove(run.source);
  }
}

}  // namespace tolvane
