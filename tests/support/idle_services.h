#ifndef TOLVANE_TESTS_SUPPORT_IDLE_SERVICES_H_
#define TOLVANE_TESTS_SUPPORT_IDLE_SERVICES_H_

#include <functional>
#include <string>

#include "core/main_window_host.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/help_viewer.h"
#include "platform/http_client.h"

namespace tolvane::testing {

// Services of the main window that a modem send does not use: message boxes
// answer OK (beeps are counted), the HTTP client and the clipboard are idle.
class QuietDialogs : public Dialogs {
 public:
  MessageAnswer MessageBox(const std::string&, const std::string&, MessageIcon,
                           MessageButtons) override {
    return MessageAnswer::kOk;
  }
  void Beep() override { ++beeps; }
  int beeps = 0;
};

class NoHttpClient : public HttpClient {
 public:
  void Execute(const std::string&, const std::string&, const std::string&,
               const std::string&) override {}
  void SetOnStateChanged(std::function<void(int)>) override {}
  std::string GetChunk(int) override { return ""; }
  std::string GetHeader() override { return ""; }
  int ResponseCode() const override { return 0; }
  std::string ResponseInfo() const override { return ""; }
  bool StillExecuting() const override { return false; }
  void Cancel() override {}
  void SetProxy(int, const std::string&, int) override {}
  std::string OpenUrl(const std::string&) override { return ""; }
};

class NoClipboard : public Clipboard {
 public:
  bool HasText() const override { return false; }
  std::string Text() const override { return ""; }
  void SetText(const std::string&) override {}
};

class NoHelpViewer : public HelpViewer {
 public:
  bool ShowContents(const std::string&) override { return false; }
};

class NoHost : public MainWindowHost {
 public:
  void OpenPhoneBook() override {}
  void OpenQuickMessages() override {}
  void OpenSettings() override {}
  void CloseMainWindow() override {}
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_IDLE_SERVICES_H_
