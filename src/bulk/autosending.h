#ifndef TOLVANE_BULK_AUTOSENDING_H_
#define TOLVANE_BULK_AUTOSENDING_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bulk/autosend_host.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/file_system.h"

namespace tolvane {

// Sends the files other programs drop into the folder `AutoFil`: at once
// (`AutoTyp` 1), once a day at `AutoTid` (2) or whenever files are there (3).
// Each file is the message for the chosen recipient or, with `NrFranFil`, a
// whole order. The "&Autosending" box of the main window switches it. A file
// refused before anything was sent (empty, a wrong order), or whose every
// message the far end refused, stays, is told (or logged) once and is passed
// over until it changes; it never ends autosending. A file whose send failed
// on the way is tried again `VTid` minutes later while the pass goes on with
// the other files; a file goes only once a message of it was accepted.
class Autosending {
 public:
  // Folder checks and waits tick at this rhythm.
  static constexpr int kTickMs = 1000;
  // A file is read once its size and time have held still this long.
  static constexpr int kStillMs = 2000;
  static constexpr int kStillPollMs = 250;
  // Type 3 gives each file this long before it is read.
  static constexpr int kType3FileWaitMs = 6000;

  Autosending(AutosendHost& window, Dialogs& dialogs, FileSystem& files);
  ~Autosending();

  // The "&Autosending" box was clicked.
  void OnBoxClicked(bool checked);
  // Start-up: switches on when `AutoDef` says so.
  void ApplyStartupDefault();
  bool On() const;

 private:
  enum class PassEnd { kNoFiles, kDone, kCancelled, kReadFailed };
  struct PassResult {
    PassEnd end = PassEnd::kNoFiles;
    // A file whose send went ahead (or failed) is still in the folder.
    bool left_behind = false;
    int read_error = 0;
  };
  enum class ReadEnd { kRead, kGone, kCancelled, kFailed };
  // A file whose send failed on the way, with what was read of it.
  struct Retry {
    FileStamp stamp;
    std::string text;
    TimePoint due;
  };
  // The files of one pass: those to try again, and those sent and kept
  // (not sent a second time when the folder is listed again).
  struct PassFiles {
    std::map<std::string, Retry> retries;
    std::map<std::string, FileStamp> kept;
  };

  // The folder with its trailing separator.
  std::string Folder() const;
  void SwitchOn();
  void SwitchOff();
  void LockCommands();
  void FreeCommands();
  void OnTick();
  bool InTimeWindow() const;
  PassResult RunPass(bool type3);
  // Continues the runs of files that a program ending abruptly cut short;
  // a file a message of which was accepted goes, as after any send.
  void ResumeFileRuns();
  // The files in the folder that are not passed over, in name order.
  std::vector<std::string> ListFiles(const PassFiles& pass);
  // Reads and sends each of `names`; false when the pass must end.
  bool SendFiles(const std::vector<std::string>& names, bool type3, PassFiles& pass,
                 PassResult& result);
  // Sends again the failed files whose time has come.
  void SendDueRetries(PassFiles& pass, PassResult& result);
  // What becomes of a file after its send: told, tried again, deleted or kept.
  void Settle(const std::string& name, const std::string& text, const FileStamp& stamp,
              PassFiles& pass, PassResult& result);
  // Waits (the first time at least `min_wait_ms`) until the file holds
  // still, reads it, and reads it again when it changed meanwhile.
  ReadEnd ReadWhenStill(const std::string& path, int min_wait_ms, std::string& content,
                        std::optional<FileStamp>& stamp, int& error);
  // The stamp of a file that held still for kStillMs; nullopt when it went
  // away or the wait was cancelled.
  std::optional<FileStamp> WaitUntilStill(const std::string& path, int min_wait_ms);
  // Sends `content` once; true when the far end accepted a message of it.
  bool Send(const std::string& content);
  // The send of the file just read was turned away before it started.
  bool Refused() const;
  // Tells the refusal on the receipt line and in the log.
  void TellRefused(const std::string& name, const std::string& content);
  // Processes events for `milliseconds` with "&Cancel" usable; false when
  // cancelled.
  bool WaitCancellable(int milliseconds);
  bool Cancelled() const;
  void CloseProgram();

  AutosendHost& window_;
  Dialogs& dialogs_;
  FileSystem& files_;
  std::unique_ptr<Timer> timer_;
  int countdown_ = 0;
  bool pass_running_ = false;
  // A type-2 pass ran in the current time window.
  bool window_pass_done_ = false;
  // Names of the files refused since autosending was switched on, with
  // their stamps as they were read.
  std::map<std::string, FileStamp> refused_;
};

}  // namespace tolvane

#endif  // TOLVANE_BULK_AUTOSENDING_H_
