#ifndef TOLVANE_PLATFORM_QT_NM_DIALLER_H_
#define TOLVANE_PLATFORM_QT_NM_DIALLER_H_

#include <QByteArray>
#include <QHash>
#include <QProcess>
#include <QStringList>
#include <QTemporaryFile>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialler.h"

namespace tolvane {

// The dial-up connection through NetworkManager's command-line client
// (nmcli): the connections it knows, bringing one up and down. While it
// brings a connection up, and from when it finds one up, it watches the
// states of the connection's device (`nmcli monitor`) and reports them:
// preparing, configuring and asking for secrets as "authenticate"; getting
// and checking the addresses and starting secondary connections as
// "authenticated"; connected as "connected"; and, once connected, the device
// deactivating, failing or disconnecting as "disconnected" (reported once,
// after which nothing is watched). A failed activation is the error of
// `nmcli connection up`, whose success is "connected" for a connection
// without a device of its own too; a modem that found the line busy gives
// the busy error. Hanging up reports nothing. Without NetworkManager the
// list is empty and dialling ends with an error that says so.
class NmDialler : public Dialler {
 public:
  // `activation_timeout_s`: how long NetworkManager may take to bring a
  // connection up.
  explicit NmDialler(int activation_timeout_s = 60);
  ~NmDialler() override;

  std::vector<std::string> ConnectionNames() override;
  void SetEntryName(const std::string& name) override { entry_name_ = name; }
  const std::string& EntryName() const override { return entry_name_; }
  void SetUserName(const std::string& user_name) override { user_name_ = user_name; }
  void SetPassword(const std::string& password) override { password_ = password; }
  void Dial() override;
  // A connection found up is watched from then on, so that its end is
  // reported as well.
  bool IsConnected() override;
  void HangUp() override;
  void SetOnStateChanged(std::function<void(int)> handler) override {
    on_state_ = std::move(handler);
  }
  void SetOnError(std::function<void(int, const std::string&)> handler) override {
    on_error_ = std::move(handler);
  }

  // The error number when NetworkManager cannot be reached at all.
  static constexpr int kErrorUnavailable = 1;
  static constexpr char kUnavailableText[] =
      "NetworkManager is not available (nmcli could not be run).";

 private:
  struct Result {
    bool started = false;
    int exit_code = -1;
    QString output;
    QString error;
  };
  // Runs nmcli to its end (a few seconds at most).
  static Result Run(const QStringList& arguments);
  // The terse output of nmcli split into lines of fields.
  static std::vector<QStringList> TerseLines(const QString& output);
  void OnDialFinished(int exit_code);
  void OnDialFailedToStart();
  void StopDial();
  // Starts `nmcli monitor`; `device` is the connection's device when known,
  // else it is learnt from the monitor.
  void Watch(const QString& device);
  void StopWatching();
  void OnMonitorOutput();
  void OnMonitorLine(const QString& line);
  // Reports a state unless it was reported already or is behind the last
  // one; "disconnected" only after "connected".
  void Report(int state);
  void EmitState(int state);
  void EmitError(int number, const std::string& description);
  // A file that hands the password to nmcli for the connection's type.
  std::unique_ptr<QTemporaryFile> PasswordFile();

  const int activation_timeout_s_;
  std::string entry_name_;
  std::string user_name_;
  std::string password_;
  std::function<void(int)> on_state_;
  std::function<void(int, const std::string&)> on_error_;
  std::unique_ptr<QProcess> dial_;
  std::unique_ptr<QTemporaryFile> password_file_;
  // Counts dials and hang-ups, so that a dial's end that arrives after the
  // next one began is dropped.
  int attempt_ = 0;
  // The last state reported for the connection; 0 before the first.
  int reported_ = 0;
  std::unique_ptr<QProcess> monitor_;
  QByteArray monitor_output_;
  // The monitor's output is being handled (a handler may dial or hang up).
  bool handling_output_ = false;
  QString device_;
  // The last state of each device seen before the connection's device was
  // known: the monitor may tell a device's state before its connection.
  QHash<QString, QString> device_states_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_NM_DIALLER_H_
