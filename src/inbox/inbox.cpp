#include "inbox/inbox.h"

#include <algorithm>
#include <chrono>

#include "inbox/inbox_listener.h"
#include "platform/store_error.h"
#include "sms/number_forms.h"
#include "sms/sms_address.h"

namespace tolvane {

namespace {

using Millis = std::chrono::milliseconds;

// A message delivered again without a centre time stamp is known by its
// text for this long.
constexpr auto kSameTextWindow = std::chrono::minutes(10);
// A timer's interval is an int of milliseconds: a long wait is checked in
// steps.
constexpr auto kLongestTimerStep = std::chrono::hours(1);

}  // namespace

Inbox::Inbox(MessageStore* store, EventLoop& loop, InboxHost& host, const InboxSettings& settings)
    : store_(store),
      loop_(loop),
      host_(host),
      settings_(settings),
      overdue_timer_(loop.CreateTimer()) {
  overdue_timer_->SetSingleShot(true);
  overdue_timer_->SetCallback([this] { StoreOverdue(); });
}

Inbox::~Inbox() = default;

ReceiveOutcome Inbox::Take(const std::string& transport, const ReceivedPart& part) {
  if (store_ == nullptr) return ReceiveOutcome::kNotKept;
  try {
    const std::string number = ConversationNumber(NormalisedNumber(part.sender));
    if (part.link && part.link->total > 1) return TakeLinked(transport, part, number);
    if (store_->HasReceived(number, part.centre_time, part.text, loop_.Now() - kSameTextWindow)) {
      return ReceiveOutcome::kDuplicate;
    }
    StoredMessage message{.number_typed = part.sender,
                          .number = number,
                          .name = host_.NameOf(number),
                          .text = part.text,
                          .encoding = part.encoding,
                          .transport = transport,
                          .created = loop_.Now(),
                          .centre_time = part.centre_time,
                          .flash = part.flash};
    store_->AddReceived(message);
    Arrived(message);
    return ReceiveOutcome::kKept;
  } catch (const StoreError&) {
    return ReceiveOutcome::kNotKept;
  }
}

std::string Inbox::ConversationNumber(const std::string& number) const {
  // A reply from "+46701234567" to a message sent to "0701234567" goes on
  // in that conversation.
  return store_->LatestNumber(NationalForms(number)).value_or(number);
}

ReceiveOutcome Inbox::TakeLinked(const std::string& transport, const ReceivedPart& part,
                                 const std::string& number) {
  const InboundPart kept{.transport = transport,
                         .sender = part.sender,
                         .number = number,
                         .reference = part.link->reference,
                         .total = part.link->total,
                         .reference_bits = part.link->reference_bits,
                         .index = part.link->index,
                         .text = part.text,
                         .encoding = part.encoding,
                         .centre_time = part.centre_time,
                         .received = loop_.Now()};
  if (!store_->AddInboundPart(kept, loop_.Now() - kSameTextWindow)) {
    return ReceiveOutcome::kDuplicate;
  }
  const std::vector<InboundPart> parts = store_->InboundParts(kept);
  int have = 0;
  for (int index = 1, i = 0; index <= kept.total; ++index) {
    while (i < static_cast<int>(parts.size()) && parts[i].index < index) ++i;
    if (i < static_cast<int>(parts.size()) && parts[i].index == index) ++have;
  }
  if (have == kept.total) {
    Complete(kept, parts);
  } else if (!overdue_timer_->IsActive()) {
    ScheduleOverdue();
  }
  return ReceiveOutcome::kKept;
}

void Inbox::Complete(const InboundPart& key, const std::vector<InboundPart>& parts) {
  std::string text;
  auto next = parts.begin();
  bool gap = false;
  for (int index = 1; index <= key.total; ++index) {
    while (next != parts.end() && next->index < index) ++next;
    if (next != parts.end() && next->index == index) {
      text += next->text;
      gap = false;
    } else if (!gap) {
      text += kGap;
      gap = true;
    }
  }
  const InboundPart& first = parts.empty() ? key : parts.front();
  StoredMessage message{.number_typed = first.sender,
                        .number = key.number,
                        .name = host_.NameOf(key.number),
                        .text = text,
                        .encoding = first.encoding,
                        .part_count = key.total,
                        .reference = key.reference,
                        .transport = first.transport,
                        .created = loop_.Now(),
                        .centre_time = first.centre_time};
  store_->CompleteInbound(message, key);
  Arrived(message);
}

void Inbox::StoreOverdue() {
  if (store_ == nullptr) return;
  const TimePoint before = loop_.Now() - std::chrono::hours(settings_.PartsWait);
  try {
    for (const InboundPart& key : store_->WaitingSince(before)) {
      Complete(key, store_->InboundParts(key));
    }
    store_->ForgetInboundBefore(before);
    ScheduleOverdue();
  } catch (const StoreError&) {
    // Tried again at the next check.
    overdue_timer_->SetInterval(static_cast<int>(Millis(kLongestTimerStep).count()));
    overdue_timer_->Start();
  }
}

void Inbox::ScheduleOverdue() {
  overdue_timer_->Stop();
  const std::optional<TimePoint> oldest = store_->OldestWaiting();
  if (!oldest) return;
  const auto due = *oldest + std::chrono::hours(settings_.PartsWait) - loop_.Now();
  const auto step =
      std::clamp<Millis>(std::chrono::ceil<Millis>(due), Millis(0), Millis(kLongestTimerStep));
  overdue_timer_->SetInterval(static_cast<int>(step.count()));
  overdue_timer_->Start();
}

void Inbox::Arrived(const StoredMessage& message) {
  host_.LogReceived(message.number_typed, message.text);
  const OptOutWords words(settings_.StopWords, settings_.StartWords);
  const OptOutWords::Meaning meaning = words.Of(message.text);
  if (meaning != OptOutWords::Meaning::kNone) {
    try {
      // The sender's own form: the conversation may keep another.
      const std::string sender = NormalisedNumber(message.number_typed);
      if (meaning == OptOutWords::Meaning::kStop) {
        store_->SetOptedOut(sender, true, loop_.Now());
      } else {
        for (const std::string& listed : store_->OptOuts()) {
          if (SameNumber(listed, sender)) store_->SetOptedOut(listed, false, loop_.Now());
        }
      }
    } catch (const StoreError&) {
      // The message is kept; the user sees it and can stop the number by hand.
    }
  }
  for (InboxListener* listener : listeners_) listener->Arrived(message);
}

}  // namespace tolvane
