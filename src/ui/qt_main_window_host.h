#ifndef TOLVANE_UI_QT_MAIN_WINDOW_HOST_H_
#define TOLVANE_UI_QT_MAIN_WINDOW_HOST_H_

#include "core/main_window.h"
#include "core/main_window_host.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "ui/main_window_widget.h"

namespace tolvane {

// Opens the other windows modally over the main window.
class QtMainWindowHost : public MainWindowHost {
 public:
  QtMainWindowHost(MainWindowWidget& widget, Dialogs& dialogs, Clipboard& clipboard)
      : widget_(widget), dialogs_(dialogs), clipboard_(clipboard) {}

  // The presenter whose phone book the windows edit; set once it exists.
  void SetPresenter(MainWindow* presenter) { presenter_ = presenter; }

  void OpenPhoneBook() override;
  void OpenQuickMessages() override;
  void OpenSettings() override;
  void CloseMainWindow() override;

 private:
  MainWindowWidget& widget_;
  Dialogs& dialogs_;
  Clipboard& clipboard_;
  MainWindow* presenter_ = nullptr;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_QT_MAIN_WINDOW_HOST_H_
