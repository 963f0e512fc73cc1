#ifndef TOLVANE_CORE_SERVE_HOST_H_
#define TOLVANE_CORE_SERVE_HOST_H_

#include <functional>
#include <ostream>
#include <string>
#include <utility>

#include "core/main_window.h"
#include "core/main_window_host.h"

namespace tolvane {

// The program without a window (`--serve`): what the window would show goes
// to `out` (standard error), one line each, for a service journal; no other
// window can open.
class ServeHost : public MainWindowHost {
 public:
  // `close` ends the program cleanly.
  ServeHost(std::ostream& out, std::function<void()> close) : out_(out), close_(std::move(close)) {}

  // Reports every change of the status line and the receipt line of `window`.
  void Watch(MainWindow& window);

  // MainWindowHost.
  void OpenPhoneBook() override {}
  void OpenQuickMessages() override {}
  void OpenSettings() override {}
  void OpenAbout() override {}
  void OpenTimeToSend() override {}
  void CloseMainWindow() override { close_(); }
  void ShowReceiving(const std::string& text) override;
  void ShowReceived(const std::string& sender, const std::string& text) override;

 private:
  // `text` as one line: line breaks and other control characters as blanks.
  void WriteLine(const std::string& text);

  std::ostream& out_;
  std::function<void()> close_;
  std::string status_line_;
  std::string receipt_line_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_SERVE_HOST_H_
