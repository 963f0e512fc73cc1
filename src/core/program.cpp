#include "core/program.h"

#include <algorithm>
#include <string>
#include <vector>

#include "bulk/command_line_sending.h"
#include "bulk/run_resumption.h"
#include "core/program_options.h"
#include "core/settings_file.h"
#include "core/settings_loader.h"
#include "platform/flock_run_ownership.h"
#include "platform/local_file_system.h"
#include "platform/store_error.h"
#include "platform/text_codec.h"

namespace tolvane {
namespace {

constexpr int kStartupDelayMs = 3000;
constexpr char kLeftoverOrderFile[] = "netsend.kvt";

// One box for every pair of names that another program left differing only in
// letter case: neither is changed, the user chooses which to rename.
std::string NameClashText(const std::vector<NameClash>& clashes) {
  std::string text = "These names differ only in letter case:";
  for (const NameClash& clash : clashes) {
    text += "\r\n\"" + clash.name + "\" and \"" + clash.other + "\" in " + clash.table;
  }
  return text + "\r\nRename or delete one of each pair.";
}

}  // namespace

Program::Program(const MainWindowServices& services, PhoneBookStore& store, MainWindowHost& host)
    : services_(services),
      store_(store),
      host_(host),
      window_(std::make_unique<MainWindow>(settings_, services, host)),
      receiving_(
          *window_, store, [&host](const std::string& text) { host.ShowReceiving(text); },
          [&host](const std::string& sender, const std::string& text) {
            host.ShowReceived(sender, text);
          }),
      startup_timer_(services.loop.CreateTimer()),
      resume_timer_(services.loop.CreateTimer()) {
  startup_timer_->SetSingleShot(true);
  startup_timer_->SetInterval(kStartupDelayMs);
  startup_timer_->SetCallback([this] { OnStartupTimer(); });
  resume_timer_->SetSingleShot(true);
  resume_timer_->SetInterval(0);
  // Once the window shows: the runs cut short first, then the session for
  // receiving, whose opening may take a while.
  resume_timer_->SetCallback([this] {
    TakeUpCutRuns();
    receiving_.Listen();
    StartMailChecking();
  });
}

Program::~Program() = default;

void Program::ReportError(int number) {
  services_.dialogs.MessageBox("Error: " + std::to_string(number), "Error!",
                               MessageIcon::kCritical);
}

bool Program::Startup(const ProgramLocation& location, const std::string& command_line) {
  const std::string& program_folder = location.Folder();
  settings_.ProgramFolder = program_folder;
  resume_ = command_line == kResumeOption;
  serve_ = command_line == kServeOption;
  if (!command_line.empty() && !serve_) {
    window_->SetCommandLineMode(true);
    command_line_text_ = ForeignTextToUtf8(command_line);
  }
  window_->SetRecipientListStale(true);
  // The database file is installed with the program, never created by it.
  if (!FileExists(program_folder + ProgramLocation::kPhoneBookFile)) {
    services_.dialogs.MessageBox("Can´t find TELEDATA.MDB, reinstall the program!", "Missing file!",
                                 MessageIcon::kCritical);
    return false;
  }
  settings_.HelpFile = location.InstalledFolder() + ProgramLocation::kManualFile;
  try {
    store_.Open(program_folder + ProgramLocation::kPhoneBookFile);
    if (!store_.NameClashes().empty()) {
      services_.dialogs.MessageBox(NameClashText(store_.NameClashes()), "Duplicate name!",
                                   MessageIcon::kExclamation);
    }
    window_->SetPhoneBookStore(&store_);
    cursor_ = store_.OpenCursor(kPhoneBookTable);
    window_->SetPhoneBookCursor(cursor_.get());
  } catch (const StoreError& error) {
    ReportError(error.number());
  }
  OpenMessageStore(program_folder);
  receiving_.Start();
  // The lock is the system's: it goes with the process, however that ends.
  ownership_ = std::make_unique<FlockRunOwnership>(program_folder);
  window_->Messages().SetOwner(ownership_->Take());
  window_->SetAutosendBoxPending(true);
  if (int error = window_->QuickMessages().Load(program_folder)) ReportError(error);

  SettingsFile file(program_folder);
  auto report = [this](int number) { ReportError(number); };
  LoadWindowPosition(file, settings_, report);
  if (!window_->CommandLineMode() && !serve_) {
    window_->RestorePlacement({settings_.Status, settings_.Xpos, settings_.Ypos});
  }
  AddSettingsSections(services_.transports, settings_.transports);
  LoadSettings(file, settings_, report);
  window_->ConfigureTransports(report);
  ComputeDerivedFields(settings_);
  // An order or a resumed run sends and ends; only the window receives.
  if (!window_->CommandLineMode()) window_->SetOnConfigured([this] { receiving_.Listen(); });
  settings_.CurrentPrefix = settings_.Prefix1;
  window_->DisableCancel();
  if (window_->CommandLineMode()) {
    window_->SetComposeEnabled(false);
    startup_timer_->Start();
  } else {
    resume_timer_->Start();
  }
  window_->RefreshRecipientList();
  return true;
}

void Program::OpenMessageStore(const std::string& program_folder) {
  if (services_.message_store != nullptr) return;
  const std::string path = program_folder + ProgramLocation::kMessageStoreFile;
  try {
    messages_ = std::make_unique<MessageStore>(path);
    window_->Messages().Use(messages_.get());
  } catch (const StoreError& error) {
    const std::string reason = "The message store " + path + " cannot be opened: " + error.what();
    window_->Messages().SetUnavailable(reason);
    services_.dialogs.MessageBox(reason + "\r\nNothing can be sent until it can.", "Tolvane",
                                 MessageIcon::kCritical);
  }
}

void Program::TakeUpCutRuns() {
  RunResumption resumption(*window_, services_.files);
  // Autosending continues the runs of its files itself.
  resumption.ClaimCutShort(*ownership_);
  for (const StoredRun& run : resumption.Claimed(false)) {
    if (serve_) {
      resumption.Continue(run);
    } else {
      resumption.Ask(run, services_.dialogs);
    }
  }
}

void Program::StartMailChecking() {
  if (serve_ && !settings_.MailServer.empty() && settings_.MailTimeCount > 0) {
    window_->Mail().OnMailcheckingToggled(true);
  }
}

int Program::ResumeAll() {
  RunResumption resumption(*window_, services_.files);
  bool accepted = true;
  for (const StoredRun& run : resumption.ClaimCutShort(*ownership_)) {
    accepted = resumption.Continue(run) && accepted;
  }
  return accepted ? kExitAccepted : kExitFailed;
}

void Program::OnStartupTimer() {
  startup_timer_->Stop();
  LocalFileSystem::Instance().Remove(settings_.ProgramFolder + kLeftoverOrderFile);
  window_->SetComposeEnabled(true);
  if (resume_) {
    exit_status_ = ResumeAll();
    host_.CloseMainWindow();
    return;
  }
  CommandLineSending sending(*window_);
  const OrderOutcome outcome = sending.ArgSandning(command_line_text_);
  switch (outcome) {
    case OrderOutcome::kAccepted:
      exit_status_ = kExitAccepted;
      break;
    case OrderOutcome::kFailed:
      exit_status_ = kExitFailed;
      break;
    case OrderOutcome::kBadOrder:
      exit_status_ = kExitBadOrder;
      break;
  }
  if (window_->CommandLineMode()) host_.CloseMainWindow();
}

void Program::Shutdown(const MainWindow::Placement& placement) {
  SendState& state = window_->State();
  state.cancelled = true;
  receiving_.Stop();
  Transport& transport = window_->ActiveTransport();
  if (state.sending && transport.LineHeld()) {
    transport.HangUp();
  } else {
    window_->Mail().HangUpForShutdown();
  }
  if (!window_->CommandLineMode() && !serve_) {
    auto to_int16 = [](int value) {
      return static_cast<int16_t>(std::clamp(value, -32768, 32767));
    };
    settings_.Status = to_int16(placement.state);
    settings_.Xpos = to_int16(placement.x);
    settings_.Ypos = to_int16(placement.y);
    SaveWindowPosition(SettingsFile(settings_.ProgramFolder), settings_);
  }
}

void Program::EndServing(const std::function<void()>& abandon) {
  if (window_->State().sending) {
    abandon();
    return;
  }
  Shutdown({});
  host_.CloseMainWindow();
}

}  // namespace tolvane
