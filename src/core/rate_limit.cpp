#include "core/rate_limit.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <utility>

#include "core/receipt_texts.h"
#include "platform/local_time.h"
#include "sms/no_references.h"
#include "sms/sms_message.h"

namespace tolvane {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kMinute = std::chrono::minutes(1);

// The local midnight that begins the day of `time`, `days` later.
TimePoint LocalMidnight(TimePoint time, int days) {
  const std::time_t seconds = Clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  local.tm_mday += days;
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&local));
}

std::string AtMost(int limit, const char* per) {
  return "at most " + std::to_string(limit) + " SMS a " + per + ".";
}

}  // namespace

RateLimit::RateLimit(const MessageStore* store, std::string transport, int per_minute, int per_day)
    : store_(store), transport_(std::move(transport)), per_minute_(per_minute), per_day_(per_day) {}

RateLimit::RateLimit(SendHost& host)
    : RateLimit(host.Messages().Store(), host.Settings().AccessTyp, host.Settings().PerMinute,
                host.Settings().PerDay) {}

int RateLimit::CountSince(TimePoint since) const {
  return store_->PartsSentSince(transport_, since);
}

std::optional<RateLimit::Pause> RateLimit::PauseAt(TimePoint now, int parts) const {
  if (store_ == nullptr) return std::nullopt;
  auto fits = [parts](int count, int limit) { return count == 0 || count + parts <= limit; };
  std::optional<Pause> pause;
  if (per_day_ > 0 && !fits(CountSince(LocalMidnight(now, 0)), per_day_)) {
    pause = Pause{LocalMidnight(now, 1), AtMost(per_day_, "day")};
  }
  // A message counts for the minute from the millisecond it began to go.
  auto minute_count_at = [this](TimePoint at) {
    return CountSince(at - kMinute + milliseconds(1));
  };
  if (per_minute_ > 0 && !fits(minute_count_at(now), per_minute_)) {
    // The first millisecond at which enough of those counted have dropped out.
    long long too_soon = 0;
    long long in_time = kMinute.count();
    while (in_time - too_soon > 1) {
      const long long middle = too_soon + (in_time - too_soon) / 2;
      (fits(minute_count_at(now + milliseconds(middle)), per_minute_) ? in_time : too_soon) =
          middle;
    }
    const TimePoint until = now + milliseconds(in_time);
    if (!pause || until > pause->until) pause = Pause{until, AtMost(per_minute_, "minute")};
  }
  return pause;
}

bool RateLimit::Await(SendContext& context, int parts) const {
  SendState& state = context.State();
  bool waited = false;
  while (!state.cancelled) {
    const TimePoint now = context.Loop().Now();
    const std::optional<Pause> pause = PauseAt(now, parts);
    if (!pause) {
      if (waited) context.SetStatusLine("");
      return true;
    }
    waited = true;
    context.SetStatusLine("Waiting until " + TimeOfDayText(pause->until) + ": " + pause->limit);
    const auto wait = std::chrono::ceil<milliseconds>(pause->until - now).count();
    WaitFor(context.Loop(), static_cast<int>(std::max<long long>(1, wait)),
            [&state] { return state.cancelled; });
  }
  context.SetReceiptLine(kReceiptCancelled);
  return false;
}

bool RateLimit::AwaitNext(SendHost& host) {
  const Transport& transport = host.ActiveTransport();
  int parts = host.State().double_message ? 2 : 1;
  if (transport.SplitsLongMessages()) {
    NoReferences references;
    const SmsMessage message =
        PrepareMessage(host.State().message, host.Settings().MaxParts, references);
    parts = std::max<int>(1, static_cast<int>(message.parts.size()));
  }
  return RateLimit(host).Await(host, parts);
}

}  // namespace tolvane
