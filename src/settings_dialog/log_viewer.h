#ifndef TOLVANE_SETTINGS_DIALOG_LOG_VIEWER_H_
#define TOLVANE_SETTINGS_DIALOG_LOG_VIEWER_H_

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/control_state.h"
#include "platform/dialogs.h"
#include "records/log_record.h"

namespace tolvane {

// The controls of the log viewer, by role.
enum class LogControl {
  kRead,
  kDelete,
  kRecordNumber,  // "Rec Nr"
  kDate,
  kTime,
  kSubscriber,
  kReceipt,
  kMessage,
  kFirst,
  kPrevious,
  kNext,
  kLast,
  kGoToBox,
  kGoTo,
  kCount
};

// The log viewer on the settings dialog's "&Log" tab: reads loggfil.txt
// back, at most 300 records, shows one at a time and deletes the file. It
// never writes the log.
class LogViewer {
 public:
  LogViewer(std::string program_folder, Dialogs& dialogs);

  const ControlState& Control(LogControl control) const;
  int RecordCount() const { return static_cast<int>(records_.size()); }
  int Current() const { return current_; }
  // Grows on every request to put the focus in the jump box.
  int FocusRequestCount() const { return focus_count_; }
  void SetOnChanged(std::function<void()> on_changed) { on_changed_ = std::move(on_changed); }

  void Read();
  void First();
  void Previous();
  void Next();
  void Last();
  void EditGoToBox(const std::string& text);
  void GoTo();
  void Delete();

 private:
  ControlState& Mutable(LogControl control);
  void Show(int number);
  void FocusGoToBox();
  void Changed();

  std::string folder_;
  Dialogs& dialogs_;
  std::array<ControlState, static_cast<size_t>(LogControl::kCount)> controls_;
  std::vector<LogRecord> records_;
  int current_ = 0;
  int focus_count_ = 0;
  std::function<void()> on_changed_;
};

}  // namespace tolvane

#endif  // TOLVANE_SETTINGS_DIALOG_LOG_VIEWER_H_
