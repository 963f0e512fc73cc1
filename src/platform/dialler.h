#ifndef TOLVANE_PLATFORM_DIALLER_H_
#define TOLVANE_PLATFORM_DIALLER_H_

#include <functional>
#include <string>
#include <vector>

namespace tolvane {

// The dial-up networking component: lists the known connections (for the
// settings dialog), dials a named one and reports its progress through the
// state and error events (for the mail check).
class Dialler {
 public:
  // States of the state event; others may come and are ignored.
  static constexpr int kStateAuthenticate = 5;
  static constexpr int kStateAuthenticated = 14;
  static constexpr int kStateConnected = 8192;
  static constexpr int kStateDisconnected = 8193;
  // Error numbers of the error event with a meaning of their own.
  static constexpr int kErrorBusy = 25676;
  static constexpr int kErrorIgnored = 25621;

  virtual ~Dialler() = default;

  // The connections known to the system, in its order; empty when there are
  // none or they cannot be listed.
  virtual std::vector<std::string> ConnectionNames() = 0;

  virtual void SetEntryName(const std::string& name) = 0;
  virtual const std::string& EntryName() const = 0;
  virtual void SetUserName(const std::string& user_name) = 0;
  virtual void SetPassword(const std::string& password) = 0;
  // Starts dialling the entry and returns at once; progress comes as events.
  virtual void Dial() = 0;
  virtual bool IsConnected() = 0;
  // Ends the connection, or the dialling in progress.
  virtual void HangUp() = 0;

  virtual void SetOnStateChanged(std::function<void(int state)> handler) = 0;
  virtual void SetOnError(
      std::function<void(int number, const std::string& description)> handler) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_DIALLER_H_
