#ifndef TOLVANE_CORE_MAIN_WINDOW_HOST_H_
#define TOLVANE_CORE_MAIN_WINDOW_HOST_H_

#include <string>

namespace tolvane {

// The windows the main window opens, modally, and its own closing.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  virtual void OpenPhoneBook() = 0;
  virtual void OpenQuickMessages() = 0;
  virtual void OpenSettings() = 0;
  virtual void OpenAbout() = 0;
  // "Time to send...", whose OK calls the main window's SetDeliveryTime;
  // returns once the dialog is closed.
  virtual void OpenTimeToSend() = 0;
  // Closes the main window, which runs the shutdown and ends the program.
  virtual void CloseMainWindow() = 0;
  // The state of the session kept for receiving ("Receiving: connected"),
  // empty when none is kept.
  virtual void ShowReceiving(const std::string& /*text*/) {}
  // A whole message received and kept, from `sender` as the network gave it.
  virtual void ShowReceived(const std::string& /*sender*/, const std::string& /*text*/) {}
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_MAIN_WINDOW_HOST_H_
