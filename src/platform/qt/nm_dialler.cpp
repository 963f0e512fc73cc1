#include "platform/qt/nm_dialler.h"

#include <QProcessEnvironment>

#include "platform/text_codec.h"

namespace tolvane {
namespace {

constexpr char kProgram[] = "nmcli";
constexpr int kQueryTimeoutMs = 10000;

// A device state as nmcli's monitor words it, and the state reported for it.
struct DeviceState {
  const char* words;
  int state;
};
constexpr DeviceState kDeviceStates[] = {
    {"connecting (prepare)", Dialler::kStateAuthenticate},
    {"connecting (configuring)", Dialler::kStateAuthenticate},
    {"connecting (need authentication)", Dialler::kStateAuthenticate},
    {"connecting (getting IP configuration)", Dialler::kStateAuthenticated},
    {"connecting (checking IP connectivity)", Dialler::kStateAuthenticated},
    {"connecting (starting secondary connections)", Dialler::kStateAuthenticated},
    {"connected", Dialler::kStateConnected},
    {"deactivating", Dialler::kStateDisconnected},
    {"connection failed", Dialler::kStateDisconnected},
    {"disconnected", Dialler::kStateDisconnected},
    {"unavailable", Dialler::kStateDisconnected},
    {"unmanaged", Dialler::kStateDisconnected},
};

// 0 for words that are no device state (or one of no interest).
int DeviceStateOf(const QString& words) {
  for (const DeviceState& known : kDeviceStates) {
    if (words == QLatin1String(known.words)) return known.state;
  }
  return 0;
}

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

std::string FromQt(const QString& text) { return text.trimmed().toStdString(); }

// The first line of nmcli's complaint, without its "Error: " lead.
std::string Complaint(const QString& error) {
  QString line = error.trimmed().section('\n', 0, 0).trimmed();
  if (line.startsWith(QStringLiteral("Error: "))) line = line.mid(7);
  return FromQt(line);
}

}  // namespace

NmDialler::NmDialler(int activation_timeout_s) : activation_timeout_s_(activation_timeout_s) {}

NmDialler::~NmDialler() {
  StopDial();
  StopWatching();
}

NmDialler::Result NmDialler::Run(const QStringList& arguments) {
  QProcess process;
  process.start(QString::fromLatin1(kProgram), arguments);
  Result result;
  if (!process.waitForStarted(kQueryTimeoutMs)) return result;
  result.started = true;
  if (!process.waitForFinished(kQueryTimeoutMs)) {
    process.kill();
    process.waitForFinished();
    return result;
  }
  result.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.output = QString::fromUtf8(process.readAllStandardOutput());
  result.error = QString::fromUtf8(process.readAllStandardError());
  return result;
}

std::vector<QStringList> NmDialler::TerseLines(const QString& output) {
  std::vector<QStringList> lines;
  for (const QString& line : output.split('\n', Qt::SkipEmptyParts)) {
    // Terse output escapes ':' and '\' inside a field with a backslash.
    QStringList fields;
    QString field;
    for (qsizetype i = 0; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        field += line[++i];
      } else if (line[i] == ':') {
        fields << field;
        field.clear();
      } else {
        field += line[i];
      }
    }
    fields << field;
    lines.push_back(fields);
  }
  return lines;
}

std::vector<std::string> NmDialler::ConnectionNames() {
  Result result = Run({"-t", "-f", "NAME", "connection", "show"});
  std::vector<std::string> names;
  if (result.exit_code != 0) return names;
  for (const QStringList& fields : TerseLines(result.output)) names.push_back(FromQt(fields[0]));
  return names;
}

bool NmDialler::IsConnected() {
  // NetworkManager lists a connection as active while it is being brought up.
  if (dial_ && reported_ != kStateConnected) return false;
  Result result = Run({"-t", "-f", "NAME,DEVICE", "connection", "show", "--active"});
  if (result.exit_code != 0) return false;
  for (const QStringList& fields : TerseLines(result.output)) {
    if (fields[0] != ToQt(entry_name_)) continue;
    if (!monitor_) {
      Watch(fields.value(1));
      reported_ = kStateConnected;
    }
    return true;
  }
  return false;
}

std::unique_ptr<QTemporaryFile> NmDialler::PasswordFile() {
  if (password_.empty()) return nullptr;
  Result type = Run({"-t", "-g", "connection.type", "connection", "show", "id", ToQt(entry_name_)});
  QString kind = type.output.trimmed();
  if (type.exit_code != 0 || kind.isEmpty()) return nullptr;
  // Each kind of connection keeps its password under its own name.
  QString key = kind == QStringLiteral("vpn") ? QStringLiteral("vpn.secrets.password")
                                              : kind + QStringLiteral(".password");
  auto file = std::make_unique<QTemporaryFile>();
  if (!file->open()) return nullptr;
  file->write((key + ':' + ToQt(password_) + '\n').toUtf8());
  file->flush();
  return file;
}

void NmDialler::Dial() {
  StopDial();
  ++attempt_;
  Watch({});
  reported_ = 0;
  password_file_ = PasswordFile();
  QStringList arguments{"--wait",     QString::number(activation_timeout_s_),
                        "connection", "up",
                        "id",         ToQt(entry_name_)};
  if (password_file_) arguments << "passwd-file" << password_file_->fileName();
  dial_ = std::make_unique<QProcess>();
  QProcess* process = dial_.get();
  QObject::connect(process, &QProcess::finished,
                   [this](int exit_code, QProcess::ExitStatus status) {
                     OnDialFinished(status == QProcess::NormalExit ? exit_code : -1);
                   });
  QObject::connect(process, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) OnDialFailedToStart();
  });
  process->start(QString::fromLatin1(kProgram), arguments);
}

void NmDialler::OnDialFinished(int exit_code) {
  const QString complaint = QString::fromUtf8(dial_->readAllStandardError());
  // The process may be the sender of the signal being handled.
  dial_.release()->deleteLater();
  password_file_.reset();
  // What NetworkManager told before the activation ended comes first.
  const int attempt = attempt_;
  if (monitor_) monitor_->waitForReadyRead(0);
  if (attempt != attempt_) return;
  if (exit_code == 0) return Report(kStateConnected);
  StopWatching();
  std::string description = Complaint(complaint);
  if (complaint.contains(QStringLiteral("busy"), Qt::CaseInsensitive)) {
    return EmitError(kErrorBusy, description);
  }
  if (description.empty()) description = "nmcli ended with status " + std::to_string(exit_code);
  EmitError(exit_code > 0 ? exit_code : kErrorUnavailable, description);
}

void NmDialler::OnDialFailedToStart() {
  dial_.release()->deleteLater();
  password_file_.reset();
  StopWatching();
  EmitError(kErrorUnavailable, kUnavailableText);
}

void NmDialler::HangUp() {
  ++attempt_;
  StopDial();
  StopWatching();
  reported_ = 0;
  if (!entry_name_.empty()) Run({"connection", "down", "id", ToQt(entry_name_)});
}

void NmDialler::StopDial() {
  password_file_.reset();
  if (!dial_) return;
  dial_->disconnect();
  dial_->kill();
  dial_->waitForFinished(kQueryTimeoutMs);
  dial_.reset();
}

void NmDialler::Watch(const QString& device) {
  StopWatching();
  device_ = device;
  monitor_ = std::make_unique<QProcess>();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  // The states are read in nmcli's own words, untranslated.
  environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
  monitor_->setProcessEnvironment(environment);
  monitor_->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(monitor_.get(), &QProcess::readyReadStandardOutput,
                   [this] { OnMonitorOutput(); });
  monitor_->start(QString::fromLatin1(kProgram), {"--colors", "no", "monitor"});
}

void NmDialler::StopWatching() {
  monitor_output_.clear();
  device_.clear();
  device_states_.clear();
  if (!monitor_) return;
  monitor_->disconnect();
  monitor_->kill();
  monitor_->waitForFinished(kQueryTimeoutMs);
  // Inside the monitor's own signal it must outlive the handler.
  if (handling_output_) {
    monitor_.release()->deleteLater();
  } else {
    monitor_.reset();
  }
}

void NmDialler::OnMonitorOutput() {
  monitor_output_ += monitor_->readAllStandardOutput();
  // A handler that waits for events may bring more output: the call below
  // takes it in order.
  if (handling_output_) return;
  handling_output_ = true;
  qsizetype end = 0;
  while (monitor_ && (end = monitor_output_.indexOf('\n')) >= 0) {
    const QString line = QString::fromUtf8(monitor_output_.left(end));
    monitor_output_.remove(0, end + 1);
    OnMonitorLine(line);
  }
  handling_output_ = false;
}

void NmDialler::OnMonitorLine(const QString& line) {
  // Device lines read "<device>: <state>" and "<device>: using connection
  // '<name>'".
  const qsizetype colon = line.indexOf(QStringLiteral(": "));
  if (colon <= 0) return;
  const QString device = line.left(colon);
  QString words = line.mid(colon + 2);
  if (words == QStringLiteral("using connection '") + ToQt(entry_name_) + '\'') {
    device_ = device;
    words = device_states_.value(device);
  } else if (device != device_) {
    if (device_.isEmpty()) device_states_.insert(device, words);
    return;
  }
  if (int state = DeviceStateOf(words); state != 0) Report(state);
}

void NmDialler::Report(int state) {
  if (state == kStateDisconnected) {
    // Before the line was up, a failure is what `connection up` reports.
    if (reported_ != kStateConnected) return;
    StopDial();
    StopWatching();
  } else if (state <= reported_) {
    return;
  }
  reported_ = state;
  EmitState(state);
}

void NmDialler::EmitState(int state) {
  auto handler = on_state_;
  if (handler) handler(state);
}

void NmDialler::EmitError(int number, const std::string& description) {
  auto handler = on_error_;
  if (handler) handler(number, description);
}

}  // namespace tolvane
