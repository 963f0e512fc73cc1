#include "platform/qt/nm_dialler.h"

#include "platform/text_codec.h"

namespace tolvane {
namespace {

constexpr char kProgram[] = "nmcli";
constexpr int kQueryTimeoutMs = 10000;

QString ToQt(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

std::string FromQt(const QString& text) { return Utf8ToCp1252(text.trimmed().toStdString()); }

// The first line of nmcli's complaint, without its "Error: " lead.
std::string Complaint(const QString& error) {
  QString line = error.trimmed().section('\n', 0, 0).trimmed();
  if (line.startsWith(QStringLiteral("Error: "))) line = line.mid(7);
  return FromQt(line);
}

}  // namespace

NmDialler::NmDialler(int activation_timeout_s) : activation_timeout_s_(activation_timeout_s) {}

NmDialler::~NmDialler() { StopDial(); }

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
  if (dial_) return false;
  Result result = Run({"-t", "-f", "NAME", "connection", "show", "--active"});
  if (result.exit_code != 0) return false;
  for (const QStringList& fields : TerseLines(result.output)) {
    if (fields[0] == ToQt(entry_name_)) return true;
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
  password_file_ = PasswordFile();
  QStringList arguments{"--wait",     QString::number(activation_timeout_s_),
                        "connection", "up",
                        "id",         ToQt(entry_name_)};
  if (password_file_) arguments << "passwd-file" << password_file_->fileName();
  dial_ = std::make_unique<QProcess>();
  QProcess* process = dial_.get();
  QObject::connect(process, &QProcess::started, [this] { EmitState(kStateAuthenticate); });
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
  if (exit_code == 0) {
    EmitState(kStateAuthenticated);
    EmitState(kStateConnected);
    return;
  }
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
  EmitError(kErrorUnavailable, kUnavailableText);
}

void NmDialler::HangUp() {
  StopDial();
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

void NmDialler::EmitState(int state) {
  auto handler = on_state_;
  if (handler) handler(state);
}

void NmDialler::EmitError(int number, const std::string& description) {
  auto handler = on_error_;
  if (handler) handler(number, description);
}

}  // namespace tolvane
