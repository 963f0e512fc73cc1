#ifndef TOLVANE_TESTS_SUPPORT_QT_DOVECOT_SERVER_H_
#define TOLVANE_TESTS_SUPPORT_QT_DOVECOT_SERVER_H_

#include <QProcess>
#include <string>

#include "support/temp_dir.h"

namespace tolvane::testing {

// A real POP3 server for one test: Dovecot in a throw-away folder, listening
// on two free loopback ports (plain text with STLS, and implicit TLS) with
// the loopback test certificate, one user and a Maildir.
class DovecotServer {
 public:
  static constexpr char kUser[] = "anna";
  static constexpr char kPassword[] = "s3cret pass";

  DovecotServer();
  ~DovecotServer();

  // Empty when the server is up; else what went wrong.
  const std::string& Failure() const { return failure_; }
  int PlainPort() const { return plain_port_; }
  int TlsPort() const { return tls_port_; }
  // Puts a message (header, blank line, body) into the mailbox.
  void AddMessage(const std::string& content);
  // The server's log, where each session's logout line tells what was sent.
  std::string Log() const;
  // The certificate the server shows, which a client must trust.
  static std::string CertificatePath();

 private:
  void Start();
  bool WaitForGreeting(int port);

  TempDir dir_;
  QProcess process_;
  int plain_port_ = 0;
  int tls_port_ = 0;
  int message_count_ = 0;
  std::string failure_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_DOVECOT_SERVER_H_
