#ifndef TOLVANE_CORE_PROGRAM_H_
#define TOLVANE_CORE_PROGRAM_H_

#include <functional>
#include <memory>
#include <string>

#include "bulk/command_line_sending.h"
#include "core/main_window.h"
#include "core/program_location.h"
#include "core/program_settings.h"
#include "core/receiving.h"
#include "platform/phone_book_store.h"
#include "platform/record_cursor.h"
#include "platform/run_ownership.h"
#include "store/message_store.h"

namespace tolvane {

// Process exit status of a command-line run.
inline constexpr int kExitAccepted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadOrder = 2;

// The program as a whole: start-up, the command-line run and shutdown around
// the main window.
class Program {
 public:
  Program(const MainWindowServices& services, PhoneBookStore& store, MainWindowHost& host);
  ~Program();

  // Runs the start-up steps in the program folder of `location`. False when
  // the program must end at once (the phone book is missing); nothing has been
  // read or written then. The command line is UTF-8 (Windows-1252 when it
  // is not valid UTF-8).
  bool Startup(const ProgramLocation& location, const std::string& command_line);
  // The close request of the main window; `placement` is where it stands now.
  void Shutdown(const MainWindow::Placement& placement);
  // SIGTERM or SIGINT while serving: the shutdown, then the host closes the
  // program. A send in progress is left as it stands, for the next start to
  // continue (ending it would end its messages as cancelled): only `abandon`
  // is called, which ends the process at once.
  void EndServing(const std::function<void()>& abandon);

  MainWindow& Window() { return *window_; }
  // What the transports receive.
  Inbox& Received() { return receiving_.Messages(); }
  // The session for receiving: "connected", "reconnecting" or "off".
  std::string ReceivingState() const { return receiving_.State(); }
  ProgramSettings& Settings() { return settings_; }
  bool CommandLineMode() const { return window_->CommandLineMode(); }
  // What a command-line run tells its caller.
  int ExitStatus() const { return exit_status_; }

 private:
  void ReportError(int number);
  // Opens messages.db in the program folder unless the services brought a
  // store; without one, every send is refused with the reason.
  void OpenMessageStore(const std::string& program_folder);
  void OnStartupTimer();
  // The window asks what becomes of each run cut short; serving continues
  // each without asking.
  void TakeUpCutRuns();
  // Serving checks mail when a server and a schedule are set.
  void StartMailChecking();
  // `--resume`: every run cut short continued; the exit status as for an order.
  int ResumeAll();

  MainWindowServices services_;
  PhoneBookStore& store_;
  MainWindowHost& host_;
  ProgramSettings settings_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<RecordCursor> cursor_;
  std::unique_ptr<MessageStore> messages_;
  Receiving receiving_;
  std::unique_ptr<Timer> startup_timer_;
  // This program's lock on the runs it sends.
  std::unique_ptr<RunOwnership> ownership_;
  // Asks about runs cut short once the window shows.
  std::unique_ptr<Timer> resume_timer_;
  bool resume_ = false;
  // `--serve`: no window; the host reports instead.
  bool serve_ = false;
  std::string command_line_text_;
  // Only a positive answer gives kExitAccepted: a run closed before its order
  // was sent has failed.
  int exit_status_ = kExitFailed;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_PROGRAM_H_
