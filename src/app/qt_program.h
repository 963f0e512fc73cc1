#ifndef TOLVANE_APP_QT_PROGRAM_H_
#define TOLVANE_APP_QT_PROGRAM_H_

#include <memory>
#include <string>

#include "api/api_handler.h"
#include "api/api_run_queue.h"
#include "api/webhook_sender.h"
#include "core/program.h"
#include "core/program_location.h"
#include "core/serve_host.h"
#include "inbox/messages_window.h"
#include "platform/qt/nm_dialler.h"
#include "platform/qt/qt_api_server.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_desktop_notifier.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_help_viewer.h"
#include "platform/qt/qt_http_client.h"
#include "platform/qt/qt_pop3_client.h"
#include "platform/qt/qt_serial_port_list.h"
#include "platform/qt/qt_stop_signals.h"
#include "platform/qt/qt_transport_ports.h"
#include "platform/sqlite_phone_book_store.h"
#include "store/conversation_reader.h"
#include "ui/main_window_widget.h"
#include "ui/messages_dialog.h"
#include "ui/qt_main_window_host.h"

namespace tolvane {

// The whole program on Qt: an adapter for every platform interface, the
// phone-book store, the main window and the presenters behind it, put
// together in one place for the executable and the benchmarks. Needs a
// QApplication.
class QtProgram {
 public:
  // `serve`: without a window, reporting on standard error.
  explicit QtProgram(bool serve = false);
  ~QtProgram();

  // Runs the start-up in `location`. False when the program must end at
  // once; otherwise the main window is shown, and closing it runs the
  // shutdown and ends Qt's loop.
  bool Start(const ProgramLocation& location, const std::string& command_line);
  // `--serve`: the start-up without a window; SIGTERM or SIGINT ends Qt's
  // loop after the shutdown, or ends the process at once during a send.
  bool Serve(const ProgramLocation& location);
  // What the process returns once Qt's loop ended with `loop_status`.
  int ExitStatus(int loop_status) const;

  MainWindow& Window() { return program_.Window(); }
  MainWindowWidget& Widget() { return widget_; }
  // The Messages window; null when the message store cannot be read.
  MessagesWindow* Messages() { return messages_.get(); }

 private:
  // The Messages window over the store, its button on the main window, and
  // desktop notices where there is a desktop to show them.
  void OpenMessages();
  // The HTTP API when [API] Enabled=1; a setting it cannot listen with is
  // told in a message box (on standard error when serving).
  void StartApi();
  // Tells `[API] Webhook` of messages received and of what became of those
  // sent, when it names an address and the message store is open.
  void StartWebhook();

  QtEventLoop loop_;
  TransportList transports_;
  QtTransportPorts ports_;
  QtSerialPortList serial_ports_;
  QtHttpClient http_client_;
  QtDialogs dialogs_;
  QtClipboard clipboard_;
  QtHelpViewer help_viewer_;
  QtPop3Client mail_client_;
  NmDialler dialler_;
  SqlitePhoneBookStore store_;
  MainWindowWidget widget_;
  QtMainWindowHost host_;
  ServeHost serve_host_;
  Program program_;
  std::unique_ptr<QtStopSignals> stop_signals_;
  std::unique_ptr<ConversationReader> reader_;
  std::unique_ptr<QtDesktopNotifier> notifier_;
  std::unique_ptr<MessagesWindow> messages_;
  std::unique_ptr<MessagesDialog> messages_dialog_;
  std::unique_ptr<ApiRunQueue> api_queue_;
  std::unique_ptr<ApiHandler> api_handler_;
  std::unique_ptr<QtApiServer> api_server_;
  // The webhook's requests go beside the gateway's, on a client of their own.
  QtHttpClient webhook_client_;
  std::unique_ptr<WebhookSender> webhook_;
};

}  // namespace tolvane

#endif  // TOLVANE_APP_QT_PROGRAM_H_
