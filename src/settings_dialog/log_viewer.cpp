#include "settings_dialog/log_viewer.h"

#include <utility>

#include "core/settings_file.h"
#include "records/log_file.h"
#include "text/text_helpers.h"

namespace tolvane {
namespace {

// What a successful read enables.
constexpr LogControl kRecordControls[] = {
    LogControl::kRecordNumber, LogControl::kDate,    LogControl::kTime,    LogControl::kSubscriber,
    LogControl::kReceipt,      LogControl::kMessage, LogControl::kFirst,   LogControl::kPrevious,
    LogControl::kNext,         LogControl::kLast,    LogControl::kGoToBox, LogControl::kGoTo};

// What a delete empties.
constexpr LogControl kBoxes[] = {
    LogControl::kRecordNumber, LogControl::kDate,    LogControl::kTime,   LogControl::kSubscriber,
    LogControl::kReceipt,      LogControl::kMessage, LogControl::kGoToBox};

constexpr char kNoLogText[] = "No logfile exist yet!";
constexpr char kNoLogTitle[] = "No logfile!";

}  // namespace

LogViewer::LogViewer(std::string program_folder, Dialogs& dialogs)
    : folder_(std::move(program_folder)), dialogs_(dialogs) {
  auto set = [this](LogControl control, const char* caption) { Mutable(control).text = caption; };
  set(LogControl::kRead, "Read logfile");
  set(LogControl::kDelete, "Delete logfile");
  set(LogControl::kFirst, "|<");
  set(LogControl::kPrevious, "<");
  set(LogControl::kNext, ">");
  set(LogControl::kLast, ">|");
  set(LogControl::kGoTo, "GoTo record nr:");
  for (LogControl control : kRecordControls) Mutable(control).enabled = false;
}

const ControlState& LogViewer::Control(LogControl control) const {
  return controls_[static_cast<size_t>(control)];
}

ControlState& LogViewer::Mutable(LogControl control) {
  return controls_[static_cast<size_t>(control)];
}

void LogViewer::Changed() {
  if (on_changed_) on_changed_();
}

void LogViewer::FocusGoToBox() {
  ++focus_count_;
  Changed();
}

void LogViewer::Show(int number) {
  current_ = number;
  const LogRecord& record = records_.at(number - 1);
  Mutable(LogControl::kRecordNumber).text = std::to_string(number);
  Mutable(LogControl::kDate).text = record.date;
  Mutable(LogControl::kTime).text = record.time;
  Mutable(LogControl::kSubscriber).text = record.recipient;
  Mutable(LogControl::kReceipt).text = record.result;
  Mutable(LogControl::kMessage).text = record.message;
  Changed();
}

void LogViewer::Read() {
  if (!FileExists(folder_ + kLogFileName)) {
    dialogs_.MessageBox(kNoLogText, kNoLogTitle, MessageIcon::kInformation);
    return;
  }
  bool failed = false;
  std::vector<LogRecord> records = ReadLogRecords(folder_, &failed);
  // A log without a line has no record 1 to show: reading it fails too.
  if (failed || records.empty()) {
    // What was shown before stays, whole, so navigating never mixes two reads.
    dialogs_.MessageBox("Error reading the logfile!", "Error!", MessageIcon::kNone);
    return;
  }
  records_ = std::move(records);
  for (LogControl control : kRecordControls) Mutable(control).enabled = true;
  Show(1);
  FocusGoToBox();
}

void LogViewer::First() {
  Show(1);
  FocusGoToBox();
}

void LogViewer::Last() {
  Show(RecordCount());
  FocusGoToBox();
}

void LogViewer::Previous() {
  if (current_ > 1) {
    Show(current_ - 1);
  } else {
    dialogs_.Beep();
  }
  FocusGoToBox();
}

void LogViewer::Next() {
  if (current_ < RecordCount()) {
    Show(current_ + 1);
  } else {
    dialogs_.Beep();
  }
  FocusGoToBox();
}

void LogViewer::EditGoToBox(const std::string& text) { Mutable(LogControl::kGoToBox).text = text; }

void LogViewer::GoTo() {
  const long number = LeadingWholeNumber(Control(LogControl::kGoToBox).text);
  if (number > 0 && number <= RecordCount()) {
    Show(static_cast<int>(number));
  } else {
    dialogs_.MessageBox("Wrong record!", "Error", MessageIcon::kCritical);
  }
  FocusGoToBox();
}

void LogViewer::Delete() {
  if (!FileExists(folder_ + kLogFileName)) {
    dialogs_.MessageBox(kNoLogText, kNoLogTitle, MessageIcon::kInformation);
    return;
  }
  if (dialogs_.MessageBox("Are you sure?", "Confirm deleting!", MessageIcon::kQuestion,
                          MessageButtons::kYesNo) == MessageAnswer::kNo) {
    return;
  }
  if (DeleteLogFile(folder_) != 0) {
    dialogs_.MessageBox("Error while deleting logfile!", "Writeprotected?",
                        MessageIcon::kInformation);
    return;
  }
  // The records of a deleted log are gone: the view is as before a read.
  records_.clear();
  current_ = 0;
  for (LogControl control : kRecordControls) Mutable(control).enabled = false;
  for (LogControl box : kBoxes) Mutable(box).text.clear();
  Changed();
}

}  // namespace tolvane
