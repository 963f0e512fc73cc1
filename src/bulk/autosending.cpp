#include "bulk/autosending.h"

#include <algorithm>
#include <vector>

#include "bulk/command_line_sending.h"
#include "bulk/group_sending.h"
#include "bulk/run_resumption.h"
#include "core/time_of_day.h"
#include "platform/local_time.h"
#include "platform/text_codec.h"
#include "records/log_file.h"
#include "records/log_record.h"

namespace tolvane {
namespace {

// What autosending locks while it is on; a send locks a part of it too.
constexpr MainControl kLockedWhileOn[] = {
    MainControl::kNow,           MainControl::kMailchecking,    MainControl::kTemporaryNumber,
    MainControl::kMessageButton, MainControl::kPhonebookButton, MainControl::kGroupSending,
    MainControl::kSendToGroup,   MainControl::kDelayNone,       MainControl::kDelayTo,
    MainControl::kMenuMessage,   MainControl::kMenuPhonebook,   MainControl::kMenuSettings};

// Producers write a hidden file and rename it into place when it is done.
bool IsHidden(const std::string& name) { return !name.empty() && name[0] == '.'; }

}  // namespace

Autosending::Autosending(AutosendHost& window, Dialogs& dialogs, FileSystem& files)
    : window_(window), dialogs_(dialogs), files_(files), timer_(window.Loop().CreateTimer()) {
  timer_->SetInterval(kTickMs);
  timer_->SetSingleShot(false);
  timer_->SetCallback([this] { OnTick(); });
}

Autosending::~Autosending() = default;

bool Autosending::On() const { return window_.Control(MainControl::kAutosending).checked; }

bool Autosending::Cancelled() const { return window_.State().cancelled; }

std::string Autosending::Folder() const {
  std::string folder = window_.Settings().AutoFil;
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

void Autosending::ApplyStartupDefault() {
  // A command-line run sends its one order and closes; a pass beside it
  // would start a second send in the middle of the first.
  if (window_.Settings().AutoDef.substr(0, 1) == "1" && !window_.CommandLineMode()) {
    OnBoxClicked(true);
  } else {
    window_.SetChecked(MainControl::kAutosending, false);
  }
}

void Autosending::OnBoxClicked(bool checked) {
  if (checked && (window_.State().sending || pass_running_)) {
    // Its passes would start sends in the middle of one that runs, or
    // beside the pass still winding down.
    window_.SetChecked(MainControl::kAutosending, false);
  } else if (checked) {
    SwitchOn();
  } else {
    SwitchOff();
  }
}

void Autosending::SwitchOn() {
  window_.SetChecked(MainControl::kAutosending, true);
  LockCommands();
  const std::string& folder = window_.Settings().AutoFil;
  if (folder.empty() || !files_.IsFolder(folder)) {
    dialogs_.MessageBox(folder.empty() ? "You must specify a path first. Choose File Settings..."
                                       : "The folder " + folder + " does not exist",
                        "Path?", MessageIcon::kInformation);
    SwitchOff();
    return;
  }
  window_.State().cancelled = false;
  countdown_ = window_.Settings().PollTid;
  window_pass_done_ = false;
  // Switched on anew, perhaps after the window or the settings changed.
  refused_.clear();
  timer_->Start();
}

void Autosending::SwitchOff() {
  window_.SetChecked(MainControl::kAutosending, false);
  // A pass in progress stops after its current step.
  window_.State().cancelled = true;
  timer_->Stop();
  // A running pass frees the commands once it has unwound, so that no send
  // can be started beside its own.
  if (!pass_running_) FreeCommands();
}

void Autosending::LockCommands() {
  for (MainControl c : kLockedWhileOn) window_.SetEnabled(c, false);
  window_.SetEnabled(MainControl::kSend, false);
  window_.SetEnabled(MainList::kRecipients, false);
}

void Autosending::FreeCommands() {
  const bool temporary = window_.Control(MainControl::kTemporaryNumber).checked;
  for (MainControl c : kLockedWhileOn) window_.SetEnabled(c, true);
  window_.SetEnabled(MainControl::kGroupSending, !temporary);
  // Group mode keeps the person list, "&Send" and "No&w" locked, and mail
  // checking off.
  if (!window_.Groups().GroupMode()) {
    window_.SetEnabled(MainControl::kSend, true);
    window_.SetEnabled(MainList::kRecipients, !temporary);
  } else {
    window_.SetEnabled(MainControl::kNow, false);
    window_.SetEnabled(MainControl::kMailchecking, false);
  }
  window_.RefreshRecipientList();
}

bool Autosending::InTimeWindow() const {
  // Seconds 01 to 04 of the set minute; a setting that is no time never comes.
  const std::optional<TimeOfDay> at = TimeOfDay::Parse(window_.Settings().AutoTid);
  if (!at) return false;
  const std::string now = TimeOfDayText(window_.Loop().Now());
  return now > at->Text() + ":00" && now < at->Text() + ":05";
}

void Autosending::OnTick() {
  const ProgramSettings& settings = window_.Settings();
  const std::string& type = settings.AutoTyp;
  if (type == "2") {
    // The window spans several ticks; a pass that ends early must not run
    // again (and send its files twice) within the same window.
    if (!InTimeWindow()) {
      window_pass_done_ = false;
      return;
    }
    if (window_pass_done_) return;
    window_pass_done_ = true;
  } else if (type == "3") {
    if (countdown_ > 0) {
      --countdown_;
      return;
    }
    countdown_ = settings.PollTid;
  } else if (type != "1") {
    return;
  }

  timer_->Stop();
  pass_running_ = true;
  const PassResult result = RunPass(type == "3");
  pass_running_ = false;
  if (!On()) {
    // Switched off during the pass.
    FreeCommands();
    return;
  }
  const bool close = settings.AutoStang == "1" && !Cancelled();
  if (close && (type != "3" || result.end != PassEnd::kNoFiles)) {
    CloseProgram();
    return;
  }
  if (result.end == PassEnd::kReadFailed) {
    SwitchOff();
    // After the recipient list's refresh, which puts the last typed text back.
    window_.SetMessageText("Tolvane couldn´t send the file! " + Folder() +
                           " Error: " + std::to_string(result.read_error));
    return;
  }
  // Cancel ends autosending, whatever the type: the next pass would only
  // see the cancel again.
  if (result.end == PassEnd::kCancelled || type == "1") {
    SwitchOff();
    return;
  }
  if (type == "3" && result.end == PassEnd::kDone && result.left_behind) {
    // Files left in the folder would be sent again at the next check.
    SwitchOff();
    return;
  }
  countdown_ = settings.PollTid;
  timer_->Start();
}

Autosending::PassResult Autosending::RunPass(bool type3) {
  PassResult result;
  if (Cancelled()) {
    result.end = PassEnd::kCancelled;
    return result;
  }
  ResumeFileRuns();
  PassFiles pass;
  std::vector<std::string> names = ListFiles(pass);
  if (names.empty()) {
    if (!type3) window_.SetReceiptLine("No files to send!");
    return result;
  }
  result.end = PassEnd::kDone;
  const EventLoop& loop = window_.Loop();
  const int poll_ms = (window_.Settings().PollTid + 1) * kTickMs;
  for (;;) {
    if (!SendFiles(names, type3, pass, result)) return result;
    SendDueRetries(pass, result);
    if (pass.retries.empty() || Cancelled()) break;
    // A failed file waits for its time without holding up the others: type 3
    // goes on checking the folder meanwhile.
    TimePoint next =
        std::min_element(pass.retries.begin(), pass.retries.end(),
                         [](const auto& a, const auto& b) { return a.second.due < b.second.due; })
            ->second.due;
    const TimePoint next_check = loop.Now() + std::chrono::milliseconds(poll_ms);
    if (type3) next = std::min(next, next_check);
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(next - loop.Now()).count();
    if (wait > 0 && !WaitCancellable(static_cast<int>(wait))) break;
    names = type3 ? ListFiles(pass) : std::vector<std::string>{};
  }
  if (Cancelled()) result.end = PassEnd::kCancelled;
  return result;
}

std::vector<std::string> Autosending::ListFiles(const PassFiles& pass) {
  const std::string folder = Folder();
  std::vector<std::string> names = files_.List(folder);
  std::erase_if(refused_, [&](const auto& entry) {
    return std::find(names.begin(), names.end(), entry.first) == names.end();
  });
  // Folders have no stamp, nor have files gone since the listing; a file
  // passed over waits until it is changed.
  auto same = [](const auto& map, const std::string& name, const FileStamp& stamp) {
    const auto found = map.find(name);
    return found != map.end() && found->second == stamp;
  };
  std::erase_if(names, [&](const std::string& name) {
    if (IsHidden(name)) return true;
    const std::optional<FileStamp> stamp = files_.Stamp(folder + name);
    if (!stamp) return true;
    const auto retry = pass.retries.find(name);
    return same(refused_, name, *stamp) || same(pass.kept, name, *stamp) ||
           (retry != pass.retries.end() && retry->second.stamp == *stamp);
  });
  std::sort(names.begin(), names.end());
  return names;
}

bool Autosending::SendFiles(const std::vector<std::string>& names, bool type3, PassFiles& pass,
                            PassResult& result) {
  for (const std::string& name : names) {
    if (Cancelled()) {
      result.end = PassEnd::kCancelled;
      return false;
    }
    const std::string path = Folder() + name;
    std::string content;
    std::optional<FileStamp> stamp;
    switch (ReadWhenStill(path, type3 ? kType3FileWaitMs : 0, content, stamp, result.read_error)) {
      case ReadEnd::kRead:
        break;
      case ReadEnd::kGone:
        continue;
      case ReadEnd::kCancelled:
        result.end = PassEnd::kCancelled;
        return false;
      case ReadEnd::kFailed:
        result.end = PassEnd::kReadFailed;
        return false;
    }
    pass.retries.erase(name);
    Settle(name, ForeignTextToUtf8(content), *stamp, pass, result);
    // A retry that came due while this file was read or sent goes next.
    SendDueRetries(pass, result);
  }
  return true;
}

void Autosending::SendDueRetries(PassFiles& pass, PassResult& result) {
  for (auto it = pass.retries.begin(); it != pass.retries.end() && !Cancelled();) {
    const auto [name, retry] = *it;
    if (retry.due > window_.Loop().Now()) {
      ++it;
      continue;
    }
    it = pass.retries.erase(it);
    // Gone or rewritten meanwhile: a new file, listed anew.
    if (files_.Stamp(Folder() + name) != retry.stamp) continue;
    Settle(name, retry.text, retry.stamp, pass, result);
    it = pass.retries.upper_bound(name);
  }
}

void Autosending::Settle(const std::string& name, const std::string& text, const FileStamp& stamp,
                         PassFiles& pass, PassResult& result) {
  SendState& state = window_.State();
  // The store keeps the file of the run, for the run cut short.
  state.run_source = Folder() + name;
  const bool accepted = !text.empty() && Send(text);
  state.run_source.clear();
  // A failure on the way, or Cancel, keeps the file unless the far end took
  // a message of it.
  const bool failed = state.finished || state.init_failed || state.dial_failed;
  const int retry_minutes = window_.Settings().VTid;
  if (text.empty() || Refused()) {
    TellRefused(name, text);
    refused_[name] = stamp;
  } else if (failed && !accepted && retry_minutes > 0 && !Cancelled()) {
    // A run that failed after a member was taken is not tried again: that
    // member would get the message twice.
    pass.retries[name] = {stamp, text, window_.Loop().Now() + std::chrono::minutes(retry_minutes)};
  } else if (!accepted && !failed && !Cancelled()) {
    // Every message was refused by the far end, and logged so; the same
    // file would only be refused again.
    refused_[name] = stamp;
  } else {
    // Only a file a message of which the far end took goes (cancelled
    // after that, it would be sent twice), and only as it was read: a file
    // rewritten meanwhile holds a message not sent yet.
    const std::string path = Folder() + name;
    bool gone = false;
    if (window_.Settings().AutoTabort == "1" && accepted && files_.Stamp(path) == stamp) {
      gone = files_.Remove(path);
    }
    if (!gone) pass.kept[name] = stamp;
    result.left_behind = result.left_behind || !gone;
  }
  // A send gives back what it locked, and an order unticks the temporary
  // number; autosending keeps them locked.
  if (On()) LockCommands();
}

Autosending::ReadEnd Autosending::ReadWhenStill(const std::string& path, int min_wait_ms,
                                                std::string& content,
                                                std::optional<FileStamp>& stamp, int& error) {
  for (;;) {
    stamp = WaitUntilStill(path, min_wait_ms);
    if (Cancelled()) return ReadEnd::kCancelled;
    if (!stamp) return ReadEnd::kGone;
    min_wait_ms = 0;
    error = files_.ReadFile(path, content);
    if (error != 0) return files_.Stamp(path) ? ReadEnd::kFailed : ReadEnd::kGone;
    // A writer that went on while the file was read: wait and read again.
    if (files_.Stamp(path) == stamp) return ReadEnd::kRead;
  }
}

std::optional<FileStamp> Autosending::WaitUntilStill(const std::string& path, int min_wait_ms) {
  EventLoop& loop = window_.Loop();
  std::optional<FileStamp> last = files_.Stamp(path);
  const TimePoint start = loop.Now();
  TimePoint still_since = start;
  auto waited = [&loop](TimePoint since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(loop.Now() - since).count();
  };
  while (last && (waited(still_since) < kStillMs || waited(start) < min_wait_ms)) {
    if (!WaitCancellable(kStillPollMs)) return std::nullopt;
    std::optional<FileStamp> now = files_.Stamp(path);
    if (now != last) still_since = loop.Now();
    last = now;
  }
  return last;
}

bool Autosending::Send(const std::string& content) {
  SendState& state = window_.State();
  // A mail check's own send would turn this one away.
  WaitUntil(window_.Loop(), [this] { return !window_.MailCheckRunning() || Cancelled(); });
  if (Cancelled()) return false;
  // An order refused before its send starts leaves these as they were, and
  // the receipt line empty unless it says why.
  state.attempted = state.finished = state.init_failed = state.dial_failed = false;
  state.accepted = false;
  window_.SetReceiptLine("");
  window_.SetAutosendInProgress(true);
  GroupSending& groups = window_.Groups();
  groups.ClearLastRun();
  if (window_.Settings().NrFranFilOn) {
    CommandLineSending(window_).ArgSandning(content);
  } else {
    state.saved_text = content;
    window_.SetMessageText(content);
    if (groups.GroupMode()) {
      groups.SendToGroup();
    } else {
      window_.StartSend();
    }
  }
  window_.SetAutosendInProgress(false);
  // A run counts its members; a single send has only its own answer.
  return state.accepted || groups.LastRunAcceptedCount() > 0;
}

void Autosending::ResumeFileRuns() {
  RunResumption resumption(window_, files_);
  for (const StoredRun& run : resumption.Claimed(true)) {
    if (Cancelled()) return;
    window_.SetAutosendInProgress(true);
    resumption.Continue(run);
    window_.SetAutosendInProgress(false);
    if (On()) LockCommands();
  }
}

bool Autosending::Refused() const { return !window_.State().attempted && !Cancelled(); }

void Autosending::TellRefused(const std::string& name, const std::string& content) {
  std::string reason = content.empty() ? "The file is empty." : window_.ReceiptLine();
  if (reason.empty()) reason = "The message is empty.";
  window_.SetReceiptLine(name + " not sent: " + reason);
  const ProgramSettings& settings = window_.Settings();
  if (!settings.LoggOn) return;
  const LogRecord record = LogRecord::At(window_.Loop().Now(), Folder() + name, reason, content);
  if (int error = WriteLogRecord(settings.ProgramFolder, record)) {
    window_.SetReceiptLine(LogWriteErrorText(error));
  }
}

bool Autosending::WaitCancellable(int milliseconds) {
  window_.SetEnabled(MainControl::kCancel, true);
  WaitFor(window_.Loop(), milliseconds, [this] { return Cancelled(); });
  window_.SetEnabled(MainControl::kCancel, false);
  return !Cancelled();
}

void Autosending::CloseProgram() { window_.Exit(); }

}  // namespace tolvane
