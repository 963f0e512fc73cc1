#include "app/qt_program.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <iostream>

#include "api/message_resource.h"
#include "api/new_api_token.h"
#include "api/webhook_signature.h"
#include "core/program_options.h"
#include "core/secret_store.h"
#include "platform/local_file_system.h"
#include "platform/store_error.h"
#include "transports/transport_list.h"

namespace tolvane {

QtProgram::QtProgram(bool serve)
    : transports_(ProgramTransports()),
      host_(widget_, dialogs_, clipboard_),
      serve_host_(std::cerr, [] { QCoreApplication::quit(); }),
      program_({loop_, transports_, ports_, http_client_, dialogs_, clipboard_, help_viewer_,
                LocalFileSystem::Instance(), mail_client_, dialler_},
               store_, serve ? static_cast<MainWindowHost&>(serve_host_) : host_) {
  host_.SetPresenter(&program_.Window());
  host_.SetSettings(&program_.Settings());
  host_.SetDialler(&dialler_);
  host_.SetSerialPortList(&serial_ports_);
}

bool QtProgram::Start(const ProgramLocation& location, const std::string& command_line) {
  if (!program_.Startup(location, command_line)) return false;
  widget_.Bind(&program_.Window());
  OpenMessages();
  StartWebhook();
  widget_.SetOnClose([this] {
    program_.Shutdown(widget_.CurrentPlacement());
    QCoreApplication::quit();
  });
  widget_.ShowPlaced();
  StartApi();
  return true;
}

bool QtProgram::Serve(const ProgramLocation& location) {
  serve_host_.Watch(program_.Window());
  if (!program_.Startup(location, kServeOption)) return false;
  stop_signals_ = std::make_unique<QtStopSignals>([this] {
    // The store has committed what the send did so far; the lock on its run
    // goes with the process.
    program_.EndServing([] { std::_Exit(kExitAccepted); });
  });
  StartApi();
  StartWebhook();
  return true;
}

QtProgram::~QtProgram() {
  MessageStore* store = program_.Window().Messages().Store();
  if (messages_ != nullptr && store != nullptr) store->RemoveListener(messages_.get());
}

void QtProgram::StartApi() {
  ProgramSettings& settings = program_.Settings();
  const ApiSettings& api = settings.api;
  // An order or a resumed run sends and ends.
  if (!api.Enabled || program_.CommandLineMode()) return;
  std::string refusal = ApiListenRefusal(api);
  if (refusal.empty()) {
    api_queue_ = std::make_unique<ApiRunQueue>(program_.Window(), dialogs_);
    api_handler_ = std::make_unique<ApiHandler>(
        ApiServices{program_.Window(), *api_queue_, [this] { return program_.ReceivingState(); }},
        SecretStore(settings.ProgramFolder).ReadSecret(kApiSecret));
    api_server_ = std::make_unique<QtApiServer>(
        [this](const ApiRequest& request) { return api_handler_->Handle(request); });
    const std::string error = api_server_->Listen(api);
    if (error.empty()) {
      std::cerr << "API: listening on " << (api.Tls ? "https://" : "http://") << api.Address << ":"
                << api_server_->Port() << "\n";
      return;
    }
    refusal =
        "The API cannot listen on " + api.Address + ":" + std::to_string(api.Port) + ": " + error;
    api_server_.reset();
  }
  dialogs_.MessageBox(refusal, "Tolvane", MessageIcon::kExclamation);
}

void QtProgram::StartWebhook() {
  const std::string folder = program_.Settings().ProgramFolder;
  const std::string& url = program_.Settings().api.Webhook;
  MessageStore* store = program_.Window().Messages().Store();
  if (url.empty() || store == nullptr) return;
  webhook_ = std::make_unique<WebhookSender>(
      WebhookServices{loop_, webhook_client_, *store,
                      [folder] { return SecretStore(folder).ReadSecret(kWebhookSecret); },
                      [store](const std::string& id) { return ResourceById(*store, id); },
                      [](const std::string& line) { std::cerr << line << std::endl; }},
      url);
  program_.Received().AddListener(webhook_.get());
  webhook_->Start();
}

void QtProgram::OpenMessages() {
  try {
    reader_ = std::make_unique<ConversationReader>(program_.Settings().ProgramFolder +
                                                   ProgramLocation::kMessageStoreFile);
  } catch (const StoreError&) {
    // Start-up has told why the store cannot be opened.
    return;
  }
  // An unattended run (no display) shows nothing at all.
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
    notifier_ = std::make_unique<QtDesktopNotifier>();
  }
  messages_ = std::make_unique<MessagesWindow>(
      MessagesWindowServices{*reader_, program_.Window(), dialogs_, clipboard_, notifier_.get(),
                             program_.Window().Messages().Store()});
  program_.Received().AddListener(messages_.get());
  if (MessageStore* store = program_.Window().Messages().Store())
    store->AddListener(messages_.get());
  messages_dialog_ = std::make_unique<MessagesDialog>(*messages_, &widget_);
  widget_.AddMessagesEntry(messages_->ButtonText(), [this] { messages_->Open(); });
  messages_->SetOnButtonChanged(
      [this](const std::string& caption) { widget_.SetMessagesCaption(caption); });
  messages_->Refresh();
}

int QtProgram::ExitStatus(int loop_status) const {
  return program_.CommandLineMode() ? program_.ExitStatus() : loop_status;
}

}  // namespace tolvane
