#ifndef TOLVANE_TESTS_SUPPORT_QT_DOVECOT_SERVER_H_
#define TOLVANE_TESTS_SUPPORT_QT_DOVECOT_SERVER_H_

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_dir.h"

namespace tolvane::testing {
namespace dovecot {

inline int FreePort() {
  QTcpServer server;
  if (!server.listen(QHostAddress::LocalHost, 0)) return 0;
  return server.serverPort();
}

// Dovecot refuses to run its login and mail processes as root.
inline std::string ServiceUser() {
  if (getuid() != 0) return getpwuid(getuid())->pw_name;
  return "nobody";
}

inline std::string ServiceGroup() {
  struct passwd* user = getpwnam(ServiceUser().c_str());
  struct group* group = user ? getgrgid(user->pw_gid) : nullptr;
  return group ? group->gr_name : "nogroup";
}

inline void GiveToServiceUser(const std::filesystem::path& path) {
  struct passwd* user = getpwnam(ServiceUser().c_str());
  if (user == nullptr || getuid() != 0) return;
  if (chown(path.c_str(), user->pw_uid, user->pw_gid) != 0) return;
  if (std::filesystem::is_directory(path)) {
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::recursive_directory_iterator(path)) {
      if (chown(entry.path().c_str(), user->pw_uid, user->pw_gid) != 0) return;
    }
  }
}

}  // namespace dovecot

// A real POP3 server for one test: Dovecot in a throw-away folder on two free
// loopback ports (plain with STLS, and implicit TLS), one user, a Maildir.
class DovecotServer {
 public:
  static constexpr char kUser[] = "anna";
  static constexpr char kPassword[] = "s3cret pass";

  DovecotServer() { Start(); }
  ~DovecotServer() {
    if (process_.state() != QProcess::NotRunning) {
      process_.terminate();
      if (!process_.waitForFinished(10000)) process_.kill();
      process_.waitForFinished(5000);
    }
  }

  // Empty when the server is up; else what went wrong.
  const std::string& Failure() const { return failure_; }
  int PlainPort() const { return plain_port_; }
  int TlsPort() const { return tls_port_; }
  // Puts a message (header, blank line, body) into the mailbox.
  void AddMessage(const std::string& content) {
    ++message_count_;
    const std::string name = "cur/" + std::to_string(1700000000 + message_count_) + ".M" +
                             std::to_string(message_count_) + "P1.test:2,";
    dir_.WriteFile("mail/" + name, content);
    dovecot::GiveToServiceUser(dir_.path() / "mail" / name);
  }
  // The server's log, where each session's logout line tells what was sent.
  std::string Log() const { return dir_.ReadFile("dovecot.log"); }
  // The certificate the server shows, which a client must trust.
  static std::string CertificatePath() {
    return TOLVANE_SOURCE_DIR "/tests/data/loopback_tls_cert.pem";
  }

 private:
  void Start() {
    const std::filesystem::path root = dir_.path();
    std::filesystem::permissions(
        root, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                  std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                  std::filesystem::perms::others_exec);
    for (const char* folder : {"run", "state", "mail/cur", "mail/new", "mail/tmp"}) {
      std::filesystem::create_directories(root / folder);
    }
    dovecot::GiveToServiceUser(root / "mail");
    dir_.WriteFile("passwd", std::string(kUser) + ":{PLAIN}" + kPassword + "\n");
    plain_port_ = dovecot::FreePort();
    tls_port_ = dovecot::FreePort();
    // @NAME@ in the configuration stands for a value filled in below.
    std::ifstream in(TOLVANE_SOURCE_DIR "/tests/support/qt/dovecot.conf.in");
    std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"@ROOT@", root.string()},
                                      {"@CERT@", CertificatePath()},
                                      {"@SOURCE@", TOLVANE_SOURCE_DIR},
                                      {"@USER@", dovecot::ServiceUser()},
                                      {"@GROUP@", dovecot::ServiceGroup()},
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
  bool WaitForGreeting(int port) {
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

  TempDir dir_;
  QProcess process_;
  int plain_port_ = 0;
  int tls_port_ = 0;
  int message_count_ = 0;
  std::string failure_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_DOVECOT_SERVER_H_
