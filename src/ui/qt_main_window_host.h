#ifndef TOLVANE_UI_QT_MAIN_WINDOW_HOST_H_
#define TOLVANE_UI_QT_MAIN_WINDOW_HOST_H_

#include "core/main_window.h"
#include "core/main_window_host.h"
#include "platform/clipboard.h"
#include "platform/dialler.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_file_chooser.h"
#include "platform/serial_port_list.h"
#include "settings_dialog/settings_dialog.h"
#include "ui/main_window_widget.h"

namespace tolvane {

// Opens the other windows modally over the main window, and serves the
// settings dialog.
class QtMainWindowHost : public MainWindowHost, public SettingsDialogHost {
 public:
  QtMainWindowHost(MainWindowWidget& widget, Dialogs& dialogs, Clipboard& clipboard)
      : widget_(widget), dialogs_(dialogs), clipboard_(clipboard) {}
  void ShowReceiving(const std::string& text) override;

  // The presenter whose phone book the windows edit; set once it exists.
  void SetPresenter(MainWindow* presenter) { presenter_ = presenter; }
  // The settings the settings dialog edits.
  void SetSettings(ProgramSettings* settings) { settings_ = settings; }
  // The dial-up networking component, where the system has one.
  void SetDialler(Dialler* dialler) { dialler_ = dialler; }
  // The machine's serial ports, for the settings dialog to offer.
  void SetSerialPortList(const SerialPortList* ports) { serial_ports_ = ports; }

  // MainWindowHost.
  void OpenPhoneBook() override;
  void OpenQuickMessages() override;
  void OpenSettings() override;
  void OpenAbout() override;
  void OpenTimeToSend() override;
  void CloseMainWindow() override;

  // SettingsDialogHost.
  void ReconfigureTransports() override;
  void RefreshRecipientList() override;
  void OpenBalance(const BalanceQuery& query) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;

 private:
  MainWindowWidget& widget_;
  Dialogs& dialogs_;
  Clipboard& clipboard_;
  MainWindow* presenter_ = nullptr;
  ProgramSettings* settings_ = nullptr;
  Dialler* dialler_ = nullptr;
  const SerialPortList* serial_ports_ = nullptr;
  // Kept, so that the next import or export starts in the last folder.
  QtFileChooser file_chooser_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_QT_MAIN_WINDOW_HOST_H_
