#include "support/qt/dovecot_server.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

int FreePort() {
  QTcpServer server;
  if (!server.listen(QHostAddress::LocalHost, 0)) return 0;
  return server.serverPort();
}

// Dovecot refuses to run its login and mail processes as root.
std::string ServiceUser() {
  if (getuid() != 0) return getpwuid(getuid())->pw_name;
  return "nobody";
}

std::string ServiceGroup() {
  struct passwd* user = getpwnam(ServiceUser().c_str());
  struct group* group = user ? getgrgid(user->pw_gid) : nullptr;
  return group ? group->gr_name : "nogroup";
}

void GiveToServiceUser(const fs::path& path) {
  struct passwd* user = getpwnam(ServiceUser().c_str());
  if (user == nullptr || getuid() != 0) return;
  if (chown(path.c_str(), user->pw_uid, user->pw_gid) != 0) return;
  if (fs::is_directory(path)) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path)) {
      if (chown(entry.path().c_str(), user->pw_uid, user->pw_gid) != 0) return;
    }
  }
}

}  // namespace

std::string DovecotServer::CertificatePath() {
  return TOLVANE_SOURCE_DIR "/tests/data/loopback_tls_cert.pem";
}

DovecotServer::DovecotServer() { Start(); }

DovecotServer::~DovecotServer() {
  if (process_.state() != QProcess::NotRunning) {
    process_.terminate();
    if (!process_.waitForFinished(10000)) process_.kill();
    process_.waitForFinished(5000);
  }
}

void DovecotServer::Start() {
  const fs::path root = dir_.path();
  fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  for (const char* folder : {"run", "state", "mail/cur", "mail/new", "mail/tmp"}) {
    fs::create_directories(root / folder);
  }
  GiveToServiceUser(root / "mail");
  dir_.WriteFile("passwd", std::string(kUser) + ":{PLAIN}" + kPassword + "\n");
  plain_port_ = FreePort();
  tls_port_ = FreePort();
  // @NAME@ in the configuration stands for a value filled in below.
  std::ifstream in(TOLVANE_SOURCE_DIR "/tests/support/qt/dovecot.conf.in");
  std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const auto& [name, value] : {std::pair<std::string, std::string>{"@ROOT@", root.string()},
                                    {"@CERT@", CertificatePath()},
                                    {"@SOURCE@", TOLVANE_SOURCE_DIR},
                                    {"@USER@", ServiceUser()},
                                    {"@GROUP@", ServiceGroup()},
                                    {"@PLAIN_PORT@", std::to_string(plain_port_)},
                                    {"@TLS_PORT@", std::to_string(tls_port_)}}) {
    for (size_t at = config.find(name); at != std::string::npos; at = config.find(name, at)) {
      config.replace(at, name.size(), value);
      at += value.size();
    }
  }
  dir_.WriteFile("dovecot.conf", config);
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start("dovecot", {"-F", "-c", QString::fromStdString(dir_.FilePath("dovecot.conf"))});
  if (!process_.waitForStarted(10000)) {
    failure_ = "dovecot could not be started (is dovecot-pop3d installed?)";
    return;
  }
  if (!WaitForGreeting(plain_port_)) {
    failure_ = "dovecot did not greet: " + process_.readAll().toStdString() + Log();
  }
}

bool DovecotServer::WaitForGreeting(int port) {
  QDeadlineTimer deadline(20000);
  while (!deadline.hasExpired()) {
    if (process_.state() == QProcess::NotRunning) return false;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    if (socket.waitForConnected(1000)) {
      QByteArray greeting;
      while (!greeting.contains('\n') && socket.waitForReadyRead(2000))
        greeting += socket.readAll();
      if (greeting.startsWith("+OK")) return true;
    }
    process_.waitForFinished(100);
  }
  return false;
}

void DovecotServer::AddMessage(const std::string& content) {
  ++message_count_;
  const std::string name = "cur/" + std::to_string(1700000000 + message_count_) + ".M" +
                           std::to_string(message_count_) + "P1.test:2,";
  dir_.WriteFile("mail/" + name, content);
  GiveToServiceUser(dir_.path() / "mail" / name);
}

std::string DovecotServer::Log() const { return dir_.ReadFile("dovecot.log"); }

}  // namespace tolvane::testing
